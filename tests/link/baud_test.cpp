#include "link/baud.h"

#include <gtest/gtest.h>

#include <string>

namespace {

TEST(GetBaud, FindsTableRatesOnly)
{
    const struct {
        int32_t rate;
        bool found;
    } cases[] = {
        {110, true},    {1200, true},   {14400, true},  {56000, true},  {57600, true},
        {115200, true}, {1000, false},  {28800, false}, {-9600, false}, {230400, false},
    };
    for (const auto &c : cases) {
        testing::internal::CaptureStdout();
        const int32_t *row = get_baud(c.rate);
        EXPECT_EQ(testing::internal::GetCapturedStdout(), "") << c.rate;
        EXPECT_EQ(row != nullptr, c.found) << c.rate;
        if (row != nullptr) {
            EXPECT_EQ(*row, c.rate);
        }
    }
}

TEST(GetBaud, ZeroIsReported)
{
    testing::internal::CaptureStdout();
    EXPECT_EQ(get_baud(0), nullptr);
    EXPECT_EQ(testing::internal::GetCapturedStdout(), "get_baud: Error: invalid baud: 0\n");
}

} // namespace
