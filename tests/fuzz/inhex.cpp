// The HEX verifier on any file, held against a reference check written
// here from the rules of the format: the same result for every input. The
// first bytes also go through hex_field and inhex_sum against their own
// references.

#include "fuzz.h"

#include "firmware/inhex.h"

#include <cstring>
#include <string>
#include <vector>

namespace {

bool hex_digit(char c, int &d)
{
    d = c >= '0' && c <= '9' ? c - '0' : c >= 'a' && c <= 'f' ? c - 'a' + 10 : c >= 'A' && c <= 'F' ? c - 'A' + 10 : -1;
    return d >= 0;
}

bool blank(char c) { return c == ' ' || c == '\t'; }

// A hexadecimal field at most width characters wide.
int ref_field(const char *t, int width)
{
    if (t == nullptr || width < 1)
        return 0;
    int i = 0;
    while (i < width && blank(t[i]))
        i++;
    int sign = 1;
    if (i < width && (t[i] == '-' || t[i] == '+'))
        sign = t[i++] == '-' ? -1 : 1;
    while (i < width && (blank(t[i]) || (t[i] == '0' && (t[i + 1] | 0x20) == 'x')))
        i += blank(t[i]) ? 1 : 2;
    unsigned v = 0;
    int d;
    for (; i < width && hex_digit(t[i], d); i++)
        v = v * 16 + static_cast<unsigned>(d);
    return sign * static_cast<int>(v);
}

uint8_t ref_sum(const char *t)
{
    unsigned s = 0;
    size_t n = std::strlen(t);
    for (size_t i = 0; i < n; i += 2)
        s += static_cast<unsigned>(ref_field(t + i, 2));
    return static_cast<uint8_t>(s);
}

// The file's lines as the verifier reads them: pieces of at most 511
// characters, without their line end.
std::vector<std::string> ref_lines(const uint8_t *data, size_t size)
{
    std::vector<std::string> lines;
    size_t i = 0;
    while (i < size) {
        std::string line;
        bool ended = false;
        while (i < size && line.size() < 511) {
            char c = static_cast<char>(data[i++]);
            if (c == '\n') {
                ended = true;
                break;
            }
            line += c;
        }
        // A CR before the LF belongs to the line end; so does one at the end
        // of the file, and one that ends a full piece when the LF follows.
        if (!line.empty() && line.back() == '\r' && (ended || i == size || data[i] == '\n')) {
            line.pop_back();
            if (!ended && i < size)
                i++;
        }
        lines.push_back(line);
    }
    return lines;
}

constexpr int refused = -100; // a line with a zero byte: any failure code will do

int ref_verify(const uint8_t *data, size_t size)
{
    int records = 0;
    for (const std::string &line : ref_lines(data, size)) {
        if (line.find('\0') != std::string::npos)
            return refused;
        if (line.empty() || line[0] != ':')
            continue;
        records++;
        if (ref_sum(line.c_str() + 1) != 0)
            return -2;
        if (line.size() < 9)
            return -4; // too short to hold a type
        if (line[7] != '0' || line[8] < '0' || line[8] > '5')
            return -3;
        unsigned length = static_cast<uint16_t>(ref_field(line.c_str() + 1, 2));
        if (line.size() != 2 * length + 11)
            return -4;
        if (length > 128)
            return -5;
        if (line[8] == '0' && std::strchr("048Cc", line[6]) == nullptr)
            return -6;
    }
    return records > 0 ? records : -7;
}

} // namespace

extern "C" int LLVMFuzzerInitialize(int *, char ***)
{
    fuzz_quiet();
    // Once, the arguments no file holds.
    if (inhexverify(nullptr) != -1 || hex_field(nullptr, 2) != 0 || inhex_sum(nullptr) != 0)
        fuzz_fail("a null argument is not refused");
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    std::string head(reinterpret_cast<const char *>(data), size < 16 ? size : 16);
    for (int w = 0; w <= 8; w++)
        if (hex_field(head.c_str(), w) != ref_field(head.c_str(), w))
            fuzz_fail("hex_field(\"%s\", %d) = %d, not %d", head.c_str(), w, hex_field(head.c_str(), w),
                      ref_field(head.c_str(), w));
    if (inhex_sum(head.c_str()) != ref_sum(head.c_str()))
        fuzz_fail("inhex_sum(\"%s\") = 0x%02x, not 0x%02x", head.c_str(), inhex_sum(head.c_str()),
                  ref_sum(head.c_str()));

    std::FILE *f = fuzz_file(data, size);
    int got = inhexverify(f);
    std::fclose(f);
    int want = ref_verify(data, size);
    if (want == refused ? got >= 0 || got == -1 : got != want)
        fuzz_fail("inhexverify returned %d, the reference %d", got, want);
    return 0;
}
