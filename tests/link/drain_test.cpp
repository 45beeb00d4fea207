#include "link/connect.h"
#include "link/port.h"

#include <gtest/gtest.h>

#include <atomic>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <fcntl.h>
#include <pty.h>
#include <thread>
#include <unistd.h>


namespace {

using namespace std::chrono;

long long ms_since(steady_clock::time_point start)
{
    return duration_cast<milliseconds>(steady_clock::now() - start).count();
}

// COM8 is the slave side of a fresh pty; the test plays the device on the master.
class Drain : public testing::Test {
  protected:
    int master = -1;
    int slave = -1;

    void SetUp() override
    {
        ASSERT_EQ(openpty(&master, &slave, nullptr, nullptr, nullptr), 0);
        setenv("DIRIDUZEDE_COM8", ttyname(slave), 1);
        std::snprintf(port_name, sizeof port_name, "COM8");
        ASSERT_EQ(open_port(port_name, 9600), 0);
    }

    void TearDown() override
    {
        close_port();
        close(master);
        close(slave);
        unsetenv("DIRIDUZEDE_COM8");
    }
};

TEST_F(Drain, EndsAfterTwoSecondsOfContinuousData)
{
    // A device that logs a line every 30 ms and never falls silent.
    std::atomic<bool> stop{false};
    std::thread talker([&] {
        while (!stop) {
            if (write(master, "traffic line\r\n", 14) < 0)
                break;
            std::this_thread::sleep_for(milliseconds(30));
        }
    });
    char scratch[40];
    auto start = steady_clock::now();
    drain_port(scratch, sizeof scratch);
    long long took = ms_since(start);
    stop = true;
    talker.join();
    EXPECT_GE(took, drain_limit_ms);
    EXPECT_LT(took, drain_limit_ms + 500);
}

TEST_F(Drain, EndsWhenTheLineFallsSilentAndDiscardsWhatCameBefore)
{
    ASSERT_EQ(write(master, "stale bytes from before", 23), 23);
    char scratch[40];
    auto start = steady_clock::now();
    drain_port(scratch, sizeof scratch);
    long long took = ms_since(start);
    // One read brings the bytes, the next one waits its 100 ms in vain.
    EXPECT_GE(took, 100);
    EXPECT_LT(took, 1000);
    char got[8];
    EXPECT_EQ(read_port(port_name, got, sizeof got, 50), 0);
}

} // namespace
