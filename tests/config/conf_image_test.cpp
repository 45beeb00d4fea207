#include "config/conf_image.h"

#include <gtest/gtest.h>

#include <cstring>
#include <vector>

namespace {

void put16(std::vector<uint8_t> &v, unsigned x)
{
    v.push_back(x & 0xff);
    v.push_back((x >> 8) & 0xff);
}

void put32(std::vector<uint8_t> &v, uint32_t x)
{
    for (int i = 0; i < 4; i++)
        v.push_back((x >> (8 * i)) & 0xff);
}

TEST(ConfImage, DefaultBytesAreTheWireImage)
{
    std::vector<uint8_t> want = {0x00, 0xE1, 0x00, 0x00, 0x80, 0x25, 0x00, 0x00, 0x00, 0x4B, 0x00, 0x00};
    // 39.5 = 0x421E0000, -104.75 = 0xC2D18000 in single precision.
    put32(want, 0x421E0000u);
    put32(want, 0xC2D18000u);
    for (char c : {'N', 'O', 'T', 'S', 'E', 'T', '\0', '\0'})
        want.push_back(static_cast<uint8_t>(c));
    for (unsigned w : {0u, 3u, 6u, 1u, 0u, 1u, 28u, 1u, 0u, 1u, 1u, 0u, 0x70u, 0u})
        put16(want, w);
    want.resize(120, 0);
    ASSERT_EQ(want[52], 0x70);
    ASSERT_EQ(want[53], 0x00);

    std::memset(&conf_image, 0xAA, sizeof conf_image);
    digi_path_count = 5;
    conf_reset();
    std::vector<uint8_t> got(120);
    std::memcpy(got.data(), &conf_image, 120);
    EXPECT_EQ(got, want);
    EXPECT_EQ(digi_path_count, 0);
}

TEST(ConfImage, DisplayShowsShortCallsTailAndFullComponents)
{
    conf_reset();
    // A three-letter call written over the start leaves "ET" of the default.
    std::memcpy(conf_image.call, "AB1", 4);
    conf_image.ssid = 10;
    std::memcpy(conf_image.digi_path[0], "WIDE1-1", 7);
    std::memcpy(conf_image.digi_path[1], "ABCDEFGH", 8); // full slot, no terminator
    std::memcpy(conf_image.digi_path[2], "X", 1);
    digi_path_count = 3;
    conf_image.implicit_action = 0x41;
    conf_image.nsr = 1;
    conf_image.relay = 0;

    testing::internal::CaptureStdout();
    conf_display();
    std::string out = testing::internal::GetCapturedStdout();
    EXPECT_EQ(out,
              "Configuration:\n"
              "Station Call\t   AB1\tSSID 0x0a\n"
              "Base Lat  39.500000\tLon  -104.75000\n"
              "Host  baud\t57600\nDSTAR baud\t9600\nTNC   baud\t19200\n"
              "WIDE Max 3\tWIDE Total 6\tDupe Window 28 sec.\n"
              "NSR: Enabled\tRelay: Disabled\n"
              "Digi Path[3]: WIDE1-1,ABCDEFGH,X\n"
              "Log Port: Yes\n"
              "Fix Valid: Yes\tPass packets without valid position: No\n"
              "Halt On Error: No\tDrop Mangled Packet: Yes\n"
              "Rule count 0\tImplicit Rule Action: ?\n");
    const uint8_t call_bytes[8] = {'A', 'B', '1', 0, 'E', 'T', 0, 0};
    EXPECT_EQ(std::memcmp(conf_image.call, call_bytes, 8), 0);
}

} // namespace
