// The platform layer on Linux: a tty opened non-blocking, waits in poll()
// on a monotonic clock, line settings through termios2 so that any rate can
// be set.

#include "link/sys/sys.h"

#include <asm/termbits.h>
#include <linux/serial.h>
#include <sys/file.h>
#include <sys/ioctl.h>
#include <sys/stat.h>
#include <sys/sysmacros.h>

#include <algorithm>
#include <cerrno>
#include <climits>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <ctime>
#include <dirent.h>
#include <fcntl.h>
#include <grp.h>
#include <poll.h>
#include <signal.h>
#include <unistd.h>

namespace {

int saved_error;

int fail(int code)
{
    saved_error = code;
    return -1;
}

// Where serial programs leave their UUCP lock files, LCK..NAME holding the
// PID of the program that has the device.
constexpr char lock_dir[] = "/var/lock";
constexpr int lock_path_size = 160;

// What a handle carries beyond its descriptor.
struct port_slot {
    bool used;
    int fd;
    bool strip_nulls;
    sys_timeouts timeouts;
    char lock[lock_path_size]; // the lock file taken for it, "" for none
};
port_slot slots[8];

// Why the last sys_open failed, beyond its error code.
enum open_failure { open_failed_system, open_failed_no_uart, open_failed_locked };
struct {
    int kind;
    int pid;                   // the lock's holder
    char lock[lock_path_size]; // its lock file
} last_open;

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

// The lock file of a device: /var/lock/LCK.. and the device's real path
// under /dev with '/' as '_' (/dev/pts/3 gives LCK..pts_3), or its file name
// when it lies elsewhere. False when the path does not resolve or fit.
bool lock_path_of(const char *device, char *lock, size_t size)
{
    char real[PATH_MAX];
    if (realpath(device, real) == nullptr)
        return false;
    const char *rest = std::strncmp(real, "/dev/", 5) == 0 ? real + 5 : std::strrchr(real, '/') + 1;
    int n = std::snprintf(lock, size, "%s/LCK..%s", lock_dir, rest);
    if (n < 0 || static_cast<size_t>(n) >= size)
        return false;
    for (char *p = lock + sizeof lock_dir + 5; *p != 0; p++)
        if (*p == '/')
            *p = '_';
    return true;
}

// The PID in a lock file: ten digits and a line feed, or (from old programs)
// four binary bytes; 0 when it names none.
int lock_owner(const char *lock)
{
    int fd = open(lock, O_RDONLY | O_CLOEXEC | O_NOFOLLOW);
    if (fd < 0)
        return 0;
    char text[32];
    ssize_t n = read(fd, text, sizeof text - 1);
    close(fd);
    if (n == 4 && std::memchr(text, '\n', 4) == nullptr && (text[0] < ' ' || text[3] < ' ')) {
        int32_t pid;
        std::memcpy(&pid, text, 4);
        return pid > 0 ? pid : 0;
    }
    if (n <= 0)
        return 0;
    text[n] = 0;
    long pid = std::strtol(text, nullptr, 10);
    return pid > 0 && pid <= INT_MAX ? static_cast<int>(pid) : 0;
}

bool process_lives(int pid)
{
    return pid > 0 && (kill(pid, 0) == 0 || errno == EPERM);
}

bool lock_held_here(const char *lock)
{
    for (const port_slot &s : slots)
        if (s.used && std::strcmp(s.lock, lock) == 0)
            return true;
    return false;
}

// A live lock: another process, or this one holding the device on a handle
// of its own (its exclusive lock then refuses the second open).
int lock_holder(const char *lock)
{
    int pid = lock_owner(lock);
    if (pid == getpid())
        return lock_held_here(lock) ? pid : 0;
    return process_lives(pid) ? pid : 0;
}

// Takes the lock file of the device at path, its name left in lock ("" when
// none was taken: /var/lock is not writable, or this process holds it
// already). -1 when another process holds it.
int lock_take(const char *path, char *lock, size_t size)
{
    lock[0] = 0;
    char name[lock_path_size];
    if (!lock_path_of(path, name, sizeof name))
        return 0;
    const int me = getpid();
    int holder = lock_holder(name);
    if (holder == me)
        return 0;
    if (holder == 0) {
        // Written whole under a name of our own, then linked into place: no
        // one ever reads a lock file half written.
        char temp[lock_path_size];
        std::snprintf(temp, sizeof temp, "%s/LTMP.%d", lock_dir, me);
        int fd = open(temp, O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC | O_NOFOLLOW, 0644);
        if (fd < 0)
            return 0; // not ours to lock
        char text[16];
        int n = std::snprintf(text, sizeof text, "%10d\n", me);
        bool written = write(fd, text, static_cast<size_t>(n)) == n;
        close(fd);
        for (int tries = 0; written && tries < 3; tries++) {
            if (link(temp, name) == 0) {
                unlink(temp);
                std::snprintf(lock, size, "%s", name);
                // exit() removes it too; port_fatal's quick exit calls sys_drop_locks.
                static bool at_exit = std::atexit(sys_drop_locks) == 0;
                (void)at_exit;
                return 0;
            }
            if (errno != EEXIST)
                break;
            holder = lock_holder(name);
            if (holder != 0)
                break;
            unlink(name); // stale: its process is gone
        }
        unlink(temp);
        if (holder == 0 || holder == me)
            return 0;
    }
    last_open.kind = open_failed_locked;
    last_open.pid = holder;
    std::snprintf(last_open.lock, sizeof last_open.lock, "%s", name);
    return fail(EBUSY);
}

// Removes a lock file this process took, unless another took it over.
void lock_give_back(const char *lock)
{
    if (lock[0] != 0 && lock_owner(lock) == getpid())
        unlink(lock);
}

// The command name of a process, "" when it cannot be read.
void process_name(int pid, char *name, size_t size)
{
    name[0] = 0;
    char file[64];
    std::snprintf(file, sizeof file, "/proc/%d/comm", pid);
    int fd = open(file, O_RDONLY | O_CLOEXEC);
    if (fd < 0)
        return;
    ssize_t n = read(fd, name, size - 1);
    close(fd);
    if (n <= 0)
        n = 0;
    name[n] = 0;
    if (char *end = std::strchr(name, '\n'))
        *end = 0;
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
    last_open = {};
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
    struct stat st;
    if (fstat(fd, &st) != 0) {
        fail(errno);
        close(fd);
        return sys_invalid_handle;
    }
    // A device that opens but has no UART would only let the reads run out.
    serial_struct serial{};
    if (S_ISCHR(st.st_mode) && ioctl(fd, TIOCGSERIAL, &serial) == 0 &&
        sys_uart_missing(major(st.st_rdev), minor(st.st_rdev), serial.type)) {
        fail(ENODEV);
        last_open.kind = open_failed_no_uart;
        close(fd);
        return sys_invalid_handle;
    }
    char lock[lock_path_size] = "";
    termios2 t;
    if (S_ISCHR(st.st_mode) && ioctl(fd, TCGETS2, &t) == 0 && lock_take(path, lock, sizeof lock) != 0) {
        close(fd);
        return sys_invalid_handle;
    }
    // Exclusive use. Root passes TIOCEXCL, so a lock on the device as well.
    int code = 0;
    if (flock(fd, LOCK_EX | LOCK_NB) != 0)
        code = errno == EWOULDBLOCK ? EBUSY : errno;
    // A file that is no tty is refused by the property query.
    else if (ioctl(fd, TIOCEXCL) != 0 && errno != ENOTTY)
        code = errno;
    if (code != 0) {
        lock_give_back(lock);
        fail(code);
        close(fd);
        return sys_invalid_handle;
    }
    *slot = port_slot{true, fd, false, sys_timeouts{}, ""};
    std::snprintf(slot->lock, sizeof slot->lock, "%s", lock);
    return fd;
}

void sys_open_error_message(const char *name, const char *path, char *text, int size)
{
    if (text == nullptr || size <= 0)
        return;
    const size_t room = static_cast<size_t>(size);
    const int code = saved_error;
    if (last_open.kind == open_failed_no_uart) {
        std::snprintf(text, room, "%s (%s): no UART behind this device (no serial port here)", name, path);
        return;
    }
    if (last_open.kind == open_failed_locked) {
        char program[64];
        process_name(last_open.pid, program, sizeof program);
        if (program[0] != 0)
            std::snprintf(text, room, "%s (%s): in use by PID %d (%s), lock file %s", name, path, last_open.pid,
                          program, last_open.lock);
        else
            std::snprintf(text, room, "%s (%s): in use by PID %d, lock file %s", name, path, last_open.pid,
                          last_open.lock);
        return;
    }
    char scratch[256];
    const char *reason = strerror_r(code, scratch, sizeof scratch);
    if (code == EACCES || code == EPERM) {
        // Serial devices belong to a group whose members may use them.
        char group[64] = "dialout";
        struct stat st;
        if (stat(path, &st) == 0)
            if (const struct group *g = getgrgid(st.st_gid); g != nullptr && st.st_gid != 0)
                std::snprintf(group, sizeof group, "%s", g->gr_name);
        std::snprintf(text, room, "%s (%s): %s (is your user in the %s group?)", name, path, reason, group);
        return;
    }
    std::snprintf(text, room, "%s (%s): %s", name, path, reason);
}

void sys_drop_locks()
{
    for (port_slot &s : slots)
        if (s.used) {
            lock_give_back(s.lock);
            s.lock[0] = 0;
        }
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
    const int closed = close(s->fd);
    const int code = errno;
    lock_give_back(s->lock);
    s->lock[0] = 0;
    if (closed != 0)
        return fail(code);
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

bool sys_uart_missing(unsigned major, unsigned minor, int type)
{
    // ttyS0 is major 4, minor 64. Other drivers (cdc-acm) leave the type
    // unset for a device that is there.
    return major == 4 && minor >= 64 && type == PORT_UNKNOWN;
}

namespace {

// Looks at a device without taking it: the lock file, then a short open
// with a try of its exclusive lock.
void port_probe(sys_port_entry *e)
{
    e->state = sys_port_free;
    struct stat st;
    if (stat(e->path, &st) != 0) {
        e->error = errno;
        e->state = errno == ENOENT || errno == ENOTDIR ? sys_port_missing : sys_port_failed;
        return;
    }
    char lock[lock_path_size];
    if (S_ISCHR(st.st_mode) && lock_path_of(e->path, lock, sizeof lock)) {
        int pid = lock_owner(lock);
        if (pid != getpid() && process_lives(pid)) {
            e->state = sys_port_busy;
            e->pid = pid;
            return;
        }
    }
    const bool tty_s = S_ISCHR(st.st_mode) && major(st.st_rdev) == 4 && minor(st.st_rdev) >= 64;
    int fd = open(e->path, O_RDWR | O_NOCTTY | O_NONBLOCK | O_CLOEXEC);
    if (fd < 0) {
        e->error = errno;
        switch (errno) {
        case EACCES:
        case EPERM: e->state = sys_port_no_access; break;
        case EBUSY: e->state = sys_port_busy; break;
        case ENXIO:
        case ENODEV: e->state = tty_s ? sys_port_no_uart : sys_port_missing; break;
        default: e->state = sys_port_failed; break;
        }
        return;
    }
    termios2 t;
    serial_struct serial{};
    if (ioctl(fd, TCGETS2, &t) != 0)
        e->state = sys_port_not_tty;
    else if (ioctl(fd, TIOCGSERIAL, &serial) == 0 &&
             sys_uart_missing(major(st.st_rdev), minor(st.st_rdev), serial.type))
        e->state = sys_port_no_uart;
    else if (flock(fd, LOCK_EX | LOCK_NB) != 0)
        e->state = sys_port_busy;
    close(fd);
}

// Fills an entry for path and looks at its device.
void port_entry(sys_port_entry *e, const char *name, const char *path, bool from_variable)
{
    *e = sys_port_entry{};
    std::snprintf(e->name, sizeof e->name, "%s", name);
    std::snprintf(e->path, sizeof e->path, "%s", path);
    e->from_variable = from_variable;
    struct stat st;
    char real[PATH_MAX];
    if (lstat(path, &st) == 0 && S_ISLNK(st.st_mode) && realpath(path, real) != nullptr &&
        std::strlen(real) < sizeof e->target)
        std::memcpy(e->target, real, std::strlen(real) + 1);
    port_probe(e);
}

// Adds the entries of dir whose names begin with one of prefixes ("" for
// any), in the order of their names' numbers.
int port_dir_entries(const char *dir, const char *const *prefixes, int n_prefixes, sys_port_entry *entries, int max)
{
    dirent **names = nullptr;
    int n = scandir(dir, &names, nullptr, versionsort);
    int count = 0;
    for (int i = 0; i < n; i++) {
        const char *file = names[i]->d_name;
        bool wanted = false;
        for (int k = 0; k < n_prefixes; k++)
            wanted = wanted || (file[0] != '.' && std::strncmp(file, prefixes[k], std::strlen(prefixes[k])) == 0);
        char path[sizeof sys_port_entry::path];
        int len = std::snprintf(path, sizeof path, "%s/%s", dir, file);
        if (wanted && count < max && len > 0 && static_cast<size_t>(len) < sizeof path)
            port_entry(&entries[count++], "", path, false);
        std::free(names[i]);
    }
    std::free(names);
    return count;
}

} // namespace

int sys_list_ports(sys_port_entry *entries, int max)
{
    int count = 0;
    for (int n = 1; n <= 20 && count < max; n++) {
        char name[8], variable[32], path[sizeof sys_port_entry::path];
        std::snprintf(name, sizeof name, "COM%d", n);
        std::snprintf(variable, sizeof variable, "DIRIDUZEDE_%s", name);
        const char *given = std::getenv(variable);
        sys_port_entry *e = &entries[count++];
        if (sys_port_path(name, path, sizeof path) == 0) {
            port_entry(e, name, path, given != nullptr && *given != 0);
            continue;
        }
        // Too long to list: shown cut, as a failure.
        port_entry(e, name, "", true);
        std::memcpy(e->path, given, sizeof e->path - 1);
        e->state = sys_port_failed;
        e->error = ENAMETOOLONG;
    }
    static constexpr const char *any[] = {""};
    static constexpr const char *usb[] = {"ttyUSB", "ttyACM"};
    count += port_dir_entries("/dev/serial/by-id", any, 1, entries + count, max - count);
    count += port_dir_entries("/dev", usb, 2, entries + count, max - count);
    return count;
}
