// The line rate as a number. Linux keeps any rate, not only the B-constants,
// in its termios2 record, which cannot share a file with <termios.h>.

#include "core.h"

#include <asm/termbits.h>
#include <sys/ioctl.h>

long tty_rate(int fd)
{
    termios2 t;
    if (ioctl(fd, TCGETS2, &t) != 0)
        return 0;
    return static_cast<long>(t.c_ospeed);
}
