#include "tty_speed.h"

#include <asm/termbits.h>
#include <sys/ioctl.h>

uint32_t tty_speed(int fd)
{
    termios2 t;
    if (ioctl(fd, TCGETS2, &t) != 0)
        return 0;
    return t.c_ospeed;
}
