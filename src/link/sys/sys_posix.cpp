// The platform layer on Linux: a tty opened non-blocking, waits in poll()
// on a monotonic clock, line settings through termios2 so that any rate can
// be set.

#include "link/sys/sys.h"

#include <asm/termbits.h>
#include <sys/file.h>
#include <sys/ioctl.h>

#include <algorithm>
#include <cerrno>
#include <climits>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <ctime>
#include <fcntl.h>
#include <poll.h>
#include <unistd.h>

namespace {

int saved_error;

int fail(int code)
{
    saved_error = code;
    return -1;
}

// What a handle carries beyond its descriptor.
struct port_slot {
    bool used;
    int fd;
    bool strip_nulls;
    sys_timeouts timeouts;
};
port_slot slots[8];

port_slot *slot_of(sys_handle h)
{
    for (port_slot &s : slots)
        if (s.used && s.fd == h)
            return &s;
    return nullptr;
}

int64_t now_ns()
{
    timespec ts;
    clock_gettime(CLOCK_MONOTONIC, &ts);
    return static_cast<int64_t>(ts.tv_sec) * 1000000000 + ts.tv_nsec;
}

// A poll() time-out that waits at least wait_ns; -1 waits for ever.
int poll_ms(int64_t wait_ns)
{
    if (wait_ns < 0)
        return -1;
    int64_t ms = (wait_ns + 999999) / 1000000;
    return ms > INT_MAX ? INT_MAX : static_cast<int>(ms);
}

// Drops the zero bytes of p[0..n) in place; the count kept.
int strip_nulls(unsigned char *p, int n)
{
    int kept = 0;
    for (int i = 0; i < n; i++)
        if (p[i] != 0)
            p[kept++] = p[i];
    return kept;
}

// Sets or clears modem lines; a device without them (a pty) is no error.
int modem_lines(int fd, unsigned long request, int bits)
{
    if (ioctl(fd, request, &bits) == 0 || errno == ENOTTY || errno == EINVAL)
        return 0;
    return fail(errno);
}

} // namespace

int sys_port_path(const char *name, char *path, int size)
{
    if (name == nullptr || path == nullptr || size <= 0)
        return fail(EINVAL);
    // "COM" and a port number from 1 on.
    if (std::strncmp(name, "COM", 3) != 0 || name[3] < '1' || name[3] > '9')
        return fail(ENOENT);
    long number = 0;
    for (const char *p = name + 3; *p != 0; p++) {
        if (*p < '0' || *p > '9' || number > 100000)
            return fail(ENOENT);
        number = number * 10 + (*p - '0');
    }
    char variable[32];
    std::snprintf(variable, sizeof variable, "DIRIDUZEDE_%s", name);
    const char *given = std::getenv(variable);
    int n = given != nullptr && *given != 0 ? std::snprintf(path, static_cast<size_t>(size), "%s", given)
                                            : std::snprintf(path, static_cast<size_t>(size), "/dev/ttyS%ld",
                                                            number - 1);
    if (n < 0 || n >= size)
        return fail(ENAMETOOLONG);
    return 0;
}

sys_handle sys_open(const char *path)
{
    port_slot *slot = nullptr;
    for (port_slot &s : slots)
        if (!s.used) {
            slot = &s;
            break;
        }
    if (slot == nullptr) {
        fail(EMFILE);
        return sys_invalid_handle;
    }
    // Non-blocking: the open must not wait for carrier, and every wait is a poll.
    int fd = open(path, O_RDWR | O_NOCTTY | O_NONBLOCK | O_CLOEXEC);
    if (fd < 0) {
        fail(errno);
        return sys_invalid_handle;
    }
    // Exclusive use. Root passes TIOCEXCL, so a lock on the device as well.
    if (flock(fd, LOCK_EX | LOCK_NB) != 0) {
        fail(errno == EWOULDBLOCK ? EBUSY : errno);
        close(fd);
        return sys_invalid_handle;
    }
    // A file that is no tty is refused by the property query.
    if (ioctl(fd, TIOCEXCL) != 0 && errno != ENOTTY) {
        fail(errno);
        close(fd);
        return sys_invalid_handle;
    }
    *slot = port_slot{true, fd, false, sys_timeouts{}};
    return fd;
}

int sys_get_properties(sys_handle h, sys_comm_prop *prop)
{
    port_slot *s = slot_of(h);
    if (s == nullptr)
        return fail(EBADF);
    if (prop == nullptr || prop->wPacketLength < sizeof(sys_comm_prop))
        return fail(EINVAL);
    termios2 t;
    if (ioctl(s->fd, TCGETS2, &t) != 0)
        return fail(errno);

    *prop = sys_comm_prop{};
    prop->wPacketLength = sizeof(sys_comm_prop);
    prop->dwServiceMask = sys_sp_serialcomm;
    prop->dwProvSubType = sys_pst_rs232;
    prop->dwMaxBaud = sys_baud_user;
    prop->dwSettableBaud = sys_baud_user;
    // What sys_set_line below maps onto termios; the time-outs are kept here.
    prop->dwProvCapabilities = sys_pcf_rtscts | sys_pcf_parity_check | sys_pcf_xonxoff | sys_pcf_setxchar |
                               sys_pcf_totaltimeouts | sys_pcf_inttimeouts;
    prop->dwSettableParams =
        sys_sp_parity | sys_sp_baud | sys_sp_databits | sys_sp_stopbits | sys_sp_handshaking | sys_sp_parity_check;
    prop->wSettableData = sys_databits_5 | sys_databits_6 | sys_databits_7 | sys_databits_8;
    prop->wSettableStopParity =
        sys_stopbits_10 | sys_stopbits_20 | sys_parity_none | sys_parity_odd | sys_parity_even;
    return 0;
}

int sys_get_line(sys_handle h, sys_line *line)
{
    port_slot *s = slot_of(h);
    if (s == nullptr)
        return fail(EBADF);
    if (line == nullptr)
        return fail(EINVAL);
    termios2 t;
    if (ioctl(s->fd, TCGETS2, &t) != 0)
        return fail(errno);
    int bits = 0;
    bool lines = ioctl(s->fd, TIOCMGET, &bits) == 0;

    *line = sys_line{};
    line->BaudRate = t.c_ospeed;
    line->fBinary = 1;
    line->fParity = (t.c_iflag & INPCK) != 0;
    line->fOutxCtsFlow = (t.c_cflag & CRTSCTS) != 0;
    if (lines)
        line->fDtrControl = (bits & TIOCM_DTR) != 0 ? sys_dtr_control_enable : sys_dtr_control_disable;
    if ((t.c_cflag & CRTSCTS) != 0)
        line->fRtsControl = sys_rts_control_handshake;
    else if (lines)
        line->fRtsControl = (bits & TIOCM_RTS) != 0 ? sys_rts_control_enable : sys_rts_control_disable;
    line->fOutX = (t.c_iflag & IXON) != 0;
    line->fInX = (t.c_iflag & IXOFF) != 0;
    line->fNull = s->strip_nulls;
    switch (t.c_cflag & CSIZE) {
    case CS5: line->ByteSize = 5; break;
    case CS6: line->ByteSize = 6; break;
    case CS7: line->ByteSize = 7; break;
    default: line->ByteSize = 8; break;
    }
    if ((t.c_cflag & PARENB) == 0)
        line->Parity = sys_noparity;
    else
        line->Parity = (t.c_cflag & PARODD) != 0 ? sys_oddparity : sys_evenparity;
    line->StopBits = (t.c_cflag & CSTOPB) != 0 ? sys_twostopbits : sys_onestopbit;
    line->XonChar = static_cast<char>(t.c_cc[VSTART]);
    line->XoffChar = static_cast<char>(t.c_cc[VSTOP]);
    return 0;
}

int sys_set_line(sys_handle h, const sys_line *line)
{
    port_slot *s = slot_of(h);
    if (s == nullptr)
        return fail(EBADF);
    if (line == nullptr || line->BaudRate == 0 || line->ByteSize < 5 || line->ByteSize > 8 ||
        line->Parity > sys_evenparity || (line->StopBits != sys_onestopbit && line->StopBits != sys_twostopbits) ||
        line->fOutxDsrFlow != 0 || line->fDsrSensitivity != 0 || line->fDtrControl > sys_dtr_control_enable ||
        line->fRtsControl > sys_rts_control_handshake)
        return fail(EINVAL);
    termios2 t;
    if (ioctl(s->fd, TCGETS2, &t) != 0)
        return fail(errno);

    // Raw bytes both ways, the receiver on, modem status lines ignored.
    t.c_iflag &= ~static_cast<tcflag_t>(IGNBRK | BRKINT | PARMRK | ISTRIP | INLCR | IGNCR | ICRNL | IXON | IXOFF |
                                        IXANY | INPCK | IMAXBEL | IUCLC);
    t.c_oflag &= ~static_cast<tcflag_t>(OPOST);
    t.c_lflag &= ~static_cast<tcflag_t>(ECHO | ECHONL | ICANON | ISIG | IEXTEN);
    t.c_cflag &= ~static_cast<tcflag_t>(CSIZE | PARENB | PARODD | CMSPAR | CSTOPB | CRTSCTS);
    t.c_cflag |= CREAD | CLOCAL;
    static constexpr tcflag_t sizes[] = {CS5, CS6, CS7, CS8};
    t.c_cflag |= sizes[line->ByteSize - 5];
    if (line->Parity != sys_noparity)
        t.c_cflag |= line->Parity == sys_oddparity ? PARENB | PARODD : PARENB;
    if (line->StopBits == sys_twostopbits)
        t.c_cflag |= CSTOPB;
    if (line->fParity)
        t.c_iflag |= INPCK;
    if (line->fOutxCtsFlow || line->fRtsControl == sys_rts_control_handshake)
        t.c_cflag |= CRTSCTS;
    if (line->fOutX)
        t.c_iflag |= IXON;
    if (line->fInX)
        t.c_iflag |= IXOFF;
    if (line->XonChar != 0)
        t.c_cc[VSTART] = static_cast<cc_t>(line->XonChar);
    if (line->XoffChar != 0)
        t.c_cc[VSTOP] = static_cast<cc_t>(line->XoffChar);
    // With one byte as the minimum an empty non-blocking read says EAGAIN,
    // so a read of 0 bytes can only mean a hang-up.
    t.c_cc[VMIN] = 1;
    t.c_cc[VTIME] = 0;
    // The rate as a number, so 14400 and 56000 work like the others.
    t.c_cflag &= ~static_cast<tcflag_t>(CBAUD | (CBAUD << IBSHIFT));
    t.c_cflag |= BOTHER | (BOTHER << IBSHIFT);
    t.c_ispeed = line->BaudRate;
    t.c_ospeed = line->BaudRate;
    if (ioctl(s->fd, TCSETS2, &t) != 0)
        return fail(errno);

    if (line->fDtrControl == sys_dtr_control_disable && modem_lines(s->fd, TIOCMBIC, TIOCM_DTR) != 0)
        return -1;
    if (line->fDtrControl == sys_dtr_control_enable && modem_lines(s->fd, TIOCMBIS, TIOCM_DTR) != 0)
        return -1;
    if (line->fRtsControl == sys_rts_control_disable && modem_lines(s->fd, TIOCMBIC, TIOCM_RTS) != 0)
        return -1;
    if (line->fRtsControl == sys_rts_control_enable && modem_lines(s->fd, TIOCMBIS, TIOCM_RTS) != 0)
        return -1;
    s->strip_nulls = line->fNull != 0;
    return 0;
}

int sys_set_timeouts(sys_handle h, const sys_timeouts *timeouts)
{
    port_slot *s = slot_of(h);
    if (s == nullptr)
        return fail(EBADF);
    if (timeouts == nullptr)
        return fail(EINVAL);
    s->timeouts = *timeouts;
    return 0;
}

int sys_read(sys_handle h, void *buf, int size, int *received)
{
    if (received != nullptr)
        *received = 0;
    port_slot *s = slot_of(h);
    if (s == nullptr)
        return fail(EBADF);
    if (buf == nullptr || size < 0 || received == nullptr)
        return fail(EINVAL);

    constexpr uint32_t none = 0xFFFFFFFF;
    const sys_timeouts &to = s->timeouts;
    const int64_t start = now_ns();
    bool limited = to.ReadTotalTimeoutMultiplier != 0 || to.ReadTotalTimeoutConstant != 0;
    int64_t deadline =
        start + (static_cast<int64_t>(size) * to.ReadTotalTimeoutMultiplier + to.ReadTotalTimeoutConstant) * 1000000;
    if (!limited && to.ReadIntervalTimeout == none) {
        // Only what is there already.
        limited = true;
        deadline = start;
    }
    const bool interval = to.ReadIntervalTimeout != 0 && to.ReadIntervalTimeout != none;

    unsigned char *out = static_cast<unsigned char *>(buf);
    int got = 0;
    int64_t last_byte = start;
    while (got < size) {
        const int64_t now = now_ns();
        int64_t wait = limited ? std::max<int64_t>(deadline - now, 0) : -1;
        if (interval && got > 0) {
            int64_t gap = std::max<int64_t>(last_byte + static_cast<int64_t>(to.ReadIntervalTimeout) * 1000000 - now, 0);
            wait = wait < 0 ? gap : std::min(wait, gap);
        }
        pollfd p{s->fd, POLLIN, 0};
        int n = poll(&p, 1, poll_ms(wait));
        if (n < 0) {
            if (errno == EINTR)
                continue;
            return fail(errno);
        }
        if (n == 0) {
            if (wait == 0)
                break; // the time is up, and nothing more came
            continue;
        }
        if ((p.revents & POLLNVAL) != 0)
            return fail(EBADF);
        if ((p.revents & POLLIN) != 0) {
            ssize_t r = read(s->fd, out + got, static_cast<size_t>(size - got));
            if (r > 0) {
                int kept = static_cast<int>(r);
                if (s->strip_nulls)
                    kept = strip_nulls(out + got, kept);
                got += kept;
                if (kept > 0)
                    last_byte = now_ns();
                continue;
            }
            if (r == 0)
                return fail(EIO); // readable yet empty: the line hung up
            if (errno != EINTR && errno != EAGAIN)
                return fail(errno);
            if (wait == 0)
                break;
            continue;
        }
        if ((p.revents & (POLLHUP | POLLERR)) != 0)
            return fail(EIO);
    }
    *received = got;
    return 0;
}

int sys_write(sys_handle h, const void *bytes, int count, int *written)
{
    if (written != nullptr)
        *written = 0;
    port_slot *s = slot_of(h);
    if (s == nullptr)
        return fail(EBADF);
    if (bytes == nullptr || count < 0 || written == nullptr)
        return fail(EINVAL);

    const sys_timeouts &to = s->timeouts;
    const bool limited = to.WriteTotalTimeoutMultiplier != 0 || to.WriteTotalTimeoutConstant != 0;
    const int64_t deadline =
        now_ns() +
        (static_cast<int64_t>(count) * to.WriteTotalTimeoutMultiplier + to.WriteTotalTimeoutConstant) * 1000000;
    const unsigned char *in = static_cast<const unsigned char *>(bytes);
    while (*written < count) {
        ssize_t r = write(s->fd, in + *written, static_cast<size_t>(count - *written));
        if (r > 0) {
            *written += static_cast<int>(r);
            continue;
        }
        if (r < 0 && errno != EAGAIN && errno != EINTR)
            return fail(errno);
        if (r < 0 && errno == EINTR)
            continue;
        // The queue is full: wait for room until the time is up.
        int64_t wait = limited ? deadline - now_ns() : -1;
        if (limited && wait <= 0)
            return fail(ETIMEDOUT);
        pollfd p{s->fd, POLLOUT, 0};
        int n = poll(&p, 1, poll_ms(wait));
        if (n < 0 && errno != EINTR)
            return fail(errno);
        if (n > 0 && (p.revents & POLLNVAL) != 0)
            return fail(EBADF);
        if (n > 0 && (p.revents & POLLOUT) == 0 && (p.revents & (POLLHUP | POLLERR)) != 0)
            return fail(EIO);
    }
    return 0;
}

int sys_purge(sys_handle h, int flags)
{
    port_slot *s = slot_of(h);
    if (s == nullptr)
        return fail(EBADF);
    const bool tx = (flags & sys_purge_txclear) != 0;
    const bool rx = (flags & sys_purge_rxclear) != 0;
    if (!tx && !rx)
        return 0;
    int queue = tx && rx ? TCIOFLUSH : tx ? TCOFLUSH : TCIFLUSH;
    if (ioctl(s->fd, TCFLSH, queue) != 0)
        return fail(errno);
    return 0;
}

int sys_close(sys_handle h)
{
    port_slot *s = slot_of(h);
    if (s == nullptr)
        return fail(EBADF);
    s->used = false;
    ioctl(s->fd, TIOCNXCL); // so that others may open it again
    if (close(s->fd) != 0)
        return fail(errno);
    return 0;
}

int sys_last_error()
{
    return saved_error;
}

void sys_error_message(int code, char *text, int size)
{
    if (text == nullptr || size <= 0)
        return;
    char scratch[256];
    const char *message = strerror_r(code, scratch, sizeof scratch);
    std::snprintf(text, static_cast<size_t>(size), "%s", message);
}

void sys_sleep(int milliseconds)
{
    if (milliseconds <= 0)
        return;
    timespec left{milliseconds / 1000, static_cast<long>(milliseconds % 1000) * 1000000};
    while (nanosleep(&left, &left) != 0 && errno == EINTR) {
    }
}
