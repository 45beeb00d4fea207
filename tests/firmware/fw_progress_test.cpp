#include "firmware/firmware.h"

#include <gtest/gtest.h>

#include <ctime>
#include <string>

namespace {

std::string bar(int n) { return std::string(static_cast<size_t>(n), '='); }

TEST(FwProgress, Lines)
{
    struct Case {
        int64_t elapsed;
        unsigned long done, total;
        std::string line;
    };
    const Case cases[] = {
        // The three worked lines.
        {30, 250, 500, "\r 30s TTC  30s 50.0% " + bar(29)},
        {2, 1, 500, "\r  2s TTC 998s  0.2% "},
        {61, 500, 500, "\r 61s TTC   0s 100.0%" + bar(59)},
        // Nothing done yet, and an empty total.
        {0, 0, 500, "\r  0s TTC   0s  0.0% "},
        {5, 0, 0, "\r  5s TTC   0s  0.0% "},
        // Wide fields: the bar, or the line end, still sits at index 21.
        {1000, 1, 2, "\r1000s TTC 1000s 50.0" + bar(29)},
        {1234, 0, 9, "\r1234s TTC   0s  0.0%"},
        {10000000000LL, 1, 1, "\r10000000000s TTC   0" + bar(59)},
    };
    for (const Case &c : cases) {
        char line[fw_progress_size];
        int n = fw_progress_text(line, c.elapsed, c.done, c.total);
        EXPECT_EQ(std::string(line, static_cast<size_t>(n)), c.line) << c.elapsed << " " << c.done;
        EXPECT_EQ(std::string(line), c.line);
    }
    char line[fw_progress_size];
    EXPECT_EQ(fw_progress_text(line, 30, 250, 500), 50);
    EXPECT_EQ(fw_progress_text(line, 2, 1, 500), 21);
    EXPECT_EQ(fw_progress_text(line, 61, 500, 500), 80);
}

TEST(FwProgress, WritesTheLineWithoutNewline)
{
    fw_start_time = static_cast<int64_t>(std::time(nullptr)) - 30;
    testing::internal::CaptureStdout();
    fw_progress(250, 500);
    std::string out = testing::internal::GetCapturedStdout();
    // The clock may tick between the two readings.
    EXPECT_TRUE(out == "\r 30s TTC  30s 50.0% " + bar(29) || out == "\r 31s TTC  31s 50.0% " + bar(29)) << out;
}

} // namespace
