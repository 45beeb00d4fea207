#include "support/failing_stream.h"

#include <cerrno>
#include <cstring>
#include <sys/types.h>

namespace {

struct source {
    const char *text;
    size_t left;
};

ssize_t failing_read(void *cookie, char *buf, size_t size)
{
    auto *src = static_cast<source *>(cookie);
    if (src->left == 0) {
        errno = EIO;
        return -1;
    }
    size_t n = size < src->left ? size : src->left;
    std::memcpy(buf, src->text, n);
    src->text += n;
    src->left -= n;
    return static_cast<ssize_t>(n);
}

int free_source(void *cookie)
{
    delete static_cast<source *>(cookie);
    return 0;
}

} // namespace

std::FILE *failing_stream(const char *text, size_t left)
{
    auto *src = new source{text, left};
    cookie_io_functions_t io{};
    io.read = failing_read;
    io.close = free_source;
    std::FILE *file = fopencookie(src, "r", io);
    if (file == nullptr)
        delete src;
    return file;
}
