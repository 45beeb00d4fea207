// Who may have the port: the error texts that name the device, the UUCP
// lock files, the port listing, and the line trace.

#include "link/port.h"
#include "link/ports.h"
#include "link/trace.h"

#include <gtest/gtest.h>

#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <fcntl.h>
#include <fstream>
#include <grp.h>
#include <linux/serial.h>
#include <pty.h>
#include <regex>
#include <signal.h>
#include <sstream>
#include <string>
#include <vector>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

namespace {

constexpr const char *variable = "DIRIDUZEDE_COM7";

std::string file_text(const std::string &path)
{
    std::ifstream f(path, std::ios::binary);
    std::stringstream s;
    s << f.rdbuf();
    return s.str();
}

bool exists(const std::string &path)
{
    struct stat st;
    return lstat(path.c_str(), &st) == 0;
}

// A child that lives until it is killed, as the holder of a lock.
pid_t sleeper()
{
    pid_t pid = fork();
    if (pid == 0) {
        for (;;)
            pause();
    }
    return pid;
}

// The PID of a process that has ended.
pid_t gone_pid()
{
    pid_t pid = fork();
    if (pid == 0)
        _exit(0);
    waitpid(pid, nullptr, 0);
    return pid;
}

// COM7 on a fresh pty, as in port_test; lock is the lock file its device gets.
class Access : public testing::Test {
  protected:
    int master = -1;
    int slave = -1;
    std::string path;
    std::string lock;

    void SetUp() override
    {
        ASSERT_EQ(openpty(&master, &slave, nullptr, nullptr, nullptr), 0);
        path = ttyname(slave);
        ASSERT_EQ(path.rfind("/dev/pts/", 0), 0u) << path;
        lock = "/var/lock/LCK..pts_" + path.substr(9);
        setenv(variable, path.c_str(), 1);
        std::snprintf(port_name, sizeof port_name, "COM7");
    }

    void TearDown() override
    {
        close_port();
        close(master);
        close(slave);
        unsetenv(variable);
        unlink(lock.c_str());
    }

    bool locks_here()
    {
        return access("/var/lock", W_OK) == 0;
    }

    void write_lock(long pid)
    {
        std::ofstream f(lock);
        char text[16];
        std::snprintf(text, sizeof text, "%10ld\n", pid);
        f << text;
    }

    // open_port's result and what it printed.
    std::pair<int, std::string> try_open()
    {
        testing::internal::CaptureStdout();
        int result = open_port(port_name, 9600);
        return {result, testing::internal::GetCapturedStdout()};
    }
};

TEST_F(Access, UnreachableDevicesAreNamed)
{
    // What no one may open, as the user the tests run as.
    const struct {
        const char *device;
        int code;
    } cases[] = {
        {"/nonexistent/ttyUSB9", ENOENT},
        {"/dev/pts/999999", ENOENT},
        {"/proc/version/ttyS0", ENOTDIR},
    };
    for (const auto &c : cases) {
        setenv(variable, c.device, 1);
        auto [result, out] = try_open();
        EXPECT_EQ(result, -2) << c.device;
        EXPECT_EQ(out, std::string("\a\aError: cannot open COM port COM7: COM7 (") + c.device +
                           "): " + std::strerror(c.code) + "\n");
        EXPECT_EQ(port_handle, sys_invalid_handle);
    }
}

// A device the user may not open: as root, the pty goes to the dialout
// group and the open runs as nobody; otherwise the pty is made unreadable.
TEST_F(Access, NoAccessNamesTheGroup)
{
    std::string group = "dialout";
    const bool root = geteuid() == 0;
    if (root) {
        const struct group *g = getgrnam("dialout");
        if (g == nullptr)
            GTEST_SKIP() << "no dialout group here";
        ASSERT_EQ(chown(path.c_str(), 0, g->gr_gid), 0);
        ASSERT_EQ(chmod(path.c_str(), 0660), 0);
    } else {
        struct stat st;
        ASSERT_EQ(stat(path.c_str(), &st), 0);
        group = getgrgid(st.st_gid)->gr_name;
        ASSERT_EQ(chmod(path.c_str(), 0), 0);
    }
    int out[2];
    ASSERT_EQ(pipe(out), 0);
    pid_t child = fork();
    ASSERT_GE(child, 0);
    if (child == 0) {
        if (root && (setgroups(0, nullptr) != 0 || setgid(65534) != 0 || setuid(65534) != 0))
            _exit(2);
        char text[1024] = "";
        if (sys_open(path.c_str()) == sys_invalid_handle)
            sys_open_error_message("COM7", path.c_str(), text, sizeof text);
        ssize_t n = write(out[1], text, std::strlen(text));
        _exit(n >= 0 ? 0 : 3);
    }
    close(out[1]);
    char text[1024];
    ssize_t n = read(out[0], text, sizeof text - 1);
    close(out[0]);
    int status = 0;
    waitpid(child, &status, 0);
    ASSERT_TRUE(WIFEXITED(status) && WEXITSTATUS(status) == 0) << status;
    ASSERT_GE(n, 0);
    text[n] = 0;
    EXPECT_EQ(std::string(text),
              "COM7 (" + path + "): " + std::strerror(EACCES) + " (is your user in the " + group + " group?)");
}

TEST(Uart, OnlyATtySWithoutUartIsRefused)
{
    const struct {
        unsigned major, minor;
        int type;
        bool missing;
    } cases[] = {
        {4, 64, PORT_UNKNOWN, true},   // ttyS0 on a PC without a serial port
        {4, 67, PORT_UNKNOWN, true},   // ttyS3
        {4, 64, PORT_16550A, false},   // a real one
        {4, 1, PORT_UNKNOWN, false},   // tty1, a virtual console
        {166, 0, PORT_UNKNOWN, false}, // ttyACM0: its driver tells no type
        {188, 0, PORT_UNKNOWN, false}, // ttyUSB0
    };
    for (const auto &c : cases)
        EXPECT_EQ(sys_uart_missing(c.major, c.minor, c.type), c.missing) << c.major << ":" << c.minor;
}

TEST_F(Access, LockFileIsKeptWhileOpen)
{
    if (!locks_here())
        GTEST_SKIP() << "/var/lock is not writable";
    auto [result, out] = try_open();
    ASSERT_EQ(result, 0) << out;
    char text[16];
    std::snprintf(text, sizeof text, "%10d\n", getpid());
    EXPECT_EQ(file_text(lock), text);
    close_port();
    EXPECT_FALSE(exists(lock));
}

TEST_F(Access, LiveLockRefusesStaleLockIsTakenOver)
{
    if (!locks_here())
        GTEST_SKIP() << "/var/lock is not writable";
    pid_t holder = sleeper();
    ASSERT_GT(holder, 0);
    write_lock(holder);
    auto [result, out] = try_open();
    EXPECT_EQ(result, -2);
    // The holder is a fork of this test, so it bears the test's name.
    char comm[64] = "";
    std::ifstream("/proc/self/comm").getline(comm, sizeof comm);
    EXPECT_EQ(out, "\a\aError: cannot open COM port COM7: COM7 (" + path + "): in use by PID " +
                       std::to_string(holder) + " (" + comm + "), lock file " + lock + "\n");
    EXPECT_EQ(port_handle, sys_invalid_handle);
    char text[16];
    std::snprintf(text, sizeof text, "%10d\n", holder);
    EXPECT_EQ(file_text(lock), text);

    // The holder ends without removing its lock: the lock is stale now.
    kill(holder, SIGKILL);
    waitpid(holder, nullptr, 0);
    std::tie(result, out) = try_open();
    EXPECT_EQ(result, 0) << out;
    std::snprintf(text, sizeof text, "%10d\n", getpid());
    EXPECT_EQ(file_text(lock), text);
    close_port();
    EXPECT_FALSE(exists(lock));
}

TEST_F(Access, StaleLocksOfEveryKindAreTakenOver)
{
    if (!locks_here())
        GTEST_SKIP() << "/var/lock is not writable";
    const std::string gone = std::to_string(gone_pid());
    const std::string binary_gone = [&] {
        int32_t pid = gone_pid();
        return std::string(reinterpret_cast<const char *>(&pid), 4);
    }();
    const std::string contents[] = {
        "    " + gone + "\n", gone + "\n", binary_gone, "", "junk\n", "         0\n",
    };
    for (const std::string &c : contents) {
        std::ofstream(lock, std::ios::binary) << c;
        auto [result, out] = try_open();
        EXPECT_EQ(result, 0) << "lock holding \"" << c << "\": " << out;
        close_port();
        EXPECT_FALSE(exists(lock)) << c;
    }
}

TEST_F(Access, SecondOpenInThisProcessKeepsTheFirstLock)
{
    if (!locks_here())
        GTEST_SKIP() << "/var/lock is not writable";
    ASSERT_EQ(try_open().first, 0);
    const sys_handle first = port_handle;
    auto [result, out] = try_open();
    EXPECT_EQ(result, -2);
    EXPECT_EQ(out, "\a\aError: cannot open COM port COM7: COM7 (" + path + "): " + std::strerror(EBUSY) + "\n");
    EXPECT_TRUE(exists(lock)); // the failed open did not take the first one's lock away
    port_handle = first;
    close_port();
    EXPECT_FALSE(exists(lock));
}

TEST_F(Access, LockIsRemovedAtExit)
{
    if (!locks_here())
        GTEST_SKIP() << "/var/lock is not writable";
    pid_t child = fork();
    ASSERT_GE(child, 0);
    if (child == 0) {
        testing::internal::CaptureStdout();
        if (open_port(port_name, 9600) != 0 || !exists(lock))
            std::_Exit(10);
        std::exit(0); // as the prompt's exit does, with the port still open
    }
    int status = 0;
    waitpid(child, &status, 0);
    EXPECT_TRUE(WIFEXITED(status) && WEXITSTATUS(status) == 0) << status;
    EXPECT_FALSE(exists(lock));
}

TEST_F(Access, LockIsRemovedOnTheFatalExit)
{
    if (!locks_here())
        GTEST_SKIP() << "/var/lock is not writable";
    // The child is a fork of this very test: the same pty, the same lock.
    EXPECT_EXIT(
        {
            if (open_port(port_name, 9600) != 0 || !exists(lock))
                std::_Exit(10);
            char buf[4];
            read_port(port_name, buf, 0, 100); // a bad size: the fatal end
            std::_Exit(11);
        },
        testing::ExitedWithCode(3), "invalid param size: 0");
    EXPECT_FALSE(exists(lock));
}

TEST_F(Access, ListingShowsEachState)
{
    setenv("DIRIDUZEDE_COM5", path.c_str(), 1);
    setenv("DIRIDUZEDE_COM6", "/nonexistent/ttyUSB9", 1);
    setenv("DIRIDUZEDE_COM8", "/dev/null", 1);
    static sys_port_entry entries[64];
    int count = sys_list_ports(entries, 64);
    ASSERT_GE(count, 20);
    for (int n = 1; n <= 20; n++)
        EXPECT_EQ(std::string(entries[n - 1].name), "COM" + std::to_string(n));
    EXPECT_EQ(std::string(entries[4].path), path);
    EXPECT_TRUE(entries[4].from_variable);
    EXPECT_EQ(entries[4].state, sys_port_free);
    EXPECT_EQ(entries[5].state, sys_port_missing);
    EXPECT_EQ(entries[7].state, sys_port_not_tty);
    EXPECT_FALSE(entries[8].from_variable);
    EXPECT_EQ(std::string(entries[8].path), "/dev/ttyS8");

    // Held by this process, and then by another one's lock.
    ASSERT_EQ(try_open().first, 0);
    count = sys_list_ports(entries, 64);
    EXPECT_EQ(entries[6].state, sys_port_busy); // COM7 is the same pty
    EXPECT_EQ(entries[4].state, sys_port_busy);
    close_port();
    if (locks_here()) {
        pid_t holder = sleeper();
        write_lock(holder);
        sys_list_ports(entries, 64);
        EXPECT_EQ(entries[4].state, sys_port_busy);
        EXPECT_EQ(entries[4].pid, holder);
        kill(holder, SIGKILL);
        waitpid(holder, nullptr, 0);
    }
    unsetenv("DIRIDUZEDE_COM5");
    unsetenv("DIRIDUZEDE_COM6");
    unsetenv("DIRIDUZEDE_COM8");
}

TEST_F(Access, ListingPrintsThePortsLines)
{
    // A link to the pty, as a by-id name would be.
    char dir[] = "/tmp/dz-list-XXXXXX";
    ASSERT_NE(mkdtemp(dir), nullptr);
    const std::string link = std::string(dir) + "/adapter";
    ASSERT_EQ(symlink(path.c_str(), link.c_str()), 0);
    setenv("DIRIDUZEDE_COM5", link.c_str(), 1);
    testing::internal::CaptureStdout();
    list_ports();
    std::string out = testing::internal::GetCapturedStdout();
    unsetenv("DIRIDUZEDE_COM5");
    unlink(link.c_str());
    rmdir(dir);
    EXPECT_NE(out.find("\nCOM5   free        " + link + " -> " + path + " (set by DIRIDUZEDE_COM5)\n"),
              std::string::npos)
        << out;
    EXPECT_NE(out.find("\nCOM7   free        " + path + " (set by DIRIDUZEDE_COM7)\n"), std::string::npos) << out;
    EXPECT_NE(out.find("\n\nOther serial devices:"), std::string::npos) << out;
}

TEST_F(Access, TraceRecordsWhatCrossesTheLine)
{
    char file[] = "/tmp/dz-trace-XXXXXX";
    int fd = mkstemp(file);
    ASSERT_GE(fd, 0);
    close(fd);
    ASSERT_EQ(trace_open(file), 0);
    ASSERT_EQ(try_open().first, 0);
    std::string bytes;
    for (int i = 0; i < 20; i++)
        bytes += static_cast<char>(i * 13 + 60);
    EXPECT_EQ(write_port(port_name, bytes.data(), 20), 20);
    ASSERT_EQ(write(master, "\x06OK\r\n", 5), 5);
    char buf[16];
    EXPECT_EQ(read_port(port_name, buf, 5, 1000), 5);
    EXPECT_EQ(read_port(port_name, buf, 1, 10), 0);
    close_port();
    trace_close();
    std::string text = file_text(file);
    unlink(file);

    const char *t = "( {4}[0-9]\\.[0-9]{3}|[ 0-9]{5,}\\.[0-9]{3}) ";
    std::string expected = std::string("^") + t + "COM7 open " + path + "\n" + t +
                           "COM7 rate 9600, 8 data bits, no parity, 1 stop bit\n" + t +
                           "COM7 purge: unread input and unsent output dropped\n" + t +
                           "COM7 write 0000: 3c 49 56 63 70 7d 8a 97 a4 b1 be cb d8 e5 f2 ff  <IVcp\\}\\.{10}\n" + t +
                           "COM7 write 0010: 0c 19 26 33 {36}  \\.\\.&3\n" + t +
                           "COM7 read  0000: 06 4f 4b 0d 0a {33}  \\.OK\\.\\.\n" + t +
                           "COM7 read  nothing \\(1 asked, time-out 10 ms\\)\n" + t + "COM7 close\n$";
    EXPECT_TRUE(std::regex_match(text, std::regex(expected))) << text;
}

} // namespace

namespace {

sys_port_entry entry(const char *name, const char *path, int state, const char *target = "",
                     bool from_variable = false, int pid = 0)
{
    sys_port_entry e{};
    std::snprintf(e.name, sizeof e.name, "%s", name);
    std::snprintf(e.path, sizeof e.path, "%s", path);
    std::snprintf(e.target, sizeof e.target, "%s", target);
    e.state = state;
    e.from_variable = from_variable;
    e.pid = pid;
    return e;
}

std::string listing(const std::vector<sys_port_entry> &entries)
{
    testing::internal::CaptureStdout();
    print_port_listing(entries.data(), static_cast<int>(entries.size()));
    return testing::internal::GetCapturedStdout();
}

// The other devices get the first COM numbers whose own devices are not
// there, one number for a device seen under two names, none for a device
// that a variable maps already.
TEST(Listing, OtherDevicesGetNumbersToPaste)
{
    const std::vector<sys_port_entry> entries = {
        entry("COM1", "/dev/ttyS0", sys_port_no_uart),
        entry("COM2", "/dev/ttyS1", sys_port_free),
        entry("COM3", "/dev/ttyS2", sys_port_missing),
        entry("COM4", "/dev/ttyACM0", sys_port_free, "", true),
        entry("COM5", "/dev/ttyS4", sys_port_missing),
        entry("", "/dev/serial/by-id/usb-A-if00-port0", sys_port_free, "/dev/ttyUSB0"),
        entry("", "/dev/serial/by-id/usb-B-if00", sys_port_free, "/dev/ttyACM0"),
        entry("", "/dev/ttyACM0", sys_port_free),
        entry("", "/dev/ttyUSB0", sys_port_free),
        entry("", "/dev/ttyUSB1", sys_port_busy, "", false, 77),
    };
    EXPECT_EQ(listing(entries), "COM1   no UART     /dev/ttyS0\n"
                                "COM2   free        /dev/ttyS1\n"
                                "COM3   missing     /dev/ttyS2\n"
                                "COM4   free        /dev/ttyACM0 (set by DIRIDUZEDE_COM4)\n"
                                "COM5   missing     /dev/ttyS4\n"
                                "\n"
                                "Other serial devices:\n"
                                "       free        /dev/serial/by-id/usb-A-if00-port0 -> /dev/ttyUSB0\n"
                                "                   DIRIDUZEDE_COM1=/dev/serial/by-id/usb-A-if00-port0\n"
                                "       free        /dev/serial/by-id/usb-B-if00 -> /dev/ttyACM0\n"
                                "                   is COM4\n"
                                "       free        /dev/ttyACM0\n"
                                "                   is COM4\n"
                                "       free        /dev/ttyUSB0\n"
                                "                   DIRIDUZEDE_COM1=/dev/ttyUSB0\n"
                                "       busy        /dev/ttyUSB1, held by PID 77\n"
                                "                   DIRIDUZEDE_COM3=/dev/ttyUSB1\n");
}

TEST(Listing, NoNumberLeftAndNoOtherDevices)
{
    EXPECT_EQ(listing({entry("COM1", "/dev/ttyS0", sys_port_free), entry("", "/dev/ttyUSB0", sys_port_free)}),
              "COM1   free        /dev/ttyS0\n"
              "\n"
              "Other serial devices:\n"
              "       free        /dev/ttyUSB0\n"
              "                   no COM number is left to map it to\n");
    EXPECT_EQ(listing({entry("COM1", "/dev/ttyS0", sys_port_no_access)}),
              "COM1   no access   /dev/ttyS0 (is your user in the dialout group?)\n"
              "\n"
              "Other serial devices: none found\n");
}

} // namespace
