// The operator's input files on POSIX: regular files only.

#include "shell/lines.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

std::FILE *open_input_file(const char *name, const char *mode)
{
    // Without blocking: a FIFO with no writer would hold the open itself.
    int fd = open(name, O_RDONLY | O_NONBLOCK);
    if (fd < 0)
        return nullptr;
    // A device or a FIFO never ends, or ends when it likes: not a file to read.
    struct stat info;
    int flags = fcntl(fd, F_GETFL);
    if (fstat(fd, &info) != 0 || !S_ISREG(info.st_mode) || flags < 0 ||
        fcntl(fd, F_SETFL, flags & ~O_NONBLOCK) != 0) {
        close(fd);
        return nullptr;
    }
    std::FILE *file = fdopen(fd, mode);
    if (file == nullptr)
        close(fd);
    return file;
}
