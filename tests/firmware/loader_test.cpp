// The firmware command's failed writes of the sync byte (-7) and of the
// identifier (-9). On a pseudo-terminal a hang-up shows in the read before
// them, so no line produces these: the scripted port stands in.

#include "shell/commands.h"
#include "shell/state.h"
#include "support/fake_port.h"

#include <gtest/gtest.h>

#include <cstdio>
#include <string>
#include <vector>


namespace {

const std::string advice = "Error: Firmware update failed!\n\tPower cycle Diriduzede and try again!\n";

std::string write_file(const std::string &name, const std::string &text)
{
    std::string path = testing::TempDir() + name;
    FILE *f = std::fopen(path.c_str(), "wb");
    if (f != nullptr) {
        std::fwrite(text.data(), 1, text.size(), f);
        std::fclose(f);
    }
    return path;
}

// Runs the prompt loop on the console input; returns its exit status and
// leaves the output in out.
int run_shell(const std::string &input, std::string &out)
{
    std::string path = write_file("loader_test.in", input);
    if (std::freopen(path.c_str(), "r", stdin) == nullptr)
        return -1000;
    testing::internal::CaptureStdout();
    int status = shell_loop();
    out = testing::internal::GetCapturedStdout();
    return status;
}

TEST(FirmwareLoader, FailedWritesBeforeTheRecords)
{
    const std::string hex = write_file("loader_test.hex", ":0400000001020304F2\n:00000001FF\n");
    const struct {
        const char *what;
        std::vector<int> replies;
        int fail_write;
        std::vector<std::string> writes; // what went out, the failed write as ""
        std::string message;
    } cases[] = {
        {"sync byte", {0x05}, 1, {""},
         "\n\a\aError: wrote FIRMSYNC sync character, got error on port COM1\n"},
        {"identifier", {0x05, 0x06}, 2, {"\x16", ""},
         "\a\nConnected at 19200\n\n\a\aError: wrote VoVoDi1.0 identifier, got error on port COM1\n"},
    };
    for (const auto &c : cases) {
        fake_reset();
        fake_replies = c.replies;
        fake_fail_write = c.fail_write;
        connected = 0;
        std::string out;
        int status = run_shell("firmware 1 " + hex + "\ny\n\n", out);

        const std::string power = "\nTo begin TURN ON the Diriduzede or CYCLE THE POWER if it is already on.\n"
                                  "\a\aYou have 20 seconds to do this...";
        const std::string tail = power + c.message + "Disconnected\n" + advice + "Command> \n";
        ASSERT_GE(out.size(), tail.size()) << c.what << ":\n" << out;
        EXPECT_EQ(out.substr(out.size() - tail.size()), tail) << c.what;
        EXPECT_EQ(out.find("succeeded"), std::string::npos) << c.what;
        EXPECT_EQ(fake_writes, c.writes) << c.what;
        EXPECT_EQ(fake_closes, 1) << c.what;
        // The utility goes on to its prompt, and ends as at any end of input.
        EXPECT_EQ(status, 1) << c.what;
        EXPECT_EQ(connected, 0) << c.what;
    }
}

} // namespace
