// The device from power-on: the loader prompt, the application banner and
// the console, with the faults an operator or a test may ask for.

#include "core.h"

#include <cerrno>
#include <cstdio>
#include <cstring>
#include <strings.h>

fault_settings fault_opts = {
    .silent = 0,
    .confirm_rate = 0,
    .no_prompt = 0,
    .fill = 0,
    .noise = 0,
    .zeros = 0,
    .hangup = -1,
    .chatter = 0,
};

const sim_option fault_option_table[] = {
    {"--silent", nullptr, "never send anything (a device that is off or not there)", &fault_opts.silent, nullptr},
    {"--confirm-rate", "RATE", "confirm this rate after ctrl-C instead of the line's", &fault_opts.confirm_rate,
     nullptr},
    {"--no-prompt", nullptr, "answer a lone CR without the prompt \"Rudoda> \"", &fault_opts.no_prompt, nullptr},
    {"--fill", nullptr, "pad the answer to a lone CR to 1024 bytes, so a re-sync read ends at once",
     &fault_opts.fill, nullptr},
    {"--noise", "N", "send N noise bytes before the loader prompt, the banner and each console answer",
     &fault_opts.noise, nullptr},
    {"--zeros", nullptr, "follow every byte of those by a zero byte", &fault_opts.zeros, nullptr},
    {"--hangup", "N", "close the line once N bytes came since power-on (0: right after the banner)",
     &fault_opts.hangup, nullptr},
    {"--chatter", nullptr,
     "a running digipeater: a traffic line every 50 ms to the host, no prompt, no banner", &fault_opts.chatter,
     nullptr},
    {nullptr, nullptr, nullptr, nullptr, nullptr},
};

namespace {

constexpr int banner_size = 4096;
unsigned char banner[banner_size];
int banner_len;

} // namespace

// The application banner: the file of --banner-file, or the device's own,
// long enough (over 100 bytes) that the host's banner read ends at once.
bool banner_load()
{
    if (core_opts.banner_file == nullptr) {
        banner_len = std::snprintf(reinterpret_cast<char *>(banner), banner_size,
                                   "\r\nDiriduzede packet digipeater, host port\r\n"
                                   "Version %s\r\n"
                                   "Relays D-STAR and TNC packets by call sign and position\r\n"
                                   "Type ctrl-C for the console\r\n",
                                   core_opts.fw_version);
        if (banner_len >= banner_size)
            banner_len = banner_size - 1;
        return true;
    }
    FILE *f = std::fopen(core_opts.banner_file, "rb");
    if (f == nullptr) {
        std::fprintf(stderr, "diriduzede-sim: cannot read %s: %s\n", core_opts.banner_file, std::strerror(errno));
        return false;
    }
    banner_len = static_cast<int>(std::fread(banner, 1, banner_size, f));
    std::fclose(f);
    return true;
}

namespace {

// Takes what the host sends, answers nothing, until the power goes.
void ignore_input(const char *why)
{
    for (;;) {
        unsigned char b[1];
        int n = sim_read(b, 1, -1, 0);
        if (n == sim_off)
            return;
        sim_log_bytes(why, b, n);
    }
}

void chatter_session()
{
    static const char line[] = "N0CALL-7>APDZ21,WIDE2-1:>traffic on the TNC port\r\n";
    for (;;) {
        if (sim_write(line, sizeof line - 1, "traffic") == sim_off)
            return;
        if (!sim_pause(50, "logging traffic"))
            return;
    }
}

// The loader prompt waits for 0x16 for the loader window, counted from when
// the host has taken the prompt: a firmware update whose operator is still
// at its Enter prompt reads the prompt late. True when the loader ran.
bool loader_window()
{
    static constexpr unsigned char prompt = 0x05;
    if (sim_reply(&prompt, 1, "loader prompt") == sim_off)
        return false;
    // Polled: nothing tells the master side when the slave reads. The
    // prompt shows in the host's queue a moment after it was written; if it
    // never shows, the host took it at once.
    bool seen = false;
    for (int waited_ms = 0; seen ? sim_unread_by_host() > 0 : waited_ms < 100; waited_ms += 10) {
        if (!seen && sim_unread_by_host() > 0) {
            seen = true;
            sim_log("the host has not taken the loader prompt yet; the window waits");
        }
        // A host that answers has taken the prompt: keep its byte for the window.
        int b = sim_read_byte(10);
        if (b == sim_off)
            return false;
        if (b >= 0) {
            sim_unread(b);
            break;
        }
    }
    int b = sim_read_byte(static_cast<int>(core_opts.loader_window));
    if (b == 0x16) {
        sim_log("received 0x16: firmware loader");
        loader_mode();
        return true;
    }
    if (b >= 0) {
        unsigned char c = static_cast<unsigned char>(b);
        sim_log_bytes("received during the loader window, ignored", &c, 1);
    }
    return false;
}

int reply_text(const char *text, const char *what)
{
    return sim_reply(text, static_cast<int>(std::strlen(text)), what);
}

// The answer to a lone CR: the prompt, or with --fill a screen of 1024 bytes
// ending in it.
int answer_cr()
{
    static const char prompt[] = "\r\nRudoda> ";
    char text[1100];
    int len = 0;
    if (fault_opts.fill) {
        // Rows of 62 dashes and CR LF, cut where the prompt must begin.
        int room = 1024 - (fault_opts.no_prompt ? 0 : static_cast<int>(sizeof prompt - 1));
        for (; len < room; len++)
            text[len] = len % 64 == 62 ? '\r' : len % 64 == 63 ? '\n' : '-';
    }
    if (!fault_opts.no_prompt) {
        std::memcpy(text + len, prompt, sizeof prompt - 1);
        len += static_cast<int>(sizeof prompt - 1);
    } else if (!fault_opts.fill) {
        std::memcpy(text, "\r\n", 2);
        len = 2;
    }
    return sim_reply(text, len, "answer to CR");
}

// Runs one command line ended by CR. False when the device went off.
bool console_line(const char *line)
{
    if (line[0] == '\0') {
        sim_log("received CR");
        return answer_cr() != sim_off;
    }
    sim_log_bytes("received line", line, static_cast<int>(std::strlen(line)));
    long rate = 0;
    char extra = 0;
    if (strncasecmp(line, "host ", 5) == 0 && std::sscanf(line + 5, "%ld%c", &rate, &extra) == 1) {
        sim_log("host port rate set to %ld", rate);
        return true;
    }
    if (std::strcmp(line, "download") == 0) {
        int b = sim_read_byte(500);
        if (b == sim_off)
            return false;
        if (b != '\n' && b >= 0)
            sim_unread(b);
        sim_log("download: packet mode");
        packet_mode();
        return !sim_is_off();
    }
    return reply_text("\r\n?\r\nRudoda> ", "answer to an unknown command") != sim_off;
}

void console()
{
    char line[128];
    int len = 0;
    long seen = 0;
    for (;;) {
        int b = sim_read_byte(-1);
        if (b == sim_off)
            return;
        seen++;
        if (b == 0x16 && seen == 1) {
            // A firmware update whose operator was slower than the loader
            // window: the banner the host has not read would spoil the
            // loader's answers, and a device switched on late never sent it.
            sim_log("received 0x16 first: firmware loader (unread banner discarded)");
            sim_discard_host_input();
            loader_mode();
            return;
        }
        if (b == 0x03) {
            sim_log("received 0x03 (attention)");
            long rate = fault_opts.confirm_rate ? fault_opts.confirm_rate : sim_line_rate();
            char text[64];
            std::snprintf(text, sizeof text, "Connected %ld\r\nRudoda> ", rate);
            if (reply_text(text, "answer to attention") == sim_off)
                return;
            len = 0;
            continue;
        }
        if (b == '\r') {
            line[len] = '\0';
            len = 0;
            if (!console_line(line))
                return;
            continue;
        }
        if (b == '\n' && len == 0)
            continue;
        if (len < static_cast<int>(sizeof line) - 1)
            line[len++] = static_cast<char>(b);
    }
}

} // namespace

void device_session()
{
    sim_log("power on: the host opened the port");
    if (fault_opts.chatter) {
        // Already running: no start-up to wait for.
        chatter_session();
        return;
    }
    if (!sim_pause(static_cast<int>(core_opts.power_delay), "starting up"))
        return;
    if (fault_opts.silent) {
        ignore_input("received, not answered (silent)");
        return;
    }
    if (!loader_opts.no_loader && loader_window()) {
        // The loader is done; the device waits for its power to go.
        ignore_input("received after the loader, ignored");
        return;
    }
    if (sim_is_off())
        return;
    if (sim_reply(banner, banner_len, "banner") == sim_off)
        return;
    if (fault_opts.hangup == 0) {
        sim_hangup();
        return;
    }
    console();
}
