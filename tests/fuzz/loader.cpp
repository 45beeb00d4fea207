// The simulated loader's check of a record line, against a reference: ACK
// exactly for a ':' and an even number of at least 10 hexadecimal digits
// whose bytes add up to 0 and whose count matches the length byte; 0x11
// without the ':'; 0x12 for anything else.

#include "fuzz.h"

#include "sim.h"

#include <string>

namespace {

int digit(char c)
{
    if (c >= '0' && c <= '9')
        return c - '0';
    c = static_cast<char>(c | 0x20);
    return c >= 'a' && c <= 'f' ? c - 'a' + 10 : -1;
}

int reference(const std::string &line)
{
    if (line.empty() || line[0] != ':')
        return 0x11;
    std::string digits = line.substr(1);
    if (digits.size() < 10 || digits.size() % 2 != 0)
        return 0x12;
    unsigned sum = 0;
    for (size_t i = 0; i < digits.size(); i += 2) {
        if (digit(digits[i]) < 0 || digit(digits[i + 1]) < 0)
            return 0x12;
        sum += static_cast<unsigned>(digit(digits[i]) * 16 + digit(digits[i + 1]));
    }
    size_t length = static_cast<size_t>(digit(digits[0]) * 16 + digit(digits[1]));
    return sum % 256 == 0 && digits.size() == 2 * length + 10 ? 0x06 : 0x12;
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    // The loader keeps at most 600 characters of a line before its CR.
    std::string line(reinterpret_cast<const char *>(data), size < 600 ? size : 600);
    int got = loader_check_line(line);
    int want = reference(line);
    if (got != want)
        fuzz_fail("loader_check_line gave 0x%02x, the reference 0x%02x (%zu characters)", got, want,
                  line.size());
    return 0;
}
