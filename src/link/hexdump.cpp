#include "link/hexdump.h"

void hexdump(FILE *stream, int flags, const char *name, const void *buf, int length, int rows_per_header)
{
    if (stream == nullptr)
        return;
    if (buf == nullptr) {
        std::fputs("hexdump: invalid param buf ptr\n", stream);
        return;
    }
    if (length < 0) {
        std::fprintf(stream, "hexdump: invalid param len %d\n", length);
        return;
    }
    const char *sep = (name != nullptr && name[0] != '\0') ? ": " : "";
    if (flags == 0) {
        if (name == nullptr)
            std::fprintf(stream, "hexdump: buffer addr 0x%p, length %d (0x%x):\n", buf, length,
                         static_cast<unsigned>(length));
        else
            std::fprintf(stream, "hexdump: %s%sbuffer addr 0x%p, length %d (0x%x):\n", name, sep, buf, length,
                         static_cast<unsigned>(length));
    } else if (flags & 1) {
        if (name == nullptr)
            std::fprintf(stream, "hexdump: length %d (0x%x):\n", length, static_cast<unsigned>(length));
        else
            std::fprintf(stream, "%s%slength %d (0x%x):\n", name, sep, length, static_cast<unsigned>(length));
    } else if (flags & 2) {
        std::fprintf(stream, "length %d (0x%x):\n", length, static_cast<unsigned>(length));
    }

    static const char header[] =
        "Dec  Hex |  0  1  2  3  4  5  6  7    8  9  a  b  c  d  e  f | 0123456789abcdef\n";
    const auto *bytes = static_cast<const unsigned char *>(buf);
    for (int row = 0, at = 0; at < length; row++, at += 16) {
        if (rows_per_header != 0 && row % rows_per_header == 0) {
            if (row != 0)
                std::fputs("\n", stream);
            std::fputs(header, stream);
        }
        int count = length - at < 16 ? length - at : 16;
        char line[96];
        int n = std::snprintf(line, sizeof line, "%4d %04x| ", at, static_cast<unsigned>(at));
        for (int i = 0; i < 16; i++) {
            if (i < count)
                n += std::snprintf(line + n, sizeof line - n, "%02x ", bytes[at + i]);
            else
                n += std::snprintf(line + n, sizeof line - n, "   ");
            if (i == 7)
                n += std::snprintf(line + n, sizeof line - n, "  ");
        }
        line[n++] = '|';
        line[n++] = ' ';
        for (int i = 0; i < count; i++) {
            unsigned char c = bytes[at + i];
            line[n++] = (c >= 0x20 && c <= 0x7e) ? static_cast<char>(c) : '.';
        }
        line[n++] = '\n';
        std::fwrite(line, 1, static_cast<size_t>(n), stream);
    }
}
