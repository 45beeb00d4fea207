// Failed writes of the connection, which the simulator cannot cause without
// platform-bound error texts: here the device's side of a pty stops taking
// bytes, so the port's writes time out.

#include "link/connect.h"
#include "link/port.h"
#include "shell/state.h"

#include <gtest/gtest.h>

#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <fcntl.h>
#include <pty.h>
#include <string>
#include <thread>
#include <unistd.h>


namespace {

class Connect : public testing::Test {
  protected:
    int master = -1;
    int slave = -1;  // the test's own hold on the host's side

    void SetUp() override
    {
        ASSERT_EQ(openpty(&master, &slave, nullptr, nullptr, nullptr), 0);
        fcntl(slave, F_SETFL, fcntl(slave, F_GETFL) | O_NONBLOCK);
        setenv("DIRIDUZEDE_COM9", ttyname(slave), 1);
        std::snprintf(port_name, sizeof port_name, "COM9");
        connected = 0;
    }

    void TearDown() override
    {
        close_port();
        close(master);
        close(slave);
        unsetenv("DIRIDUZEDE_COM9");
        connected = 0;
    }

    // The device reads nothing more: fill the queue towards it until the
    // system takes no further byte, also after it has had time to move
    // what it holds along.
    void stop_reading()
    {
        char block[4096];
        std::memset(block, 'z', sizeof block);
        for (bool took = true; took;) {
            took = false;
            for (int size : {4096, 64, 1})
                while (write(slave, block, static_cast<size_t>(size)) > 0)
                    took = true;
            std::this_thread::sleep_for(std::chrono::milliseconds(50));
        }
    }

    void open_connected()
    {
        testing::internal::CaptureStdout();
        ASSERT_EQ(open_port(port_name, 9600), 0);
        testing::internal::GetCapturedStdout();
        connected = 1;
    }
};

TEST_F(Connect, AttentionNotWrittenGivesCode5AndClosesThePort)
{
    // The device powers on after the drain, sends a good banner and stops reading.
    std::thread device([&] {
        std::this_thread::sleep_for(std::chrono::milliseconds(500));
        stop_reading();
        std::string banner = "\x05\r\nDiriduzede digipeater\r\nVersion 2.1a\r\n";
        banner.resize(120, '-');
        ASSERT_EQ(write(master, banner.data(), banner.size()), static_cast<ssize_t>(banner.size()));
    });
    testing::internal::CaptureStdout();
    int code = dev_connect(9600, connect_plain);
    std::string out = testing::internal::GetCapturedStdout();
    device.join();
    EXPECT_EQ(code, 5);
    // After the port's own message about the write.
    EXPECT_NE(out.find("COM9: "), std::string::npos) << out;
    EXPECT_NE(out.find("\n\n\a\aError: wrote <ctrl>-c attention character, got error on port COM9\n"),
              std::string::npos)
        << out;
    EXPECT_EQ(connected, 0);
    EXPECT_EQ(port_handle, sys_invalid_handle);
}

TEST_F(Connect, HostCommandNotWrittenDropsTheLink)
{
    open_connected();
    stop_reading();
    char words[] = "19200";
    words_begin(words);
    testing::internal::CaptureStdout();
    cmd_baud();
    std::string out = testing::internal::GetCapturedStdout();
    EXPECT_EQ(link_baud, 19200);
    EXPECT_NE(out.find("\a\aError: wrote Host Baud command, got error on port COM9\n"), std::string::npos) << out;
    EXPECT_EQ(out.find("Connecting"), std::string::npos) << out;
    EXPECT_EQ(connected, 0);
    EXPECT_EQ(port_handle, sys_invalid_handle);
}

TEST_F(Connect, CarriageReturnNotWrittenGivesCode7AndDropsTheLink)
{
    open_connected();
    stop_reading();
    testing::internal::CaptureStdout();
    int code = dev_connect(19200, connect_resync);
    std::string out = testing::internal::GetCapturedStdout();
    EXPECT_EQ(code, 7);
    EXPECT_EQ(out.substr(0, 23), "Connecting at 19200...\n");
    EXPECT_NE(out.find("\a\aError: wrote CR character, got error on port COM9\n"), std::string::npos) << out;
    EXPECT_EQ(connected, 0);
    EXPECT_EQ(port_handle, sys_invalid_handle);
}

TEST_F(Connect, PlainConnectWhileConnectedTouchesNothing)
{
    open_connected();
    sys_handle before = port_handle;
    testing::internal::CaptureStdout();
    int code = dev_connect(9600, connect_plain);
    EXPECT_EQ(testing::internal::GetCapturedStdout(), "Connecting at 9600...\n\a\aError: already Connected!\n");
    EXPECT_EQ(code, 1);
    EXPECT_EQ(connected, 1);
    EXPECT_EQ(port_handle, before);
}

} // namespace
