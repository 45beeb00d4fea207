#include "link/trace.h"

#include <cerrno>
#include <chrono>
#include <cstdarg>

std::FILE *trace_file;

namespace {

using trace_clock = std::chrono::steady_clock;
trace_clock::time_point trace_start;

double trace_seconds()
{
    return std::chrono::duration<double>(trace_clock::now() - trace_start).count();
}

constexpr char hex_digits[] = "0123456789abcdef";
constexpr int row_bytes = 16;

} // namespace

int trace_open(const char *path)
{
    trace_close();
    std::FILE *f = std::fopen(path, "w");
    if (f == nullptr)
        return -1;
    trace_file = f;
    trace_start = trace_clock::now();
    return 0;
}

void trace_close()
{
    if (trace_file != nullptr)
        std::fclose(trace_file);
    trace_file = nullptr;
}

void trace_event(const char *fmt, ...)
{
    if (trace_file == nullptr)
        return;
    std::fprintf(trace_file, "%9.3f ", trace_seconds());
    va_list ap;
    va_start(ap, fmt);
    std::vfprintf(trace_file, fmt, ap);
    va_end(ap);
    std::fputc('\n', trace_file);
    // Whole events on disk, so a trace of a run that was killed ends where it did.
    std::fflush(trace_file);
}

void trace_bytes(const char *name, const char *direction, const void *bytes, int count)
{
    if (trace_file == nullptr || bytes == nullptr)
        return;
    const double t = trace_seconds();
    const auto *b = static_cast<const unsigned char *>(bytes);
    for (int row = 0; row < count; row += row_bytes) {
        const int n = count - row < row_bytes ? count - row : row_bytes;
        // Built by hand: this runs for every byte of a firmware transfer.
        char hex[row_bytes * 3 + 1];
        char text[row_bytes + 1];
        for (int i = 0; i < row_bytes; i++) {
            const unsigned c = i < n ? b[row + i] : 0;
            hex[i * 3] = i < n ? hex_digits[c >> 4] : ' ';
            hex[i * 3 + 1] = i < n ? hex_digits[c & 15] : ' ';
            hex[i * 3 + 2] = ' ';
            if (i < n)
                text[i] = c >= 0x20 && c < 0x7f ? static_cast<char>(c) : '.';
        }
        hex[row_bytes * 3 - 1] = 0;
        text[n] = 0;
        std::fprintf(trace_file, "%9.3f %s %-5s %04x: %s  %s\n", t, name, direction, row, hex, text);
    }
    std::fflush(trace_file);
}
