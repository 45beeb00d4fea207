#include "fuzz.h"

#include <cstdarg>
#include <cstdlib>

void fuzz_fail(const char *fmt, ...)
{
    std::fputs("fuzz check failed: ", stderr);
    va_list ap;
    va_start(ap, fmt);
    std::vfprintf(stderr, fmt, ap);
    va_end(ap);
    std::fputc('\n', stderr);
    std::abort();
}

void fuzz_quiet()
{
    if (std::freopen("/dev/null", "w", stdout) == nullptr)
        fuzz_fail("cannot send standard output to /dev/null");
}

std::FILE *fuzz_file(const uint8_t *data, size_t size)
{
    static char empty[1];
    std::FILE *f = fmemopen(size > 0 ? const_cast<uint8_t *>(data) : reinterpret_cast<uint8_t *>(empty),
                            size, "r");
    if (f == nullptr)
        fuzz_fail("fmemopen failed");
    return f;
}
