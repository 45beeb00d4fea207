// The simulated device's packet decoder. The input is a run of payloads,
// each a length byte and that many bytes; each is framed with its length and
// a valid crc, so the decoding itself is reached. A reference of the
// protocol judges every frame, and an image the device completes must be
// saved holding exactly the data it took.

#include "fuzz.h"

#include "core.h"

#include <cstdlib>
#include <cstring>
#include <string>
#include <unistd.h>
#include <vector>

namespace {

std::string save_dir;

uint16_t crc(const std::vector<uint8_t> &frame)
{
    // CRC-16, polynomial 0x1021, register 0xFFFF, run over the frame with
    // zeros where the crc goes.
    uint16_t reg = 0xFFFF;
    for (uint8_t byte : frame)
        for (int bit = 7; bit >= 0; bit--) {
            bool top = reg & 0x8000;
            reg = static_cast<uint16_t>(reg << 1 | ((byte >> bit) & 1));
            if (top)
                reg ^= 0x1021;
        }
    return reg;
}

std::string read_file(const std::string &path, bool &found)
{
    std::FILE *f = std::fopen(path.c_str(), "rb");
    found = f != nullptr;
    std::string bytes;
    if (f == nullptr)
        return bytes;
    char buf[4096];
    size_t n;
    while ((n = std::fread(buf, 1, sizeof buf, f)) > 0)
        bytes.append(buf, n);
    std::fclose(f);
    return bytes;
}

// The protocol as the device keeps it.
struct model {
    int gathering = 0; // 0 none, 1 conf, 2 rules
    size_t expected = 0;
    std::string data;
    bool finished = false;
};

// A command packet: name zero-padded in 12 bytes, size text (decimal, no
// leading zero) zero-padded in 5. Returns 0 to refuse, 1 conf, 2 rules, 3 finish.
int command(const std::vector<uint8_t> &frame, size_t &size)
{
    if (frame.size() != 21)
        return 0;
    const char *name = reinterpret_cast<const char *>(frame.data() + 2);
    const char *text = reinterpret_cast<const char *>(frame.data() + 14);
    size_t name_len = strnlen(name, 12), text_len = strnlen(text, 5);
    for (size_t i = name_len; i < 12; i++)
        if (name[i] != 0)
            return 0;
    for (size_t i = text_len; i < 5; i++)
        if (text[i] != 0)
            return 0;
    std::string n(name, name_len), t(text, text_len);
    if (n == "-cestfini-")
        return t.empty() ? 3 : 0;
    if (n != "conf" && n != "rules")
        return 0;
    if (t.empty() || (t.size() > 1 && t[0] == '0') || t.find_first_not_of("0123456789") != std::string::npos)
        return 0;
    size = std::stoul(t);
    if (size > 4096)
        return 0;
    return n == "conf" ? 1 : 2;
}

void check_saved(const model &m)
{
    std::string path = save_dir + (m.gathering == 1 ? "/conf.bin" : "/rules.bin");
    bool found;
    std::string saved = read_file(path, found);
    if (!found || saved != m.data)
        fuzz_fail("%s: %zu bytes saved, %zu taken", path.c_str(), saved.size(), m.data.size());
    unlink(path.c_str());
}

void remove_save_dir()
{
    unlink((save_dir + "/conf.bin").c_str());
    unlink((save_dir + "/rules.bin").c_str());
    rmdir(save_dir.c_str());
}

} // namespace

extern "C" int LLVMFuzzerInitialize(int *, char ***)
{
    fuzz_quiet();
    char dir[] = "/tmp/dz-fuzz-packet-XXXXXX";
    if (mkdtemp(dir) == nullptr)
        fuzz_fail("mkdtemp failed");
    save_dir = dir;
    std::atexit(remove_save_dir);
    packet_opts.save_dir = strdup(dir);
    core_opts.log = "/dev/null";
    if (!log_open())
        fuzz_fail("log_open failed");
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    packet_begin();
    model m;
    size_t pos = 0;
    while (pos < size && !m.finished) {
        size_t n = data[pos++];
        if (n > size - pos)
            n = size - pos;
        std::vector<uint8_t> frame(n + 4);
        frame[0] = static_cast<uint8_t>((n + 4) >> 8);
        frame[1] = static_cast<uint8_t>(n + 4);
        std::memcpy(frame.data() + 2, data + pos, n);
        pos += n;
        if (n + 4 < 5)
            continue; // the device drops such a frame before it decodes it
        uint16_t c = crc(frame);
        frame[n + 2] = static_cast<uint8_t>(c >> 8);
        frame[n + 3] = static_cast<uint8_t>(c);
        if (!packet_intact(frame.data(), static_cast<int>(frame.size())))
            fuzz_fail("a frame with a good crc refused as damaged");

        bool want;
        if (m.gathering == 0) {
            size_t announced = 0;
            int kind = command(frame, announced);
            want = kind != 0;
            if (kind == 3)
                m.finished = true;
            else if (kind != 0) {
                m.gathering = kind;
                m.expected = announced;
                m.data.clear();
            }
        } else {
            want = m.data.size() + n <= m.expected;
            if (want)
                m.data.append(reinterpret_cast<const char *>(frame.data() + 2), n);
        }
        bool got = packet_take(frame.data(), static_cast<int>(frame.size()));
        if (got != want)
            fuzz_fail("frame of %zu bytes: the device says %s, the reference %s", frame.size(),
                      got ? "ACK" : "NAK", want ? "ACK" : "NAK");
        if (m.gathering != 0 && m.data.size() == m.expected) {
            check_saved(m);
            m.gathering = 0;
        }
    }
    return 0;
}
