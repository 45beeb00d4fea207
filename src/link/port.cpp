#include "link/port.h"

#include "link/baud.h"
#include "link/trace.h"
#include "shell/console.h"

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <cstring>

char port_name[8];
sys_handle port_handle = sys_invalid_handle;
sys_line port_line;
sys_timeouts port_timeouts;

namespace {

// Capability masks the port must offer.
constexpr uint32_t required_params = sys_sp_parity | sys_sp_baud | sys_sp_databits | sys_sp_stopbits;
constexpr uint16_t required_stop_parity = sys_stopbits_10 | sys_parity_none;
constexpr uint32_t required_timeouts = sys_pcf_totaltimeouts | sys_pcf_inttimeouts;

// Milliseconds of one 10-bit character at the port's current rate.
uint32_t char_time()
{
    return port_line.BaudRate == 0 ? 0 : 10000 / port_line.BaudRate;
}

// Releases the property record and closes the port: every failure of
// set_comm_prop after its argument checks.
int refuse(sys_comm_prop *prop, int result)
{
    std::free(prop);
    close_port();
    return result;
}

} // namespace

int open_port(const char *name, int rate)
{
    if (name == nullptr) {
        print_msg("open_port: Error: port null argument\n");
        return -1;
    }
    char path[sys_path_size];
    port_handle = sys_invalid_handle;
    const bool have_path = sys_port_path(name, path, sizeof path) == 0;
    if (have_path)
        port_handle = sys_open(path);
    if (port_handle == sys_invalid_handle) {
        // The device's own words: which device, and the cure where one is known.
        static char text[sys_path_size + 1024];
        if (have_path)
            sys_open_error_message(name, path, text, sizeof text);
        print_msg("\a\aError: cannot open COM port %s: %s\n", name, have_path ? text : sys_error_text());
        if (trace_file != nullptr)
            trace_event("%s cannot open: %s", name, have_path ? text : sys_error_text());
        return -2;
    }
    if (trace_file != nullptr)
        trace_event("%s open %s", name, path);
    int result = set_comm_prop(name, rate);
    if (result != 0) {
        // From -3 on set_comm_prop has closed it; a failed open leaves it closed.
        if (result > -3)
            close_port();
        return -3;
    }
    const uint32_t r = port_line.BaudRate;
    port_timeouts.ReadIntervalTimeout = 0;
    port_timeouts.ReadTotalTimeoutMultiplier = 10000 / r;
    port_timeouts.ReadTotalTimeoutConstant = 1;
    // Twice a character time, but never below one: rounded down to 0 from
    // 38400 on, it would leave a long write only the 10 ms constant.
    port_timeouts.WriteTotalTimeoutMultiplier = std::max(20000 / r, (10000 + r - 1) / r);
    port_timeouts.WriteTotalTimeoutConstant = 10;
    if (sys_set_timeouts(port_handle, &port_timeouts) != 0) {
        print_msg("\a\aError: could not set the comm timeouts for port %s: %s\n", name, sys_error_text());
        close_port();
        return -14;
    }
    purge_port();
    return 0;
}

int set_comm_prop(const char *name, int rate)
{
    if (name == nullptr) {
        print_msg("set_comm_prop: Error: port null argument\n");
        return -1;
    }
    if (get_baud(rate) == nullptr) {
        print_msg("\a\aError: Invalid baud rate %ld\n", static_cast<long>(rate));
        return -2;
    }

    // First query: how long a record the driver wants.
    sys_comm_prop *prop = static_cast<sys_comm_prop *>(std::calloc(1, sizeof(sys_comm_prop)));
    if (prop == nullptr) {
        print_msg("\a\aError: could not malloc comm properties buffer for port %s: %s\n", name,
                  sys_error_text());
        return refuse(nullptr, -3);
    }
    prop->wPacketLength = sizeof(sys_comm_prop);
    if (sys_get_properties(port_handle, prop) != 0) {
        print_msg("\a\aError: could not get comm properties for port %s: %s\n", name, sys_error_text());
        return refuse(prop, -4);
    }
    // Some drivers answer with less than the record itself; never hand over
    // a buffer the query could overrun.
    const size_t length = std::max<size_t>(prop->wPacketLength, sizeof(sys_comm_prop));
    std::free(prop);

    prop = static_cast<sys_comm_prop *>(std::calloc(1, length));
    if (prop == nullptr) {
        print_msg("\a\aError: could not malloc comm properties buffer for port %s: %s\n", name,
                  sys_error_text());
        return refuse(nullptr, -5);
    }
    prop->wPacketLength = static_cast<uint16_t>(length);
    prop->dwProvSpec1 = sys_commprop_initialized;
    if (sys_get_properties(port_handle, prop) != 0) {
        print_msg("\a\aError: could not get comm properties for port %s: %s\n", name, sys_error_text());
        return refuse(prop, -6);
    }

    if ((prop->dwSettableParams & required_params) != required_params) {
        print_msg("\a\aError: required comm properties for port %s not settable: Settable Params 0x%08x\n",
                  name, static_cast<unsigned>(prop->dwSettableParams));
        return refuse(prop, -7);
    }
    if ((prop->wSettableData & sys_databits_8) == 0) {
        print_msg("\a\aError: 8 data bits comm properties for port %s not settable: Settable Data 0x%04x\n",
                  name, static_cast<unsigned>(prop->wSettableData));
        return refuse(prop, -9);
    }
    if ((prop->wSettableStopParity & required_stop_parity) != required_stop_parity) {
        print_msg("\a\aError: 1 stop bit, no parity comm properties for port %s not settable: "
                  "Settable Stop & Parity 0x%04x\n",
                  name, static_cast<unsigned>(prop->wSettableStopParity));
        return refuse(prop, -10);
    }
    if ((prop->dwProvCapabilities & required_timeouts) != required_timeouts) {
        print_msg("\a\aError: timeouts comm properties for port %s not settable: Settable Prov Cap 0x%08x\n",
                  name, static_cast<unsigned>(prop->dwProvCapabilities));
        return refuse(prop, -11);
    }
    std::free(prop);

    if (sys_get_line(port_handle, &port_line) != 0) {
        print_msg("\a\aError: could not get the comm state for port %s: %s\n", name, sys_error_text());
        return refuse(nullptr, -12);
    }
    port_line.BaudRate = static_cast<uint32_t>(rate);
    port_line.ByteSize = 8;
    port_line.Parity = sys_noparity;
    port_line.StopBits = sys_onestopbit;
    port_line.fParity = 0;
    port_line.fOutxCtsFlow = 0;
    port_line.fOutxDsrFlow = 0;
    port_line.fDtrControl = sys_dtr_control_disable;
    port_line.fRtsControl = sys_rts_control_disable;
    port_line.fOutX = 0;
    port_line.fInX = 0;
    port_line.fNull = 1; // no reader ever sees a zero byte from the device
    if (sys_set_line(port_handle, &port_line) != 0) {
        print_msg("\a\aError: could not set the comm state for port %s: %s\n", name, sys_error_text());
        return refuse(nullptr, -13);
    }
    if (trace_file != nullptr)
        trace_event("%s rate %ld, 8 data bits, no parity, 1 stop bit", name, static_cast<long>(rate));
    return 0;
}

int read_port(const char *name, void *buf, int size, int timeout_ms)
{
    // Room for the longest message with a 1023-character system text.
    char message[1024 + 128];
    if (name == nullptr) {
        port_fatal(25, "read_port: Error: invalid param port\n");
        return 0;
    }
    if (buf == nullptr) {
        port_fatal(25, "read_port: Error: invalid param buf ptr\n");
        return 0;
    }
    if (size <= 0) {
        std::snprintf(message, sizeof message, "read_port: Error: invalid param size: %d\n", size);
        port_fatal(25, message);
        return 0;
    }

    sys_timeouts timeouts = port_timeouts;
    if (timeout_ms > 0) {
        timeouts.ReadTotalTimeoutMultiplier = char_time();
        timeouts.ReadTotalTimeoutConstant = static_cast<uint32_t>(timeout_ms) + 10;
    }
    if (sys_set_timeouts(port_handle, &timeouts) != 0) {
        std::snprintf(message, sizeof message, "\a\aError: could not set the comm timeouts for port %s: %s\n",
                      name, sys_error_text());
        port_fatal(25, message);
        return 0;
    }

    int received = 0;
    if (sys_read(port_handle, buf, size, &received) != 0) {
        if (trace_file != nullptr)
            trace_bytes(name, "read", buf, received);
        std::snprintf(message, sizeof message, "\a\aError: could not read on COM port %s: %s\n", name,
                      sys_error_text());
        port_fatal(26, message);
        return 0;
    }
    if (trace_file != nullptr) {
        if (received > 0)
            trace_bytes(name, "read", buf, received);
        else
            trace_event("%s read  nothing (%d asked, time-out %d ms)", name, size, timeout_ms);
    }
    return received;
}

int write_port(const char *name, const void *bytes, int count)
{
    if (name == nullptr) {
        print_msg("write_port: Error: invalid param file port\n");
        return -1;
    }
    if (bytes == nullptr) {
        print_msg("write_port: Error: invalid param buf ptr\n");
        return -2;
    }
    if (count <= 0) {
        print_msg("write_port: Error: invalid param len: %d\n", count);
        return -1;
    }
    // A write that could not send every byte in its time is a failure too,
    // reported with the count that did go out.
    int written = 0;
    const int failed = sys_write(port_handle, bytes, count, &written);
    if (trace_file != nullptr)
        trace_bytes(name, "write", bytes, written);
    if (failed != 0) {
        if (trace_file != nullptr)
            trace_event("%s write failed after %d of %d: %s", name, written, count, sys_error_text());
        print_msg("\a\aError: wrote %d of %d, got error on port %s: %s\n", written, count, name,
                  sys_error_text());
        return -3;
    }
    return count;
}

void purge_port()
{
    sys_purge(port_handle, sys_purge_txclear | sys_purge_rxclear);
    if (trace_file != nullptr)
        trace_event("%s purge: unread input and unsent output dropped", port_name);
}

void close_port()
{
    // Forget the handle, so a second close cannot hit a reused one.
    if (port_handle != sys_invalid_handle) {
        sys_close(port_handle);
        if (trace_file != nullptr)
            trace_event("%s close", port_name);
    }
    port_handle = sys_invalid_handle;
}

const char *sys_error_text()
{
    static char text[1024];
    sys_error_message(sys_last_error(), text, sizeof text);
    return text;
}

void port_fatal(int code, const char *message)
{
    if (message != nullptr)
        std::fputs(message, stderr);
    std::fprintf(stderr, "Return code %d, system error code %d\n", code, sys_last_error());
    if (code == 0)
        return;
    if (trace_file != nullptr) {
        // The message without its bells and its line end.
        const char *text = message != nullptr ? message : "";
        while (*text == '\a')
            text++;
        int len = static_cast<int>(std::strcspn(text, "\n"));
        trace_event("%s fatal, return code %d: %.*s", port_name, code, len, text);
    }
    sys_sleep(5000);
    // The port is left to the system; the lock files are not its to clear.
    sys_drop_locks();
    trace_close();
    std::fputs("\nabnormal program termination\n", stderr);
    std::fflush(nullptr);
    std::_Exit(3);
}
