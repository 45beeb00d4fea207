#include "firmware/inhex.h"

#include "shell/console.h"

#include <cerrno>
#include <cstring>

namespace {

// One character without taking the stream's lock for each: the file has one
// reader, and an 11 MB file has 11 million characters.
int next_char(FILE *file)
{
#ifdef _WIN32
    return std::getc(file);
#else
    return getc_unlocked(file);
#endif
}

} // namespace

int fw_read_line(FILE *file, char line[fw_line_size])
{
    int n = 0;
    int c = 0;
    while (n < fw_line_size - 1 && (c = next_char(file)) != EOF) {
        line[n++] = static_cast<char>(c);
        if (c == '\n')
            break;
    }
    if (std::ferror(file))
        return -2;
    if (n == 0)
        return -1;
    if (line[n - 1] == '\n') {
        n--;
        if (n > 0 && line[n - 1] == '\r')
            n--;
    } else if (line[n - 1] == '\r') {
        // The piece ends on a CR: it is the line end when the LF (or the end
        // of the file) follows.
        c = std::getc(file);
        if (c == '\n' || (c == EOF && !std::ferror(file)))
            n--;
        else if (c != EOF)
            std::ungetc(c, file);
        if (std::ferror(file))
            return -2;
    }
    line[n] = '\0';
    return n;
}

namespace {

constexpr int hex_digit(char c)
{
    if (c >= '0' && c <= '9')
        return c - '0';
    if (c >= 'a' && c <= 'f')
        return c - 'a' + 10;
    if (c >= 'A' && c <= 'F')
        return c - 'A' + 10;
    return -1;
}

// hex_digit of every byte, for the checksum's two-digit fields.
constexpr struct digit_table {
    signed char value[256];
    constexpr digit_table() : value{}
    {
        for (int c = 0; c < 256; c++)
            value[c] = static_cast<signed char>(hex_digit(static_cast<char>(c)));
    }
} digits;

} // namespace

int hex_field(const char *text, int width)
{
    if (text == nullptr || width < 1)
        return 0;
    int i = 0;
    while (i < width && (text[i] == ' ' || text[i] == '\t'))
        i++;
    bool negative = false;
    if (i < width && (text[i] == '-' || text[i] == '+')) {
        negative = text[i] == '-';
        i++;
    }
    while (i < width) {
        if (text[i] == ' ' || text[i] == '\t')
            i++;
        else if (text[i] == '0' && (text[i + 1] == 'x' || text[i + 1] == 'X'))
            i += 2;
        else
            break;
    }
    unsigned value = 0;
    for (; i < width; i++) {
        int d = hex_digit(text[i]);
        if (d < 0)
            break;
        value = value * 16 + static_cast<unsigned>(d);
    }
    return static_cast<int>(negative ? 0u - value : value);
}

uint8_t inhex_sum(const char *text)
{
    unsigned sum = 0;
    if (text == nullptr)
        return 0;
    for (const char *p = text; *p != '\0'; p += 2) {
        // Two digits, the usual case, read at once; anything else as
        // hex_field reads it.
        int hi = digits.value[static_cast<unsigned char>(p[0])];
        int lo = digits.value[static_cast<unsigned char>(p[1])];
        if (hi >= 0 && lo >= 0)
            sum += static_cast<unsigned>(hi * 16 + lo);
        else
            sum += static_cast<unsigned>(hex_field(p, 2));
        if (p[1] == '\0')
            break;
    }
    return static_cast<uint8_t>(sum);
}

int inhex_check_line(const char *line, int len, unsigned long line_no, bool report)
{
    // A NUL would end the line for every test below and hide the rest.
    if (std::memchr(line, '\0', static_cast<size_t>(len)) != nullptr) {
        if (report)
            print_msg("\a\aError: NUL byte for line %lu in Firmware file!\n", line_no);
        return -9;
    }
    if (line[0] != ':')
        return 0;

    uint8_t sum = inhex_sum(line + 1);
    if (sum != 0) {
        if (report)
            print_msg("\a\aError: checksum mismatch (0x%02x) for line %lu in Firmware file!\n", sum, line_no);
        return -2;
    }
    unsigned length = static_cast<uint16_t>(hex_field(line + 1, 2));
    if (len < 9) {
        // Too short to hold a type: no record, whatever its sum.
        if (report)
            print_msg("\a\aError: invalid record length (%u) for line %lu in Firmware file!\n", length, line_no);
        return -4;
    }
    if (line[7] != '0' || line[8] < '0' || line[8] > '5') {
        if (report)
            print_msg("\a\aError: invalid type (%c%c) for line %lu in Firmware file!\n", line[7], line[8], line_no);
        return -3;
    }
    if (static_cast<unsigned long>(len) != 2ul * length + 11) {
        if (report)
            print_msg("\a\aError: invalid record length (%u) for line %lu in Firmware file!\n", length, line_no);
        return -4;
    }
    if (length > 128) {
        if (report)
            print_msg("\a\aError: record length > 128 (%u) for line %lu in Firmware file!\n", length, line_no);
        return -5;
    }
    if (line[8] == '0' && std::strchr("048Cc", line[6]) == nullptr) {
        if (report)
            print_msg("\a\aError: data record offset boundary error for line %lu in Firmware file!\n", line_no);
        return -6;
    }
    return 1;
}

int inhexverify(FILE *file)
{
    if (file == nullptr) {
        print_msg("inhexverify: Error: param fp is invalid\n");
        return -1;
    }
    std::rewind(file);
    unsigned long line_no = 0;
    int records = 0;
    char line[fw_line_size];
    int got;
    while ((got = fw_read_line(file, line)) >= 0) {
        line_no++;
        int check = inhex_check_line(line, got, line_no, true);
        if (check < 0)
            return check;
        records += check;
    }
    if (got == -2) {
        // A failed read is no end of file: what was not read was not checked.
        print_msg("\a\aError: cannot read the Firmware file after line %lu: %s\n", line_no, std::strerror(errno));
        return -8;
    }
    if (line_no == 0 || records == 0) {
        print_msg("\a\aError: Firmware file is empty!\n");
        return -7;
    }
    return records;
}
