#include "link/connect.h"

#include "link/port.h"
#include "shell/console.h"
#include "config/conf_image.h"
#include "link/hexdump.h"
#include "shell/state.h"

#include <chrono>
#include <cstdlib>
#include <cstring>

char rx_buf[1024];
int link_baud;

namespace {

// Finds text in the first length bytes of buf, terminator or not.
const char *find_text(const char *buf, int length, const char *text)
{
    int n = static_cast<int>(std::strlen(text));
    for (int i = 0; i + n <= length; i++)
        if (std::memcmp(buf + i, text, static_cast<size_t>(n)) == 0)
            return buf + i;
    return nullptr;
}

} // namespace

void drain_port(void *scratch, int size)
{
    auto start = std::chrono::steady_clock::now();
    while (read_port(port_name, scratch, size, 100) > 0)
        if (std::chrono::steady_clock::now() - start >= std::chrono::milliseconds(drain_limit_ms))
            break;
    purge_port();
}

namespace {

// The version after "Version ": the major number, and the minor number
// after the first "." that follows (0 when the banner has none).
void read_version(const char *text, long *major, long *minor)
{
    *major = std::strtol(text, nullptr, 10);
    const char *dot = std::strchr(text, '.');
    *minor = dot != nullptr ? std::strtol(dot + 1, nullptr, 10) : 0;
}

int plain_connect(int rate)
{
    if (connected == 1) {
        print_msg("\a\aError: already Connected!\n");
        return 1;
    }
    if (open_port(port_name, rate) != 0) {
        print_msg("\a\aError: could not open COM port %s\n", port_name);
        return 2;
    }
    char scratch[40];
    drain_port(scratch, sizeof scratch);
    print_msg("\a\aTURN ON the Diriduzede or CYCLE THE POWER if it is already on.\n"
              "You have %ld seconds to do this...",
              power_on_wait_s);

    int n = read_port(port_name, rx_buf, 100, static_cast<int>(power_on_wait_s * 1000));
    rx_buf[n] = '\0';
    for (int i = 0; i < n; i++)
        if (rx_buf[i] == 0 || static_cast<unsigned char>(rx_buf[i]) > 127)
            rx_buf[i] = '#';

    int code = 0;
    const char *name = std::strstr(rx_buf, "Diriduzede");
    const char *version = name ? std::strstr(name, "Version ") : nullptr;
    long major = 0, minor = 0;
    if (version != nullptr)
        read_version(version + 8, &major, &minor);

    if (name == nullptr) {
        print_msg("\n\a\aError: did not receive the Diriduzede prompt!\nExpected: Diriduzede\n");
        hexdump(stdout, 1, "Got", rx_buf, n, 10);
        code = 3;
    } else if (version == nullptr) {
        print_msg("\n\a\aError: did not receive the Diriduzede version (minimum %d.%d)!\n",
                  min_version_major, min_version_minor);
        code = 4;
    } else if (major < min_version_major || (major == min_version_major && minor < min_version_minor)) {
        print_msg("\n\a\aError: received Diriduzede version %ld.%ld but minimal is %d.%d!\n", major, minor,
                  min_version_major, min_version_minor);
        code = 4;
    } else {
        static constexpr unsigned char attention = 0x03;
        if (write_port(port_name, &attention, 1) < 0) {
            print_msg("\n\a\aError: wrote <ctrl>-c attention character, got error on port %s\n", port_name);
            code = 5;
        }
    }
    if (code == 0) {
        int m = read_port(port_name, rx_buf, sizeof rx_buf, 2000);
        char expected[40];
        std::snprintf(expected, sizeof expected, "Connected %ld", static_cast<long>(rate));
        if (find_text(rx_buf, m, expected) == nullptr) {
            print_msg("\n\a\aError: did not receive the Diriduzede Connected string!\nExpected %s\n", expected);
            hexdump(stdout, 1, "Got", rx_buf, m, 10);
            code = 6;
        }
    }
    if (code != 0) {
        close_port();
        return code;
    }
    std::fputs("\n", stdout);
    print_msg("\aConnected at %ld\n", static_cast<long>(rate));
    connected = 1;
    return 0;
}

int resync(int rate)
{
    static constexpr unsigned char cr = 0x0d;
    int code = 0;
    if (write_port(port_name, &cr, 1) < 0) {
        print_msg("\a\aError: wrote CR character, got error on port %s\n", port_name);
        code = 7;
    } else {
        int m = read_port(port_name, rx_buf, sizeof rx_buf, 20000);
        if (find_text(rx_buf, m, "Rudoda> ") != nullptr) {
            print_msg("\aConnected at %ld\n", static_cast<long>(rate));
            connected = 1;
            return 0;
        }
        print_msg("\a\aError: did not receive the Diriduzede prompt!\n");
        code = 8;
    }
    close_port();
    connected = 0;
    return code;
}

} // namespace

int dev_connect(int rate, int mode)
{
    print_msg("Connecting at %ld...\n", static_cast<long>(rate));
    return mode == connect_resync ? resync(rate) : plain_connect(rate);
}

void cmd_connect()
{
    if (connected == 1) {
        print_msg("\a\aError: already Connected!\n");
        return;
    }
    const char *word = next_word(", \t");
    if (word == nullptr) {
        print_msg("\a\aError: missing argument: com_port\n");
        return;
    }
    int port = port_number_arg(word);
    if (port == 0)
        return;
    const char *rate = next_word(", \t");
    link_baud = rate != nullptr ? rate_arg(rate) : default_connect_rate();
    if (!is_device_baud(link_baud)) {
        print_msg("\a\aError: invalid baud rate: %d\n", link_baud);
        return;
    }
    std::snprintf(port_name, sizeof port_name, "COM%d", port);
    dev_connect(link_baud, connect_plain);
}

void cmd_baud()
{
    if (connected != 1) {
        print_msg("\a\aError: must be Connected before changing the Baud!\n");
        return;
    }
    const char *word = next_word(", \t");
    if (word == nullptr) {
        print_msg("\a\aError: missing argument: baud\n");
        return;
    }
    link_baud = rate_arg(word);
    if (!is_device_baud(link_baud)) {
        print_msg("\a\aError: invalid baud rate: %d\n", link_baud);
        return;
    }
    char text[32];
    int len = std::snprintf(text, sizeof text, "host %d\r", link_baud);
    if (write_port(port_name, text, len) < 0) {
        print_msg("\a\aError: wrote Host Baud command, got error on port %s\n", port_name);
        close_port();
        connected = 0;
        return;
    }
    dev_connect(link_baud, connect_resync);
}

void cmd_disconnect()
{
    if (connected != 1) {
        print_msg("\a\aError: not Connected!\n");
        return;
    }
    close_port();
    connected = 0;
    print_msg("Disconnected\n");
}
