// The device's packet mode of a download: frames checked by their crc and
// answered ACK or NAK, the "conf", "rules" and "-cestfini-" command packets
// decoded, the images gathered, reported in the log and saved on request.

#include "sim.h"

#include <cerrno>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <sys/stat.h>

packet_settings packet_opts = {
    .save_dir = nullptr,
    .nak = 0,
    .nak_times = 1,
    .no_reply = 0,
    .garbage = 0,
    .garbage_byte = 0x3f,
    .hangup = 0,
};

const sim_option packet_option_table[] = {
    {"--save-dir", "DIR", "save the images received as DIR/conf.bin and DIR/rules.bin", nullptr,
     &packet_opts.save_dir},
    {"--nak", "K", "answer NAK to packet K of the download (from 1; resends keep the number)",
     &packet_opts.nak, nullptr},
    {"--nak-times", "N", "how many times --nak refuses its packet before the ACK (1)",
     &packet_opts.nak_times, nullptr},
    {"--no-reply", "K", "answer nothing to packet K", &packet_opts.no_reply, nullptr},
    {"--garbage", "K", "answer packet K with --garbage-byte instead of ACK", &packet_opts.garbage,
     nullptr},
    {"--garbage-byte", "B", "the reply of --garbage, a decimal byte value (63, \"?\")",
     &packet_opts.garbage_byte, nullptr},
    {"--hangup-packet", "K", "close the line once packet K has come", &packet_opts.hangup, nullptr},
    {nullptr, nullptr, nullptr, nullptr, nullptr},
};

namespace {

constexpr unsigned char ack = 0x06;
constexpr unsigned char nak = 0x15;
constexpr int max_pkt = 1024;      // longer lengths are line noise
constexpr int gap_ms = 1000;       // the rest of a frame once its length came
constexpr int cmd_pkt_size = 21;
constexpr int image_max = 4096;
constexpr int conf_size = 120;
constexpr int rule_size = 28;

uint16_t crc_table[256];

void make_crc_table()
{
    for (int i = 0; i < 256; i++) {
        uint16_t reg = static_cast<uint16_t>(i << 8);
        for (int bit = 0; bit < 8; bit++)
            reg = static_cast<uint16_t>((reg & 0x8000) ? (reg << 1) ^ 0x1021 : reg << 1);
        crc_table[i] = reg;
    }
}

// The augmented run over a whole frame, its crc included: 0 when intact.
uint16_t crc_run(const unsigned char *p, int n)
{
    uint16_t reg = 0xFFFF;
    for (int i = 0; i < n; i++)
        reg = static_cast<uint16_t>(crc_table[reg >> 8] ^ (static_cast<uint16_t>(reg << 8) | p[i]));
    return reg;
}

// The report goes to the event log, one line per log event.
struct report_buf {
    char *text = nullptr;
    size_t size = 0;
    FILE *out = nullptr;
};

FILE *report_begin(report_buf &r)
{
    r.out = open_memstream(&r.text, &r.size);
    return r.out;
}

void report_end(report_buf &r)
{
    if (r.out == nullptr)
        return;
    std::fclose(r.out);
    char *line = r.text;
    while (line != nullptr && *line != '\0') {
        char *end = std::strchr(line, '\n');
        if (end != nullptr)
            *end = '\0';
        sim_log("  %s", line);
        line = end != nullptr ? end + 1 : nullptr;
    }
    std::free(r.text);
    r = report_buf{};
}

uint16_t get16(const unsigned char *p) { return static_cast<uint16_t>(p[0] | p[1] << 8); }
uint32_t get32(const unsigned char *p)
{
    return static_cast<uint32_t>(p[0]) | static_cast<uint32_t>(p[1]) << 8 |
           static_cast<uint32_t>(p[2]) << 16 | static_cast<uint32_t>(p[3]) << 24;
}
double getf(const unsigned char *p)
{
    uint32_t u = get32(p);
    float f;
    std::memcpy(&f, &u, sizeof f);
    return f;
}
const char *yes_no(const unsigned char *p) { return get16(p) ? "Yes" : "No"; }

void report_hex(FILE *out, const unsigned char *p, int n)
{
    for (int i = 0; i < n; i += 16) {
        std::fprintf(out, "  %04x:", i);
        for (int j = i; j < i + 16 && j < n; j++)
            std::fprintf(out, " %02x", p[j]);
        std::fputc('\n', out);
    }
}

// The image under the labels of dconfigure.
void report_conf(FILE *out, const unsigned char *img)
{
    char call[9];
    std::memcpy(call, img + 20, 8);
    call[8] = '\0';
    int path = 0;
    while (path < 8 && img[56 + 8 * path] != 0)
        path++;
    uint16_t action = get16(img + 52);
    std::fprintf(out,
                 "Configuration:\nStation Call\t%*s\tSSID 0x%02x\nBase Lat %10.6f\tLon %11.5f\n"
                 "Host  baud\t%lu\nDSTAR baud\t%lu\nTNC   baud\t%lu\n"
                 "WIDE Max %u\tWIDE Total %u\tDupe Window %u sec.\nNSR: %sabled\tRelay: %sabled\n",
                 6, call, get16(img + 28), getf(img + 12), getf(img + 16),
                 static_cast<unsigned long>(get32(img)), static_cast<unsigned long>(get32(img + 4)),
                 static_cast<unsigned long>(get32(img + 8)), get16(img + 30), get16(img + 32),
                 get16(img + 40), get16(img + 36) ? "En" : "Dis", get16(img + 34) ? "En" : "Dis");
    std::fprintf(out, "Digi Path[%d]: ", path);
    for (int i = 0; i < path; i++)
        std::fprintf(out, "%.*s%s", 8, reinterpret_cast<const char *>(img + 56 + 8 * i),
                     i + 1 < path ? "," : "");
    std::fprintf(out,
                 "\nLog Port: %s\nFix Valid: %s\tPass packets without valid position: %s\n"
                 "Halt On Error: %s\tDrop Mangled Packet: %s\nRule count %u\tImplicit Rule Action: %s\n",
                 yes_no(img + 42), yes_no(img + 48), yes_no(img + 50), yes_no(img + 44),
                 yes_no(img + 46), get16(img + 54),
                 action == 0x64 ? "Drop" : action == 0x70 ? "Pass" : "?");
    std::fprintf(out, "Link on DSTAR: %u\n", get16(img + 38));
}

const char *kind_name(int kind)
{
    static const char *const names[] = {"destin", "source", "circle", "compass", "rectangle", "sector"};
    return kind >= 0x25 && kind <= 0x2A ? names[kind - 0x25] : "?";
}

// One record as a drules row.
void report_rule(FILE *out, const unsigned char *rec)
{
    static const char *const compass[9] = {"Error", "N", "NE", "E", "SE", "S", "SW", "W", "NW"};
    char t[4][40] = {};
    int kind = rec[24];
    int action = rec[25];
    switch (kind) {
    case 0x25:
    case 0x26: {
        char call[7];
        std::memcpy(call, rec, 6);
        call[6] = '\0';
        if (action & 0x20)
            std::snprintf(t[0], sizeof t[0], "*");
        else if (action & 0x10)
            std::snprintf(t[0], sizeof t[0], "%-*s*", 6, call);
        else if (action & 0x40)
            std::snprintf(t[0], sizeof t[0], "%-*s-%d", 6, call, rec[6]);
        else
            std::snprintf(t[0], sizeof t[0], "%-*s", 6, call);
        break;
    }
    case 0x27:
        std::snprintf(t[0], sizeof t[0], "%-.3f mi R,", getf(rec));
        std::snprintf(t[1], sizeof t[1], "%-10.6f D Lat,", getf(rec + 6));
        std::snprintf(t[2], sizeof t[2], "%-11.5f D Lon", getf(rec + 12));
        break;
    case 0x28:
        std::snprintf(t[0], sizeof t[0], "%-2s Dir,", compass[rec[0] >= 1 && rec[0] <= 8 ? rec[0] : 0]);
        std::snprintf(t[1], sizeof t[1], "%-10.6f D Lat,", getf(rec + 6));
        std::snprintf(t[2], sizeof t[2], "%-11.5f D Lon", getf(rec + 12));
        break;
    case 0x29:
        std::snprintf(t[0], sizeof t[0], "%-10.6f D Lat1,", getf(rec));
        std::snprintf(t[1], sizeof t[1], "%-11.5f D Lon1,", getf(rec + 6));
        std::snprintf(t[2], sizeof t[2], "%-10.6f D Lat2,", getf(rec + 12));
        std::snprintf(t[3], sizeof t[3], "%-11.5f D Lon2", getf(rec + 18));
        break;
    case 0x2A:
        std::snprintf(t[0], sizeof t[0], "%-.3f D Ang1,", getf(rec));
        std::snprintf(t[1], sizeof t[1], "%-.3f D Ang2,", getf(rec + 6));
        std::snprintf(t[2], sizeof t[2], "%-.3f In R,", getf(rec + 12));
        std::snprintf(t[3], sizeof t[3], "%-.3f Out R", getf(rec + 18));
        break;
    default:
        break;
    }
    int code = action & 0x0F;
    std::fprintf(out, "%-6s %-9s %02x   %s %s %s %s\n", code == 8 ? "Pass" : code == 4 ? "Drop" : "?",
                 kind_name(kind), action & 0xF0, t[0], t[1], t[2], t[3]);
}

void report_rules(FILE *out, const unsigned char *recs, int count)
{
    std::fprintf(out, "Rules: %d records\n%-6s %-9s %-s Arguments\n", count, "Action", "Command", "Mods");
    for (int i = 0; i < count; i++) {
        report_rule(out, recs + 28 * i);
        std::fprintf(out, "  line %u\n", get16(recs + 28 * i + 26));
        report_hex(out, recs + 28 * i, 28);
    }
}


void save_image(const char *file, const unsigned char *bytes, int n)
{
    if (packet_opts.save_dir == nullptr)
        return;
    mkdir(packet_opts.save_dir, 0777);
    char path[1024];
    std::snprintf(path, sizeof path, "%s/%s", packet_opts.save_dir, file);
    FILE *f = std::fopen(path, "wb");
    if (f == nullptr || std::fwrite(bytes, 1, static_cast<size_t>(n), f) != static_cast<size_t>(n)) {
        sim_log("cannot save %s: %s", path, std::strerror(errno));
        if (f != nullptr)
            std::fclose(f);
        return;
    }
    std::fclose(f);
    sim_log("saved %s (%d bytes)", path, n);
}

// What the device gathers.
enum image_kind { image_none, image_conf, image_rules };
image_kind gathering;
int expected;   // bytes announced by the command packet
int received;
unsigned char image[image_max];
bool conf_done, rules_done;

void image_complete()
{
    report_buf r;
    FILE *out = report_begin(r);
    if (gathering == image_conf) {
        sim_log("configuration image received (%d bytes):", received);
        if (out != nullptr) {
            if (received == conf_size)
                report_conf(out, image);
            else
                std::fprintf(out, "(not %d bytes: no fields shown)\n", conf_size);
            report_hex(out, image, received);
        }
        report_end(r);
        save_image("conf.bin", image, received);
        conf_done = true;
    } else {
        sim_log("rule records received (%d bytes):", received);
        if (out != nullptr) {
            if (received % rule_size != 0)
                std::fprintf(out, "(not a whole number of %d-byte records)\n", rule_size);
            report_rules(out, image, received / rule_size);
        }
        report_end(r);
        save_image("rules.bin", image, received);
        rules_done = true;
    }
    gathering = image_none;
}

// A command packet: the name, zero padded in 12 bytes, and the size text,
// decimal digits without leading zeros, zero padded in 5. Returns false for
// anything else.
bool take_command(const unsigned char *pkt, int len)
{
    if (len != cmd_pkt_size) {
        sim_log("a %d-byte packet where a command packet (21 bytes) belongs", len);
        return false;
    }
    char name[13] = {};
    std::memcpy(name, pkt + 2, 12);
    size_t name_len = std::strlen(name);
    for (size_t i = name_len; i < 12; i++)
        if (pkt[2 + i] != 0) {
            sim_log("command packet: bytes after the name are not zero");
            return false;
        }
    char size_text[6] = {};
    std::memcpy(size_text, pkt + 14, 5);
    size_t size_len = std::strlen(size_text);
    for (size_t i = size_len; i < 5; i++)
        if (pkt[14 + i] != 0) {
            sim_log("command packet: bytes after the size text are not zero");
            return false;
        }
    bool digits = size_len > 0 && (size_len == 1 || size_text[0] != '0');
    for (size_t i = 0; i < size_len; i++)
        digits = digits && size_text[i] >= '0' && size_text[i] <= '9';
    int size = digits ? std::atoi(size_text) : -1;

    if (std::strcmp(name, "-cestfini-") == 0) {
        if (size_len != 0) {
            sim_log("finish packet with a size text \"%s\"", size_text);
            return false;
        }
        sim_log("command \"-cestfini-\": download finished; configuration %s, rules %s",
                conf_done ? "received" : "MISSING", rules_done ? "received" : "MISSING");
        return true;
    }
    image_kind kind = std::strcmp(name, "conf") == 0 ? image_conf
                      : std::strcmp(name, "rules") == 0 ? image_rules
                                                        : image_none;
    if (kind == image_none) {
        sim_log("unknown command packet \"%s\"", name);
        return false;
    }
    if (size < 0 || size > image_max) {
        sim_log("command \"%s\" with a bad size text \"%s\"", name, size_text);
        return false;
    }
    if (kind == image_conf && size != conf_size)
        sim_log("note: a configuration of %d bytes, not %d", size, conf_size);
    sim_log("command \"%s\", size %d", name, size);
    gathering = kind;
    expected = size;
    received = 0;
    if (size == 0)
        image_complete();
    return true;
}

bool take_data(const unsigned char *pkt, int len)
{
    int n = len - 4;
    if (gathering == image_none) {
        sim_log("a data packet where a command packet belongs");
        return false;
    }
    if (received + n > expected) {
        sim_log("data packet of %d bytes: more than the %d announced (%d so far)", n, expected, received);
        return false;
    }
    std::memcpy(image + received, pkt + 2, static_cast<size_t>(n));
    received += n;
    sim_log("data packet, %d bytes (%d of %d)", n, received, expected);
    if (received == expected)
        image_complete();
    return true;
}

} // namespace

void packet_begin()
{
    make_crc_table();
    gathering = image_none;
    conf_done = rules_done = false;
}

bool packet_intact(const unsigned char *frame, int len) { return crc_run(frame, len) == 0; }

bool packet_take(const unsigned char *frame, int len)
{
    return gathering == image_none ? take_command(frame, len) : take_data(frame, len);
}

void packet_mode()
{
    packet_begin();
    long number = 1; // of the packet now expected; a resend keeps it
    long naks_sent = 0;
    bool finished = false;
    unsigned char pkt[max_pkt];
    // For the download's time: from the first packet's coming in to the last
    // ACK's going out, and the bytes of whole packets and their answers.
    double first_arrived = -1;
    long crossed = 0;

    for (;;) {
        int n = sim_read(pkt, 2, -1, gap_ms);
        if (n == sim_off)
            return;
        if (first_arrived < 0 && n == 2)
            first_arrived = sim_arrival_time();
        if (n < 2) {
            sim_log_bytes("half a length field, dropped", pkt, n);
            continue;
        }
        int len = pkt[0] << 8 | pkt[1];
        if (finished) {
            sim_log("received after the finish packet, ignored");
            if (!sim_pause(100, "finished"))
                return;
            continue;
        }
        if (len < 5 || len > max_pkt) {
            sim_log("packet %ld: length %d is no frame; input dropped, NAK", number, len);
            if (!sim_pause(100, "dropping a bad frame"))
                return;
            if (sim_write(&nak, 1, "NAK") == sim_off)
                return;
            continue;
        }
        n = sim_read(pkt + 2, len - 2, gap_ms, gap_ms);
        if (n == sim_off)
            return;
        if (n < len - 2) {
            sim_log_bytes("a short frame, NAK", pkt, n + 2);
            if (sim_write(&nak, 1, "NAK") == sim_off)
                return;
            continue;
        }
        char what[64];
        std::snprintf(what, sizeof what, "packet %ld", number);
        sim_log_bytes(what, pkt, len);
        crossed += len + 1;  // and its answer, if any

        if (number == packet_opts.hangup) {
            sim_hangup();
            return;
        }
        if (number == packet_opts.no_reply) {
            sim_log("packet %ld: no reply (--no-reply)", number);
            continue;
        }
        if (!packet_intact(pkt, len)) {
            sim_log("packet %ld: crc error, NAK", number);
            if (sim_write(&nak, 1, "NAK") == sim_off)
                return;
            continue;
        }
        if (number == packet_opts.nak && naks_sent < packet_opts.nak_times) {
            naks_sent++;
            sim_log("packet %ld: NAK %ld of %ld (--nak)", number, naks_sent, packet_opts.nak_times);
            if (sim_write(&nak, 1, "NAK") == sim_off)
                return;
            continue;
        }
        if (number == packet_opts.garbage) {
            unsigned char b = static_cast<unsigned char>(packet_opts.garbage_byte);
            if (sim_write(&b, 1, "garbage reply (--garbage)") == sim_off)
                return;
            continue;
        }
        bool is_command = gathering == image_none;
        if (!packet_take(pkt, len)) {
            if (sim_write(&nak, 1, "NAK") == sim_off)
                return;
            continue;
        }
        if (is_command && std::memcmp(pkt + 2, "-cestfini-", 11) == 0)
            finished = true;
        if (sim_write(&ack, 1, "ACK") == sim_off)
            return;
        if (finished)
            sim_log("download: %ld packets, %ld bytes crossed, %.6f s from the first packet's coming in"
                    " to the last ACK",
                    number, crossed, sim_sent_time() - first_arrived);
        number++;
    }
}
