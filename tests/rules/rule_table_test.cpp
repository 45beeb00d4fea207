#include "config/conf_image.h"
#include "rules/rule_table.h"

#include <gtest/gtest.h>

#include <array>
#include <cstring>
#include <string>

namespace {

using bytes28 = std::array<uint8_t, 28>;

bytes28 bytes_of(const rule_rec &rec)
{
    bytes28 b;
    std::memcpy(b.data(), &rec, sizeof rec);
    return b;
}

std::string display(int count, uint16_t implicit)
{
    conf_image.rule_count = static_cast<uint16_t>(count);
    conf_image.implicit_action = implicit;
    testing::internal::CaptureStdout();
    rules_display();
    return testing::internal::GetCapturedStdout();
}

// The circle rule: pass, radius 12.5 at latitude 10, longitude -20, line 3.
rule_rec circle_12_5()
{
    rule_rec r{};
    rule_set_float(r, 1, 12.5f);
    rule_set_float(r, 2, 10.0f);
    rule_set_float(r, 3, -20.0f);
    r.kind = kind_circle;
    r.action = action_pass;
    r.line_no = 3;
    return r;
}

// The destin rule: drop, call sign ABC with SSID 7, line 5.
rule_rec destin_abc_7()
{
    rule_rec r{};
    std::memcpy(r.args[0], "ABC", 3);
    r.args[1][0] = 7;
    r.kind = kind_destin;
    r.action = action_drop | mod_ssid;
    r.line_no = 5;
    return r;
}

TEST(RuleRecord, WorkedRecordsAreTheWireBytes)
{
    bytes28 circle = {0x00, 0x00, 0x48, 0x41, 0x00, 0x00, 0x00, 0x00, 0x20, 0x41, 0x00, 0x00,
                      0x00, 0x00, 0xA0, 0xC1, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00,
                      0x27, 0x08, 0x03, 0x00};
    EXPECT_EQ(bytes_of(circle_12_5()), circle);

    bytes28 destin = {0x41, 0x42, 0x43, 0x00, 0x00, 0x00, 0x07, 0x00, 0x00, 0x00, 0x00, 0x00,
                      0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00,
                      0x25, 0x44, 0x05, 0x00};
    EXPECT_EQ(bytes_of(destin_abc_7()), destin);
}

TEST(RuleRecord, FloatsAtUnalignedSlotsRoundTrip)
{
    rule_rec r{};
    rule_set_float(r, 2, -104.75f); // offset 6
    rule_set_float(r, 4, 359.5f);   // offset 18
    EXPECT_EQ(rule_get_float(r, 2), -104.75f);
    EXPECT_EQ(rule_get_float(r, 4), 359.5f);
    // -104.75 = 0xC2D18000, 359.5 = 0x43B3C000, least significant byte first.
    bytes28 b = bytes_of(r);
    EXPECT_EQ((std::array<uint8_t, 4>{b[6], b[7], b[8], b[9]}), (std::array<uint8_t, 4>{0x00, 0x80, 0xD1, 0xC2}));
    EXPECT_EQ((std::array<uint8_t, 4>{b[18], b[19], b[20], b[21]}), (std::array<uint8_t, 4>{0x00, 0xC0, 0xB3, 0x43}));
    EXPECT_EQ(b[10] | b[11] | b[22] | b[23], 0);
}

TEST(RuleTable, CommandNamesAreTheFirstRowOfTheCode)
{
    EXPECT_STREQ(rule_cmd_name(0x24), "implicit");
    EXPECT_STREQ(rule_cmd_name(0x25), "destin");
    EXPECT_STREQ(rule_cmd_name(0x26), "source");
    EXPECT_STREQ(rule_cmd_name(0x27), "circle");
    EXPECT_STREQ(rule_cmd_name(0x28), "compass");
    EXPECT_STREQ(rule_cmd_name(0x29), "rectangle");
    EXPECT_STREQ(rule_cmd_name(0x2A), "sector");
    EXPECT_STREQ(rule_cmd_name(0x2B), "?");
    EXPECT_STREQ(rule_cmd_name(0), "?");
}

TEST(RulesDisplay, NoRulesNamesTheImplicitAction)
{
    EXPECT_EQ(display(0, 0x70), "No Rules are configured!  Implicit Rule Action is Pass\n");
    EXPECT_EQ(display(0, 0x64), "No Rules are configured!  Implicit Rule Action is Drop\n");
    EXPECT_EQ(display(0, 8), "No Rules are configured!  Implicit Rule Action is ?\n");
}

TEST(RulesDisplay, WorkedRows)
{
    rule_table[0] = destin_abc_7();

    rule_rec any{};
    any.kind = kind_source;
    any.action = action_pass | mod_any | mod_prefix;
    rule_table[1] = any;

    rule_rec prefix{};
    std::memcpy(prefix.args[0], "AB", 2);
    prefix.kind = kind_source;
    prefix.action = action_pass | mod_prefix;
    rule_table[2] = prefix;

    rule_table[3] = circle_12_5();

    rule_rec sector{};
    rule_set_float(sector, 1, 45.0f);
    rule_set_float(sector, 2, 90.0f);
    rule_set_float(sector, 3, 0.5f);
    sector.kind = kind_sector;
    sector.action = action_drop;
    rule_table[4] = sector;

    EXPECT_EQ(display(5, 0x70),
              "Rule count 5 plus Implicit\n"
              "\n"
              "Action Command   Mods Arguments\n"
              "Pass   Implicit \n"
              "Drop   destin    40   ABC   -7   \n"
              "Pass   source    30   *   \n"
              "Pass   source    10   AB    *   \n"
              "Pass   circle    00   12.500 mi R, 10.000000  D Lat, -20.00000   D Lon \n"
              "Drop   sector    00   45.000 D Ang1, 90.000 D Ang2, 0.500 In R, 0.000 Out R\n");
}

TEST(RulesDisplay, OtherKindsAndOddValues)
{
    // A full six-letter call sign with an SSID: nothing of byte 6 joins the call.
    rule_rec full{};
    std::memcpy(full.args[0], "ABCDEF", 6);
    full.args[1][0] = 5;
    full.kind = kind_destin;
    full.action = action_pass | mod_ssid;
    rule_table[0] = full;

    rule_rec plain{};
    std::memcpy(plain.args[0], "N0CALL", 6);
    plain.kind = kind_source;
    plain.action = action_drop;
    rule_table[1] = plain;

    rule_rec nw{};
    nw.args[0][0] = 8;
    rule_set_float(nw, 2, -90.0f);
    rule_set_float(nw, 3, -180.0f);
    nw.kind = kind_compass;
    nw.action = action_drop;
    rule_table[2] = nw;

    rule_rec bad_dir = nw;
    bad_dir.args[0][0] = 9;
    rule_table[3] = bad_dir;

    rule_rec rect{};
    rule_set_float(rect, 1, 45.5f);
    rule_set_float(rect, 2, -180.0f);
    rule_set_float(rect, 3, -0.25f);
    rule_set_float(rect, 4, 179.125f);
    rect.kind = kind_rectangle;
    rect.action = action_pass;
    rule_table[4] = rect;

    rule_rec odd{};
    odd.kind = 0x30;
    odd.action = 3;
    rule_table[5] = odd;

    EXPECT_EQ(display(6, 0x64),
              "Rule count 6 plus Implicit\n"
              "\n"
              "Action Command   Mods Arguments\n"
              "Drop   Implicit \n"
              "Pass   destin    40   ABCDEF-5   \n"
              "Drop   source    00   N0CALL   \n"
              "Drop   compass   00   NW Dir, -90.000000 D Lat, -180.00000  D Lon \n"
              "Drop   compass   00   Error Dir, -90.000000 D Lat, -180.00000  D Lon \n"
              "Pass   rectangle 00   45.500000  D Lat1, -180.00000  D Lon1, -0.250000  D Lat2, 179.12500   D Lon2\n"
              "?      ?         00      \n");
}

TEST(RulesDisplay, HugeAmountsStayWithinTheirTexts)
{
    // 999999999 still fits "%.3f mi R," in 19 characters; 1e9 does not and
    // is shown in exponent form, as is the largest float.
    rule_rec fits = circle_12_5();
    rule_set_float(fits, 1, 999999936.0f); // the float nearest 999999999
    rule_table[0] = fits;

    rule_rec big = circle_12_5();
    rule_set_float(big, 1, 1e9f);
    rule_table[1] = big;

    rule_rec sector{};
    rule_set_float(sector, 1, 0.0f);
    rule_set_float(sector, 2, 360.0f);
    rule_set_float(sector, 3, 3.4028235e38f);
    rule_set_float(sector, 4, 3.4028235e38f);
    sector.kind = kind_sector;
    sector.action = action_pass;
    rule_table[2] = sector;

    EXPECT_EQ(display(3, 0x70),
              "Rule count 3 plus Implicit\n"
              "\n"
              "Action Command   Mods Arguments\n"
              "Pass   Implicit \n"
              "Pass   circle    00   999999936.000 mi R, 10.000000  D Lat, -20.00000   D Lon \n"
              "Pass   circle    00   1.000e+09 mi R, 10.000000  D Lat, -20.00000   D Lon \n"
              "Pass   sector    00   0.000 D Ang1, 360.000 D Ang2, 3.403e+38 In R, 3.403e+38 Out R\n");
}

TEST(RulesDisplay, CountBeyondTheTableShowsOnlyTheTable)
{
    for (rule_rec &r : rule_table) {
        r = rule_rec{};
        std::memcpy(r.args[0], "X", 1);
        r.kind = kind_source;
        r.action = action_pass;
    }
    std::string out = display(300, 0x70);
    size_t rows = 0;
    for (size_t p = out.find("Pass   source"); p != std::string::npos; p = out.find("Pass   source", p + 1))
        rows++;
    EXPECT_EQ(rows, 100u);
}

} // namespace
