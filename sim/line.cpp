// The line to the host: a pseudo-terminal whose master side the device
// plays, with the host's opens and closes taken as the device's power.

#include "core.h"

#include <cerrno>
#include <algorithm>
#include <chrono>
#include <cstdarg>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <fcntl.h>
#include <poll.h>
#include <sys/inotify.h>
#include <sys/ioctl.h>
#include <termios.h>
#include <unistd.h>

using sim_clock = std::chrono::steady_clock;

char pty_path[64];
int child_fd = -1;  // readable when the command of --com may have ended

namespace {

int master_fd = -1;
// The device's own hold on the slave side: it lets the device see what the
// host has not read yet, and keeps the line alive between the host's opens.
int slave_fd = -1;
// Open and close events of the slave node. poll() on the master alone can
// miss a close followed quickly by an open (disconnect, then connect).
int notify_fd = -1;
int host_opens;    // open descriptions of the slave held by the host
bool went_off;     // the host closed the port during this power-on
long rx_count;     // bytes received since power-on, for --hangup
int pushed_back = -1;
unsigned char rx_buf[256];
int rx_len, rx_pos;

// The line's pace, each way: one character of 10 bits at the line's rate.
// A byte from the host is there for the device one character time after the
// one before it, and no sooner than one character time after it came in;
// a byte to the host goes out one character time after the one before it.
// The device may take a byte before its time, as long as nothing it does
// shows before then: its answers start no sooner than rx_ready.
sim_clock::time_point rx_arrival;  // when the bytes in rx_buf came in
sim_clock::duration rx_char;       // the character time when they came
sim_clock::time_point rx_ready;    // when the last byte taken is there
sim_clock::time_point tx_free;     // when the last byte sent is through
sim_clock::time_point tx_done;     // when the last write of it ended


FILE *log_file;
const sim_clock::time_point start_time = sim_clock::now();

} // namespace

void sim_log(const char *fmt, ...)
{
    if (log_file == nullptr)
        return;
    char text[2048];
    va_list ap;
    va_start(ap, fmt);
    std::vsnprintf(text, sizeof text, fmt, ap);
    va_end(ap);
    double t = std::chrono::duration<double>(sim_clock::now() - start_time).count();
    std::fprintf(log_file, "%9.3f %s\n", t, text);
    std::fflush(log_file);
}

void sim_log_bytes(const char *what, const void *bytes, int count)
{
    if (log_file == nullptr)
        return;
    char text[1400];
    int n = 0;
    const auto *b = static_cast<const unsigned char *>(bytes);
    int shown = 0;
    for (; shown < count && n < static_cast<int>(sizeof text) - 8; shown++) {
        unsigned char c = b[shown];
        if (c == '\r')
            n += std::snprintf(text + n, sizeof text - n, "\\r");
        else if (c == '\n')
            n += std::snprintf(text + n, sizeof text - n, "\\n");
        else if (c == '\\' || c == '"')
            n += std::snprintf(text + n, sizeof text - n, "\\%c", c);
        else if (c >= 0x20 && c < 0x7f)
            text[n++] = static_cast<char>(c);
        else
            n += std::snprintf(text + n, sizeof text - n, "\\x%02x", c);
    }
    text[n] = '\0';
    sim_log("%s (%d byte%s): \"%s\"%s", what, count, count == 1 ? "" : "s", text,
            shown < count ? "..." : "");
}

namespace {

double since_start(sim_clock::time_point t)
{
    return std::chrono::duration<double>(t - start_time).count();
}

} // namespace

double sim_arrival_time() { return since_start(rx_arrival); }

double sim_sent_time() { return since_start(tx_done); }

bool log_open()
{
    if (core_opts.log == nullptr) {
        log_file = core_opts.com ? nullptr : stderr;
        return true;
    }
    if (std::strcmp(core_opts.log, "-") == 0) {
        log_file = stderr;
        return true;
    }
    log_file = std::fopen(core_opts.log, "w");
    if (log_file == nullptr) {
        std::fprintf(stderr, "diriduzede-sim: cannot write the log %s: %s\n", core_opts.log,
                     std::strerror(errno));
        return false;
    }
    return true;
}

bool line_open()
{
    master_fd = posix_openpt(O_RDWR | O_NOCTTY);
    if (master_fd < 0 || grantpt(master_fd) != 0 || unlockpt(master_fd) != 0 ||
        ptsname_r(master_fd, pty_path, sizeof pty_path) != 0) {
        std::fprintf(stderr, "diriduzede-sim: cannot create a pseudo-terminal: %s\n",
                     std::strerror(errno));
        return false;
    }
    fcntl(master_fd, F_SETFD, FD_CLOEXEC);
    fcntl(master_fd, F_SETFL, fcntl(master_fd, F_GETFL) | O_NONBLOCK);

    slave_fd = open(pty_path, O_RDWR | O_NOCTTY | O_NONBLOCK | O_CLOEXEC);
    if (slave_fd < 0) {
        std::fprintf(stderr, "diriduzede-sim: cannot open %s: %s\n", pty_path, std::strerror(errno));
        return false;
    }
    // A raw line until the host sets its own.
    termios t{};
    tcgetattr(slave_fd, &t);
    cfmakeraw(&t);
    cfsetispeed(&t, B9600);
    cfsetospeed(&t, B9600);
    tcsetattr(slave_fd, TCSANOW, &t);

    notify_fd = inotify_init1(IN_NONBLOCK | IN_CLOEXEC);
    if (notify_fd < 0 || inotify_add_watch(notify_fd, pty_path, IN_OPEN | IN_CLOSE) < 0) {
        std::fprintf(stderr, "diriduzede-sim: cannot watch %s: %s\n", pty_path, std::strerror(errno));
        return false;
    }
    host_opens = 0;
    went_off = false;
    return true;
}

void line_close()
{
    for (int *fd : {&notify_fd, &slave_fd, &master_fd})
        if (*fd >= 0) {
            close(*fd);
            *fd = -1;
        }
}

bool line_alive() { return master_fd >= 0; }

namespace {

// Counts the host's opens and closes that happened so far.
void take_events()
{
    if (notify_fd < 0)
        return;
    alignas(inotify_event) char buf[4096];
    for (;;) {
        ssize_t n = read(notify_fd, buf, sizeof buf);
        if (n <= 0)
            return;
        for (ssize_t i = 0; i < n;) {
            const auto *e = reinterpret_cast<const inotify_event *>(buf + i);
            if (e->mask & IN_OPEN)
                host_opens++;
            if ((e->mask & IN_CLOSE) && host_opens > 0 && --host_opens == 0)
                went_off = true;
            i += static_cast<ssize_t>(sizeof(inotify_event) + e->len);
        }
    }
}

} // namespace

bool sim_is_off()
{
    take_events();
    return went_off || master_fd < 0;
}

namespace {

// One character time at the line's rate; none with --fast.
sim_clock::duration char_time()
{
    if (core_opts.fast)
        return sim_clock::duration::zero();
    long rate = sim_line_rate();
    if (rate <= 0)
        rate = core_opts.baud > 0 ? core_opts.baud : 9600;
    return std::chrono::nanoseconds(10'000'000'000LL / rate);
}

// Sleeps until the time t, or until the host closes the port.
void sleep_until(sim_clock::time_point t)
{
    for (;;) {
        // A fresh wait from the fixed deadline each time, so nothing drifts.
        auto left = std::chrono::duration_cast<std::chrono::nanoseconds>(t - sim_clock::now()).count();
        if (left <= 0)
            return;
        timespec ts = {static_cast<time_t>(left / 1'000'000'000), static_cast<long>(left % 1'000'000'000)};
        pollfd p[2] = {{notify_fd, POLLIN, 0}, {child_fd, POLLIN, 0}};
        int r = ppoll(p, child_fd >= 0 ? 2 : 1, &ts, nullptr);
        if (r <= 0)
            continue;
        if (child_fd >= 0 && (p[1].revents & POLLIN))
            child_check();
        if (sim_is_off())
            return;
    }
}

// When the next byte in rx_buf is there for the device.
sim_clock::time_point next_ready() { return std::max(rx_ready, rx_arrival) + rx_char; }

// Waits for the next event until the deadline: 1 a byte from the host is
// there, 0 time-out, sim_off.
int wait_input(sim_clock::time_point deadline, bool forever)
{
    for (;;) {
        // The host's opens and closes are looked at once a chunk, not for
        // every byte of it.
        if (rx_pos < rx_len ? went_off || master_fd < 0 : sim_is_off())
            return sim_off;
        if (rx_pos < rx_len) {
            if (forever || next_ready() <= deadline)
                return 1;
            sleep_until(deadline);
            return sim_is_off() ? sim_off : 0;
        }
        int ms = -1;
        if (!forever) {
            auto left = std::chrono::duration_cast<std::chrono::microseconds>(deadline - sim_clock::now());
            if (left.count() <= 0)
                return 0;
            ms = static_cast<int>((left.count() + 999) / 1000);
        }
        pollfd p[3] = {{master_fd, POLLIN, 0}, {notify_fd, POLLIN, 0}, {child_fd, POLLIN, 0}};
        int r = poll(p, child_fd >= 0 ? 3 : 2, ms);
        if (r < 0 && errno != EINTR) {
            sim_log("poll failed: %s", std::strerror(errno));
            return sim_off;
        }
        if (child_fd >= 0 && (p[2].revents & POLLIN))
            child_check();
        if (p[0].revents & POLLIN) {
            take_events();
            if (went_off)
                return sim_off;
            ssize_t n = read(master_fd, rx_buf, sizeof rx_buf);
            if (n > 0) {
                rx_len = static_cast<int>(n);
                rx_pos = 0;
                rx_arrival = sim_clock::now();
                rx_char = char_time();
            }
        }
    }
}

} // namespace

int sim_read_byte(int timeout_ms)
{
    if (pushed_back >= 0) {
        int b = pushed_back;
        pushed_back = -1;
        return b;
    }
    auto deadline = sim_clock::now() + std::chrono::milliseconds(timeout_ms < 0 ? 0 : timeout_ms);
    int r = wait_input(deadline, timeout_ms < 0);
    if (r <= 0)
        return r == 0 ? sim_timeout : sim_off;
    rx_ready = next_ready();
    int b = rx_buf[rx_pos++];
    rx_count++;
    if (fault_opts.hangup > 0 && rx_count >= fault_opts.hangup) {
        sim_log_bytes("received, then hang-up", rx_buf + rx_pos - 1, 1);
        sim_hangup();
        return sim_off;
    }
    return b;
}

int sim_read(void *buf, int count, int first_ms, int gap_ms)
{
    auto *out = static_cast<unsigned char *>(buf);
    int n = 0;
    while (n < count) {
        int b = sim_read_byte(n == 0 ? first_ms : gap_ms);
        if (b == sim_off)
            return sim_off;
        if (b == sim_timeout)
            break;
        out[n++] = static_cast<unsigned char>(b);
    }
    return n;
}

void sim_unread(int byte) { pushed_back = byte; }

int sim_write(const void *bytes, int count, const char *what)
{
    if (sim_is_off())
        return sim_off;
    sim_log_bytes(what, bytes, count);
    auto t = char_time();
    auto now = sim_clock::now();
    // The device answers at once: an answer to a byte that came a moment ago
    // (or is still on its way) starts when that byte is there, not when this
    // process woke up for it.
    auto start = now - rx_ready < std::chrono::milliseconds(2) ? rx_ready : now;
    start = std::max(start, tx_free);
    tx_free = start + count * t;
    const auto *b = static_cast<const unsigned char *>(bytes);
    int done = 0;
    while (done < count) {
        // The bytes whose last bit is through by now.
        int due = count;
        if (t > sim_clock::duration::zero()) {
            now = sim_clock::now();
            due = now < start ? 0 : static_cast<int>(std::min<long long>(count, (now - start) / t));
            if (due <= done) {
                sleep_until(start + (done + 1) * t);
                if (sim_is_off())
                    return sim_off;
                continue;
            }
        }
        ssize_t n = write(master_fd, b + done, static_cast<size_t>(due - done));
        if (n > 0) {
            done += static_cast<int>(n);
            tx_done = sim_clock::now();
            continue;
        }
        if (n < 0 && errno != EAGAIN && errno != EINTR) {
            sim_log("write failed: %s", std::strerror(errno));
            return sim_off;
        }
        // The host's input is full: wait until it reads, for a while.
        pollfd p = {master_fd, POLLOUT, 0};
        if (poll(&p, 1, 2000) == 0) {
            sim_log("the host reads nothing: %d bytes dropped", count - done);
            return count;
        }
        if (sim_is_off())
            return sim_off;
    }
    return count;
}

namespace {

// Noise bytes: high and low values, none of them a byte that means
// something on this line (0x00, 0x03, 0x05, 0x06, 0x11, 0x12, 0x15-0x18, CR).
constexpr unsigned char noise_bytes[] = {0xff, 0x80, 0xaa, 0x7f, 0x55, 0xc3, 0x9e, 0xe7};

} // namespace

int sim_reply(const void *bytes, int count, const char *what)
{
    static unsigned char buf[2 * 4096 + 64];
    int n = 0;
    for (long i = 0; i < fault_opts.noise && n < 64; i++)
        buf[n++] = noise_bytes[i % sizeof noise_bytes];
    const auto *b = static_cast<const unsigned char *>(bytes);
    for (int i = 0; i < count && n < static_cast<int>(sizeof buf) - 1; i++) {
        buf[n++] = b[i];
        if (fault_opts.zeros)
            buf[n++] = 0;
    }
    return sim_write(buf, n, what);
}

bool sim_pause(int ms, const char *while_doing)
{
    auto deadline = sim_clock::now() + std::chrono::milliseconds(ms);
    for (;;) {
        int r = wait_input(deadline, false);
        if (r == sim_off)
            return false;
        if (r == 0)
            return true;
        int n = rx_len - rx_pos;
        rx_count += n;
        // Dropped, but they took their time on the line.
        rx_ready = next_ready() + (n - 1) * rx_char;
        char what[96];
        std::snprintf(what, sizeof what, "received while %s, ignored", while_doing);
        sim_log_bytes(what, rx_buf + rx_pos, n);
        rx_pos = rx_len;
    }
}

int sim_unread_by_host()
{
    int n = 0;
    if (slave_fd < 0 || ioctl(slave_fd, FIONREAD, &n) != 0)
        return 0;
    return n;
}

void sim_discard_host_input()
{
    if (slave_fd >= 0)
        tcflush(slave_fd, TCIFLUSH);
}

void sim_hangup()
{
    // Not before the byte that brought it has come.
    sleep_until(rx_ready);
    sim_log("hang-up: the device closes the line");
    line_close();
}

void sim_stall()
{
    sim_log("stall: the line takes no more bytes from the host");
    if (slave_fd >= 0)
        tcflow(slave_fd, TCOOFF);
}

long sim_line_rate()
{
    static constexpr struct {
        speed_t code;
        long rate;
    } rates[] = {{B110, 110},     {B300, 300},     {B600, 600},     {B1200, 1200},
                 {B2400, 2400},   {B4800, 4800},   {B9600, 9600},   {B19200, 19200},
                 {B38400, 38400}, {B57600, 57600}, {B115200, 115200}};
    if (slave_fd < 0)
        return core_opts.baud;
    long rate = tty_rate(slave_fd);
    if (rate > 0)
        return rate;
    termios t{};
    if (tcgetattr(slave_fd, &t) == 0) {
        speed_t s = cfgetospeed(&t);
        for (const auto &r : rates)
            if (r.code == s)
                return r.rate;
    }
    return core_opts.baud;
}

void wait_power_on()
{
    for (;;) {
        take_events();
        if (host_opens > 0 || master_fd < 0)
            break;
        pollfd p[2] = {{notify_fd, POLLIN, 0}, {child_fd, POLLIN, 0}};
        int r = poll(p, child_fd >= 0 ? 2 : 1, -1);
        if (r > 0 && child_fd >= 0 && (p[1].revents & POLLIN))
            child_check();
    }
    went_off = false;
    rx_count = 0;
    pushed_back = -1;
    rx_len = rx_pos = 0;
    rx_ready = rx_arrival = tx_free = sim_clock::time_point();
    // What the host wrote before this power-on never reached the device.
    if (master_fd >= 0)
        tcflush(master_fd, TCIFLUSH);
}

void power_off()
{
    // Bytes in flight die with the power.
    if (master_fd >= 0) {
        unsigned char sink[256];
        while (read(master_fd, sink, sizeof sink) > 0) {
        }
        sim_discard_host_input();
    }
    // A stall ends with the power.
    if (slave_fd >= 0)
        tcflow(slave_fd, TCOON);
    rx_len = rx_pos = 0;
    pushed_back = -1;
}
