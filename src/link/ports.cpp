#include "link/ports.h"

#include "link/sys/sys.h"
#include "shell/console.h"

#include <cstdio>
#include <cstring>

namespace {

sys_port_entry entries[port_list_max];

constexpr const char *state_words[] = {
    "free", "missing", "no access", "busy", "no UART", "not a tty", "error",
};


// The name, the state, then the path, where it leads, where it came from,
// who holds it and what went wrong.
void print_entry(const sys_port_entry &e)
{
    const int state = e.state >= 0 && e.state <= sys_port_failed ? e.state : sys_port_failed;
    char more[600] = "";
    if (e.state == sys_port_busy && e.pid > 0)
        std::snprintf(more, sizeof more, ", held by PID %d", e.pid);
    else if (e.state == sys_port_no_access)
        std::snprintf(more, sizeof more, " (is your user in the dialout group?)");
    else if (e.state == sys_port_failed) {
        char reason[512];
        sys_error_message(e.error, reason, sizeof reason);
        std::snprintf(more, sizeof more, ": %s", reason);
    }
    char origin[40] = "";
    if (e.from_variable)
        std::snprintf(origin, sizeof origin, " (set by DIRIDUZEDE_%s)", e.name);
    print_msg("%-6s %-11s %s%s%s%s%s\n", e.name, state_words[state], e.path, e.target[0] != 0 ? " -> " : "",
              e.target, origin, more);
}

#ifndef _WIN32
// The device an entry leads to: a link's target, or the path itself.
const char *device_of(const sys_port_entry &e)
{
    return e.target[0] != 0 ? e.target : e.path;
}

// The first COM number past after whose own device is not there, 0 for none.
int free_number_after(int count, int after)
{
    for (int i = 0; i < count; i++) {
        const sys_port_entry &e = entries[i];
        int number = 0;
        if (std::sscanf(e.name, "COM%d", &number) != 1 || number <= after || e.from_variable)
            continue;
        if (e.state == sys_port_missing || e.state == sys_port_no_uart)
            return number;
    }
    return 0;
}

// The other devices, each with the line that maps a COM number to it; a
// device seen under two names (a by-id link and its ttyUSB) gets one number.
void print_others(int count)
{
    // The COM number suggested for each one, 0 for none.
    static int suggestion[port_list_max];
    int others = 0;
    for (int i = 0; i < count; i++)
        others += entries[i].name[0] == 0;
    print_msg("\nOther serial devices:%s\n", others == 0 ? " none found" : "");
    int last = 0;
    for (int i = 0; i < count; i++) {
        const sys_port_entry &e = entries[i];
        if (e.name[0] != 0)
            continue;
        print_entry(e);
        const char *mapped = nullptr;
        suggestion[i] = 0;
        for (int k = 0; k < i && mapped == nullptr && suggestion[i] == 0; k++) {
            if (std::strcmp(device_of(entries[k]), device_of(e)) != 0)
                continue;
            if (entries[k].name[0] != 0)
                mapped = entries[k].from_variable ? entries[k].name : nullptr;
            else
                suggestion[i] = suggestion[k];
        }
        if (mapped != nullptr) {
            print_msg("%-18s is %s\n", "", mapped);
            continue;
        }
        if (suggestion[i] == 0)
            suggestion[i] = last = free_number_after(count, last);
        if (suggestion[i] == 0)
            print_msg("%-18s no COM number is left to map it to\n", "");
        else
            print_msg("%-18s DIRIDUZEDE_COM%d=%s\n", "", suggestion[i], e.path);
    }
}
#endif

} // namespace

void print_port_listing(const sys_port_entry *list, int count)
{
    if (list != entries)
        for (int i = 0; i < count && i < port_list_max; i++)
            entries[i] = list[i];
    count = count < port_list_max ? count : port_list_max;
    int named = 0;
    for (int i = 0; i < count; i++)
        if (entries[i].name[0] != 0) {
            print_entry(entries[i]);
            named++;
        }
#ifdef _WIN32
    // On Windows the system's list is all there is.
    if (named == 0)
        print_msg("No COM ports found\n");
#else
    (void)named;
    print_others(count);
#endif
}

int list_ports()
{
    const int count = sys_list_ports(entries, port_list_max);
    print_port_listing(entries, count);
    return count;
}
