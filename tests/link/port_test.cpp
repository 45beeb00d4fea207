#include "link/baud.h"
#include "link/port.h"
#include "tty_speed.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cerrno>
#include <climits>
#include <chrono>
#include <csignal>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <fcntl.h>
#include <iterator>
#include <poll.h>
#include <pty.h>
#include <string>
#include <sys/stat.h>
#include <sys/time.h>
#include <sys/wait.h>
#include <termios.h>
#include <thread>
#include <unistd.h>

namespace {

constexpr const char *variable = "DIRIDUZEDE_COM7";

// How late a time-out may end on a busy machine, in milliseconds.
constexpr long long tolerance = 75;
// Lateness comes from the machine's load (CI runs tests side by side), so a
// time-out is judged by its best try.
constexpr int load_retries = 5;

long long ms_since(std::chrono::steady_clock::time_point start)
{
    return std::chrono::duration_cast<std::chrono::milliseconds>(std::chrono::steady_clock::now() - start).count();
}

std::string bell_error(const std::string &text)
{
    return "\a\aError: " + text + "\n";
}

// COM7 is the far end of a fresh pty; the test keeps the master and its own
// slave descriptor for looking at the line from outside.
class Port : public testing::Test {
  protected:
    int master = -1;
    int slave = -1;
    std::string path;

    void SetUp() override
    {
        ASSERT_EQ(openpty(&master, &slave, nullptr, nullptr, nullptr), 0);
        path = ttyname(slave);
        fcntl(master, F_SETFL, fcntl(master, F_GETFL) | O_NONBLOCK);
        setenv(variable, path.c_str(), 1);
        std::snprintf(port_name, sizeof port_name, "COM7");
    }

    void TearDown() override
    {
        close_port();
        if (master >= 0)
            close(master);
        close(slave);
        unsetenv(variable);
    }

    void open_at(int32_t rate)
    {
        testing::internal::CaptureStdout();
        int result = open_port(port_name, rate);
        ASSERT_EQ(testing::internal::GetCapturedStdout(), "");
        ASSERT_EQ(result, 0);
    }

    void send(const std::string &bytes)
    {
        ASSERT_EQ(write(master, bytes.data(), bytes.size()), static_cast<ssize_t>(bytes.size()));
    }

    // Everything the port sent, until the line stays quiet for 200 ms.
    std::string received()
    {
        std::string all;
        char chunk[4096];
        pollfd p{master, POLLIN, 0};
        while (poll(&p, 1, 200) > 0) {
            ssize_t n = read(master, chunk, sizeof chunk);
            if (n <= 0)
                break;
            all.append(chunk, static_cast<size_t>(n));
        }
        return all;
    }
};

TEST_F(Port, PathFromVariableOrDefault)
{
    const struct {
        const char *name;
        const char *value; // nullptr: unset
        const char *path;
    } cases[] = {
        {"COM7", "/dev/ttyUSB0", "/dev/ttyUSB0"},
        {"COM7", "/dev/serial/by-id/usb-x-if00-port0", "/dev/serial/by-id/usb-x-if00-port0"},
        {"COM7", nullptr, "/dev/ttyS6"},
        {"COM7", "", "/dev/ttyS6"},
        {"COM1", nullptr, "/dev/ttyS0"},
        {"COM20", nullptr, "/dev/ttyS19"},
    };
    for (const auto &c : cases) {
        if (c.value != nullptr)
            setenv(variable, c.value, 1);
        else
            unsetenv(variable);
        char out[sys_path_size];
        ASSERT_EQ(sys_port_path(c.name, out, sizeof out), 0) << c.name;
        EXPECT_STREQ(out, c.path) << c.name << " " << (c.value ? c.value : "(unset)");
    }
    char out[sys_path_size];
    EXPECT_EQ(sys_port_path("COM0", out, sizeof out), -1);
    EXPECT_EQ(sys_port_path("LPT1", out, sizeof out), -1);
    char small[8];
    setenv(variable, "/dev/ttyUSB0", 1);
    EXPECT_EQ(sys_port_path("COM7", small, sizeof small), -1);
    EXPECT_EQ(sys_last_error(), ENAMETOOLONG);
}

TEST_F(Port, OpensThroughVariableInRaw8N1)
{
    open_at(9600);
    ASSERT_NE(port_handle, sys_invalid_handle);

    termios t;
    ASSERT_EQ(tcgetattr(slave, &t), 0);
    EXPECT_EQ(t.c_cflag & CSIZE, static_cast<tcflag_t>(CS8));
    EXPECT_EQ(t.c_cflag & (PARENB | CSTOPB | CRTSCTS), 0u);
    EXPECT_EQ(t.c_cflag & (CLOCAL | CREAD), static_cast<tcflag_t>(CLOCAL | CREAD));
    EXPECT_EQ(t.c_iflag & (IXON | IXOFF | ICRNL | INLCR | IGNCR | ISTRIP | INPCK), 0u);
    EXPECT_EQ(t.c_lflag & (ICANON | ECHO | ISIG | IEXTEN), 0u);
    EXPECT_EQ(t.c_oflag & OPOST, 0u);
    EXPECT_EQ(tty_speed(slave), 9600u);
    EXPECT_EQ(port_line.fNull, 1);
}

TEST_F(Port, DefaultPathIsTried)
{
    unsetenv(variable);
    std::snprintf(port_name, sizeof port_name, "COM20");
    struct stat st;
    if (stat("/dev/ttyS19", &st) == 0)
        GTEST_SKIP() << "/dev/ttyS19 exists here";
    testing::internal::CaptureStdout();
    EXPECT_EQ(open_port(port_name, 9600), -2);
    EXPECT_EQ(testing::internal::GetCapturedStdout(),
              bell_error(std::string("cannot open COM port COM20: COM20 (/dev/ttyS19): ") + std::strerror(ENOENT)));
    EXPECT_EQ(port_handle, sys_invalid_handle);
}

TEST_F(Port, MissingDeviceFailsWithSystemText)
{
    setenv(variable, "/nonexistent/ttyX", 1);
    testing::internal::CaptureStdout();
    EXPECT_EQ(open_port(port_name, 9600), -2);
    EXPECT_EQ(testing::internal::GetCapturedStdout(),
              bell_error(std::string("cannot open COM port COM7: COM7 (/nonexistent/ttyX): ") + std::strerror(ENOENT)));
    EXPECT_EQ(sys_last_error(), ENOENT);
    EXPECT_EQ(port_handle, sys_invalid_handle);
}

TEST_F(Port, SecondOpenFailsUntilClosed)
{
    open_at(9600);
    const sys_handle first = port_handle;

    testing::internal::CaptureStdout();
    EXPECT_EQ(open_port(port_name, 9600), -2);
    EXPECT_EQ(testing::internal::GetCapturedStdout(),
              bell_error("cannot open COM port COM7: COM7 (" + path + "): " + std::strerror(EBUSY)));

    // Another program is refused the same way.
    pid_t child = fork();
    ASSERT_GE(child, 0);
    if (child == 0)
        _exit(sys_open(path.c_str()) == sys_invalid_handle && sys_last_error() == EBUSY ? 0 : 1);
    int status = 0;
    ASSERT_EQ(waitpid(child, &status, 0), child);
    EXPECT_TRUE(WIFEXITED(status) && WEXITSTATUS(status) == 0);

    port_handle = first;
    close_port();
    EXPECT_EQ(port_handle, sys_invalid_handle);
    close_port(); // a second close is harmless
    open_at(9600);
}

TEST_F(Port, NoTtyIsRefusedAndClosed)
{
    setenv(variable, "/dev/null", 1);
    testing::internal::CaptureStdout();
    EXPECT_EQ(open_port(port_name, 9600), -3);
    EXPECT_EQ(testing::internal::GetCapturedStdout(),
              bell_error(std::string("could not get comm properties for port COM7: ") + std::strerror(ENOTTY)));
    EXPECT_EQ(port_handle, sys_invalid_handle);
}

TEST_F(Port, EveryTableRateIsSet)
{
    for (const int32_t *rate = baud_table; *rate != 0; rate++) {
        open_at(*rate);
        EXPECT_EQ(tty_speed(slave), static_cast<uint32_t>(*rate)) << *rate;
        EXPECT_EQ(port_line.BaudRate, static_cast<uint32_t>(*rate));
        close_port();
    }
}

TEST_F(Port, StandingTimeoutsFollowTheRate)
{
    // Read: one character time, rounded down. Write: twice that, rounded
    // down, but never below one character time rounded up.
    const struct {
        int32_t rate;
        uint32_t read_multiplier, write_multiplier;
    } cases[] = {{110, 90, 181},  {300, 33, 66},   {600, 16, 33},  {1200, 8, 16},  {2400, 4, 8},
                 {4800, 2, 4},    {9600, 1, 2},    {14400, 0, 1},  {19200, 0, 1},  {38400, 0, 1},
                 {56000, 0, 1},   {57600, 0, 1},   {115200, 0, 1}};
    static_assert(std::size(cases) == std::size(baud_table) - 1, "one case per rate of the table");
    for (const auto &c : cases) {
        EXPECT_NE(get_baud(c.rate), nullptr) << c.rate;
        open_at(c.rate);
        EXPECT_EQ(port_timeouts.ReadIntervalTimeout, 0u) << c.rate;
        EXPECT_EQ(port_timeouts.ReadTotalTimeoutMultiplier, c.read_multiplier) << c.rate;
        EXPECT_EQ(port_timeouts.ReadTotalTimeoutConstant, 1u) << c.rate;
        EXPECT_EQ(port_timeouts.WriteTotalTimeoutMultiplier, c.write_multiplier) << c.rate;
        EXPECT_EQ(port_timeouts.WriteTotalTimeoutConstant, 10u) << c.rate;
        close_port();
    }
}

TEST_F(Port, RateOutsideTableIsRefused)
{
    open_at(9600);
    const struct {
        int32_t rate;
        const char *out;
    } cases[] = {
        {28800, "\a\aError: Invalid baud rate 28800\n"},
        {-9600, "\a\aError: Invalid baud rate -9600\n"},
        {0, "get_baud: Error: invalid baud: 0\n\a\aError: Invalid baud rate 0\n"},
    };
    for (const auto &c : cases) {
        testing::internal::CaptureStdout();
        EXPECT_EQ(set_comm_prop(port_name, c.rate), -2) << c.rate;
        EXPECT_EQ(testing::internal::GetCapturedStdout(), c.out);
    }
    close_port();

    // Through open_port the port is left closed.
    testing::internal::CaptureStdout();
    EXPECT_EQ(open_port(port_name, 28800), -3);
    EXPECT_EQ(testing::internal::GetCapturedStdout(), "\a\aError: Invalid baud rate 28800\n");
    EXPECT_EQ(port_handle, sys_invalid_handle);
    open_at(9600);
}

TEST_F(Port, NullArguments)
{
    testing::internal::CaptureStdout();
    EXPECT_EQ(open_port(nullptr, 9600), -1);
    EXPECT_EQ(set_comm_prop(nullptr, 9600), -1);
    EXPECT_EQ(testing::internal::GetCapturedStdout(),
              "open_port: Error: port null argument\nset_comm_prop: Error: port null argument\n");
}

TEST_F(Port, SilentReadLastsItsTotalTimeout)
{
    const struct {
        int32_t rate;
        int size, timeout;
        long long total; // size * (10000 / rate) + timeout + 10, or the standing size * (10000 / rate) + 1
    } cases[] = {
        {9600, 1, 200, 211},
        {4800, 20, 100, 150},
        {57600, 50, 50, 60},
        {110, 3, 0, 271},
    };
    for (const auto &c : cases) {
        open_at(c.rate);
        char buf[64];
        // Never early, however loaded the machine.
        long long best = LLONG_MAX;
        for (int attempt = 0; attempt < load_retries && best >= c.total + tolerance; attempt++) {
            auto start = std::chrono::steady_clock::now();
            EXPECT_EQ(read_port(port_name, buf, c.size, c.timeout), 0) << c.rate;
            long long took = ms_since(start);
            EXPECT_GE(took, c.total) << c.rate;
            best = std::min(best, took);
        }
        EXPECT_LT(best, c.total + tolerance) << c.rate;
        close_port();
    }
}

TEST_F(Port, ReadReturnsOnceSizeHasArrived)
{
    open_at(9600);
    send("abc");
    char buf[8] = {};
    auto start = std::chrono::steady_clock::now();
    EXPECT_EQ(read_port(port_name, buf, 3, 5000), 3);
    EXPECT_LT(ms_since(start), 1000);
    EXPECT_EQ(std::string(buf, 3), "abc");

    // Bytes that come while the read waits end it as well.
    std::thread late([this] {
        std::this_thread::sleep_for(std::chrono::milliseconds(100));
        send("xy");
    });
    start = std::chrono::steady_clock::now();
    EXPECT_EQ(read_port(port_name, buf, 2, 5000), 2);
    long long took = ms_since(start);
    late.join();
    EXPECT_GE(took, 90);
    EXPECT_LT(took, 1000);
    EXPECT_EQ(std::string(buf, 2), "xy");

    // Fewer bytes than asked: what came, after the whole time-out.
    send("ab");
    start = std::chrono::steady_clock::now();
    EXPECT_EQ(read_port(port_name, buf, 5, 100), 2);
    EXPECT_GE(ms_since(start), 5 * 1 + 100 + 10);
    EXPECT_EQ(std::string(buf, 2), "ab");
}

TEST_F(Port, EveryByteButZeroPassesUnchanged)
{
    open_at(115200);
    std::string all;
    for (int b = 0; b < 256; b++)
        all += static_cast<char>(b);
    send(all + std::string("\0\0z", 3));
    char buf[256];
    EXPECT_EQ(read_port(port_name, buf, 256, 2000), 256);
    EXPECT_EQ(std::string(buf, 256), all.substr(1) + "z");

    // Zero bytes alone make nothing to read.
    send(std::string("\0\0\0", 3));
    EXPECT_EQ(read_port(port_name, buf, 1, 100), 0);
}

TEST_F(Port, ReadSurvivesSignals)
{
    open_at(9600);
    struct sigaction quiet = {};
    quiet.sa_handler = [](int) {};
    struct sigaction old;
    sigaction(SIGALRM, &quiet, &old);
    itimerval every{{0, 30000}, {0, 30000}};
    setitimer(ITIMER_REAL, &every, nullptr);

    char buf[4];
    long long best = LLONG_MAX;
    for (int attempt = 0; attempt < load_retries && best >= 211 + tolerance; attempt++) {
        auto start = std::chrono::steady_clock::now();
        EXPECT_EQ(read_port(port_name, buf, 1, 200), 0);
        long long took = ms_since(start);
        EXPECT_GE(took, 211);
        best = std::min(best, took);
    }

    itimerval off{};
    setitimer(ITIMER_REAL, &off, nullptr);
    sigaction(SIGALRM, &old, nullptr);
    EXPECT_LT(best, 211 + tolerance);
}

TEST_F(Port, PurgeDropsWaitingInput)
{
    open_at(9600);
    send("stale");
    pollfd p{slave, POLLIN, 0};
    ASSERT_EQ(poll(&p, 1, 1000), 1); // it has reached the port
    purge_port();
    char buf[8];
    EXPECT_EQ(read_port(port_name, buf, 5, 50), 0);
}

TEST_F(Port, HangUpIsAFailedRead)
{
    open_at(9600);
    sys_timeouts long_wait{0, 0, 5000, 0, 0};
    ASSERT_EQ(sys_set_timeouts(port_handle, &long_wait), 0);
    close(master);
    master = -1;
    char buf[4];
    int got = -1;
    auto start = std::chrono::steady_clock::now();
    EXPECT_EQ(sys_read(port_handle, buf, 4, &got), -1);
    EXPECT_LT(ms_since(start), 1000);
    EXPECT_EQ(sys_last_error(), EIO);
    EXPECT_EQ(got, 0);
}

TEST_F(Port, IntervalAndImmediateReads)
{
    open_at(9600);
    char buf[16];
    int got = -1;

    // A gap of 50 ms after the first bytes ends the read long before its total.
    sys_timeouts gap{50, 0, 2000, 0, 0};
    ASSERT_EQ(sys_set_timeouts(port_handle, &gap), 0);
    send("ab");
    auto start = std::chrono::steady_clock::now();
    EXPECT_EQ(sys_read(port_handle, buf, 10, &got), 0);
    long long took = ms_since(start);
    EXPECT_EQ(got, 2);
    EXPECT_GE(took, 50);
    EXPECT_LT(took, 1000);

    // No interval and no total: only what is there already.
    sys_timeouts now{0xFFFFFFFF, 0, 0, 0, 0};
    ASSERT_EQ(sys_set_timeouts(port_handle, &now), 0);
    start = std::chrono::steady_clock::now();
    EXPECT_EQ(sys_read(port_handle, buf, 10, &got), 0);
    EXPECT_EQ(got, 0);
    EXPECT_LT(ms_since(start), 50);
}

TEST_F(Port, WritesArriveWhole)
{
    open_at(9600);
    std::string all;
    for (int i = 0; i < 1000; i++)
        all += static_cast<char>(i * 7);
    EXPECT_EQ(write_port(port_name, all.data(), static_cast<int>(all.size())), 1000);
    EXPECT_EQ(received(), all);
}

TEST_F(Port, ShortWriteFailsWithTheRealCount)
{
    // Nobody reads the far end, and the write has 10 ms whatever its length
    // (no rate gives so little: the standing multiplier is at least 1 ms).
    open_at(115200);
    port_timeouts.WriteTotalTimeoutMultiplier = 0;
    ASSERT_EQ(sys_set_timeouts(port_handle, &port_timeouts), 0);
    std::string block(1 << 20, 'w');
    testing::internal::CaptureStdout();
    int result = write_port(port_name, block.data(), static_cast<int>(block.size()));
    std::string out = testing::internal::GetCapturedStdout();
    EXPECT_EQ(result, -3);
    size_t sent = received().size();
    ASSERT_GT(sent, 0u);
    ASSERT_LT(sent, block.size());
    EXPECT_EQ(out, bell_error("wrote " + std::to_string(sent) + " of " + std::to_string(block.size()) +
                              ", got error on port COM7: " + std::strerror(ETIMEDOUT)));
}

TEST_F(Port, WriteArgumentsAreRefused)
{
    open_at(9600);
    const char byte = 'x';
    const struct {
        const char *name;
        const void *bytes;
        int count;
        int result;
        const char *out;
    } cases[] = {
        {"COM7", &byte, 0, -1, "write_port: Error: invalid param len: 0\n"},
        {"COM7", &byte, -1, -1, "write_port: Error: invalid param len: -1\n"},
        {nullptr, &byte, 1, -1, "write_port: Error: invalid param file port\n"},
        {"COM7", nullptr, 1, -2, "write_port: Error: invalid param buf ptr\n"},
    };
    for (const auto &c : cases) {
        testing::internal::CaptureStdout();
        EXPECT_EQ(write_port(c.name, c.bytes, c.count), c.result) << c.out;
        EXPECT_EQ(testing::internal::GetCapturedStdout(), c.out);
    }
    EXPECT_EQ(received(), ""); // the port was not touched
}

// A read that the far end's close interrupts; it must not come back.
void read_until_unplugged()
{
    int master = -1;
    int slave = -1;
    if (openpty(&master, &slave, nullptr, nullptr, nullptr) != 0)
        std::_Exit(10);
    setenv(variable, ttyname(slave), 1);
    close(slave);
    std::snprintf(port_name, sizeof port_name, "COM7");
    if (open_port(port_name, 9600) != 0)
        std::_Exit(11);
    std::thread unplug([master] {
        std::this_thread::sleep_for(std::chrono::milliseconds(200));
        close(master);
    });
    unplug.detach();
    char buf[4];
    read_port(port_name, buf, 4, 20000);
    std::_Exit(12);
}

// The fatal end takes its full 5 seconds, so one case of each code.
TEST(PortDeathTest, HangUpDuringReadEndsWithStatus3)
{
    GTEST_FLAG_SET(death_test_style, "threadsafe");
    auto start = std::chrono::steady_clock::now();
    EXPECT_EXIT(read_until_unplugged(), testing::ExitedWithCode(3),
                "^\a\aError: could not read on COM port COM7: Input/output error\n"
                "Return code 26, system error code 5\n"
                "\nabnormal program termination\n$");
    long long took = ms_since(start);
    EXPECT_GE(took, 5200);
    EXPECT_LT(took, 9000); // not the 20 s of the read's time-out
}

TEST(PortDeathTest, BadArgumentEndsWithStatus3)
{
    GTEST_FLAG_SET(death_test_style, "threadsafe");
    char buf[4];
    EXPECT_EXIT(read_port("COM7", buf, 0, 100), testing::ExitedWithCode(3),
                "^read_port: Error: invalid param size: 0\nReturn code 25, system error code [0-9]+\n");
}

} // namespace
