#include "fuzz.h"

#include <cstdarg>
#include <cstdlib>
#include <unistd.h>

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

const char *fuzz_temp_file(const char *text)
{
    static char path[] = "/tmp/dz-fuzz-XXXXXX";
    int fd = mkstemp(path);
    if (fd < 0)
        fuzz_fail("mkstemp failed");
    std::FILE *f = fdopen(fd, "w");
    if (f == nullptr || std::fputs(text, f) < 0 || std::fclose(f) != 0)
        fuzz_fail("cannot write %s", path);
    std::atexit([] { unlink(path); });
    return path;
}

bool plain_text(const uint8_t *data, size_t size)
{
    for (size_t i = 0; i < size; i++)
        if (data[i] == 0 || (data[i] == '\r' && i + 1 < size && data[i + 1] != '\n'))
            return false;
    return true;
}
