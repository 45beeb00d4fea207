// The device's firmware loader, entered when the host answers the power-on
// prompt with 0x16: it acknowledges the sync and the identifier, then takes
// Intel HEX record lines ended by CR, each answered by a status byte.

#include "sim.h"

#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>
#include <vector>

namespace {

constexpr unsigned char ack = 0x06;
constexpr unsigned char nak = 0x15;
constexpr unsigned char no_start = 0x11;
constexpr unsigned char bad_sum = 0x12;
constexpr unsigned char buffer_full = 0x17;
constexpr char identifier[] = "VoVoDi1.0";
constexpr size_t line_room = 600; // more than any record line of 128 data bytes

// One entry of the --fw-status schedule.
struct scheduled {
    long line;  // the Nth record line received since the loader started, resends included
    int status; // the byte answered, or -1 for no answer at all
};
std::vector<scheduled> schedule;

int hex_value(char c)
{
    if (c >= '0' && c <= '9')
        return c - '0';
    if (c >= 'a' && c <= 'f')
        return c - 'a' + 10;
    if (c >= 'A' && c <= 'F')
        return c - 'A' + 10;
    return -1;
}

} // namespace

unsigned char loader_check_line(const std::string &line)
{
    if (line.empty() || line[0] != ':')
        return no_start;
    size_t digits = line.size() - 1;
    if (digits < 10 || digits % 2 != 0)
        return bad_sum;
    unsigned sum = 0;
    for (size_t i = 1; i < line.size(); i += 2) {
        int hi = hex_value(line[i]);
        int lo = hex_value(line[i + 1]);
        if (hi < 0 || lo < 0)
            return bad_sum;
        sum += static_cast<unsigned>(hi * 16 + lo);
    }
    size_t length = static_cast<size_t>(hex_value(line[1]) * 16 + hex_value(line[2]));
    if ((sum & 0xFF) != 0 || digits != 2 * length + 10)
        return bad_sum;
    return ack;
}

namespace {

// The scheduled answer to the Nth record line: a byte, -1 for silence, -2 for
// none scheduled.
int scheduled_status(long line)
{
    for (const scheduled &s : schedule)
        if (s.line == line)
            return s.status;
    return -2;
}

FILE *save_file;

void save_line(const std::string &line)
{
    if (save_file == nullptr)
        return;
    std::fprintf(save_file, "%s\n", line.c_str());
    std::fflush(save_file);
}

// Reads one line up to CR (the CR not kept), and when its first byte came
// in. False when the device went off.
bool read_line(std::string &line, bool &overflow, double &arrived)
{
    line.clear();
    overflow = false;
    for (;;) {
        int b = sim_read_byte(-1);
        if (b == sim_off)
            return false;
        if (line.empty() && !overflow)
            arrived = sim_arrival_time();
        if (b == '\r')
            return true;
        if (line.size() < line_room)
            line += static_cast<char>(b);
        else
            overflow = true;
    }
}

} // namespace

loader_settings loader_opts = {
    .no_loader = 0,
    .fw_status = nullptr,
    .fw_hangup = 0,
    .fw_stall = 0,
    .save_firmware = nullptr,
};

const sim_option loader_option_table[] = {
    {"--no-loader", nullptr, "no loader prompt 0x05 at power-on: the banner comes at once",
     &loader_opts.no_loader, nullptr},
    {"--fw-status", "N=S,...",
     "answer record line N (resends count) with byte S (0x12, 0x17, ...) or none (no answer)",
     nullptr, &loader_opts.fw_status},
    {"--fw-hangup", "N", "hang up the line when the Nth record line comes in", &loader_opts.fw_hangup,
     nullptr},
    {"--fw-stall", "N", "stop taking bytes before the Nth record line (resends count): the host's write times out",
     &loader_opts.fw_stall, nullptr},
    {"--save-firmware", "FILE", "write each record line the loader accepted to FILE, one per line",
     nullptr, &loader_opts.save_firmware},
    {nullptr, nullptr, nullptr, nullptr, nullptr},
};

bool loader_setup()
{
    if (loader_opts.fw_status == nullptr)
        return true;
    std::string list = loader_opts.fw_status;
    size_t pos = 0;
    while (pos <= list.size()) {
        size_t end = list.find(',', pos);
        if (end == std::string::npos)
            end = list.size();
        std::string item = list.substr(pos, end - pos);
        size_t eq = item.find('=');
        char *stop = nullptr;
        scheduled s{};
        bool ok = eq != std::string::npos && eq > 0;
        if (ok) {
            errno = 0;
            s.line = std::strtol(item.c_str(), &stop, 10);
            ok = stop == item.c_str() + eq && errno == 0 && s.line > 0;
        }
        if (ok) {
            std::string value = item.substr(eq + 1);
            if (value == "none") {
                s.status = -1;
            } else {
                long v = std::strtol(value.c_str(), &stop, 0);
                ok = !value.empty() && *stop == '\0' && v >= 0 && v <= 255;
                s.status = static_cast<int>(v);
            }
        }
        if (!ok) {
            std::fprintf(stderr, "diriduzede-sim: --fw-status: %s is no N=S (S a byte or none)\n", item.c_str());
            return false;
        }
        schedule.push_back(s);
        pos = end + 1;
    }
    return true;
}

void loader_mode()
{
    unsigned char a = ack;
    if (sim_write(&a, 1, "sync acknowledged") == sim_off)
        return;

    char ident[sizeof identifier - 1];
    int n = sim_read(ident, sizeof ident, 5000, 1000);
    if (n == sim_off)
        return;
    sim_log_bytes("received identifier", ident, n);
    if (n != static_cast<int>(sizeof ident) || std::memcmp(ident, identifier, sizeof ident) != 0) {
        unsigned char b = nak;
        sim_write(&b, 1, "identifier refused");
        return;
    }
    // The stall comes before the answer that lets the host send its line.
    if (loader_opts.fw_stall == 1)
        sim_stall();
    if (sim_write(&a, 1, "identifier acknowledged") == sim_off)
        return;

    if (loader_opts.save_firmware != nullptr) {
        if (save_file != nullptr)
            std::fclose(save_file);
        save_file = std::fopen(loader_opts.save_firmware, "w");
        if (save_file == nullptr)
            sim_log("cannot write %s: %s", loader_opts.save_firmware, std::strerror(errno));
    }

    std::string line;
    bool overflow = false;
    // For the record phase's time: from the first line's coming in to the
    // last status byte's going out, and the bytes that crossed meanwhile.
    double arrived = 0, first_arrived = 0, last_sent = 0;
    long crossed = 0, answered = 0;
    for (long count = 1; read_line(line, overflow, arrived); count++) {
        if (count == 1)
            first_arrived = arrived;
        crossed += static_cast<long>(line.size()) + 1;
        sim_log_bytes("received record line", line.data(), static_cast<int>(line.size()));
        if (count == loader_opts.fw_hangup) {
            sim_log("record line %ld: hang-up", count);
            sim_hangup();
            return;
        }
        int status = scheduled_status(count);
        if (count + 1 == loader_opts.fw_stall)
            sim_stall();
        if (status == -1) {
            sim_log("record line %ld: no answer, as scheduled", count);
            continue;
        }
        unsigned char b;
        if (status >= 0)
            b = static_cast<unsigned char>(status);
        else if (overflow)
            b = buffer_full;
        else
            b = loader_check_line(line);
        char what[64];
        std::snprintf(what, sizeof what, "status of record line %ld%s", count, status >= 0 ? " (scheduled)" : "");
        // Saved before the answer, so whoever has the ACK finds the line saved.
        if (b == ack)
            save_line(line);
        if (sim_write(&b, 1, what) == sim_off)
            break;
        crossed++;
        answered++;
        last_sent = sim_sent_time();
    }
    if (answered > 0)
        sim_log("record lines: %ld answered, %ld bytes crossed, %.6f s from the first line's coming in"
                " to the last status byte",
                answered, crossed, last_sent - first_arrived);
}
