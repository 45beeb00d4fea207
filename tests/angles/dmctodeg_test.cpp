#include "angles/angles.h"

#include <gtest/gtest.h>

#include <cstdio>
#include <limits>
#include <string>

namespace {

struct AngleCase {
    const char *text;
    const char *degrees; // the result as "%f" prints it, or nullptr for an error
    const char *message; // what dmctodeg prints
};

// Expected values worked out by hand: D +/- (M/60 + S/3600), with M and S in
// single precision as the parser holds them.
const AngleCase cases[] = {
    // Colon
    {"45:22:33", "45.375833", ""},
    {"-103:00:00", "-103.000000", ""},
    {"45:18:", "45.300000", ""},
    {"-38:33:29.222", "-38.558117", ""},
    {"-00:30:00", "-0.500000", ""},
    {"10:-30:00", "9.500000", ""},
    {"12.5:30:00", "12.500000", ""},
    {"359:59:59", "359.999722", ""},
    {"360:00:00", "360.000000", ""},
    {"-360:00:00", "-360.000000", ""},
    {"::", "0.000000", ""},
    {"360:00:01", nullptr, "\a\aError: deg 360.000278 is out of range [-180..180]\n"},
    {"-360:00:01", nullptr, "\a\aError: deg -360.000278 is out of range [-180..180]\n"},
    {"10:70:70", nullptr, "\a\aError: sec 70.000000 is out of range [0..59.99]\n"},
    {"10:70:00", nullptr, "\a\aError: min 70.000000 is out of range [0..59.99]\n"},
    {"10:-60:00", nullptr, "\a\aError: min -60.000000 is out of range [0..59.99]\n"},
    {"10:00:59.99", "10.016664", ""},
    {"1:2", nullptr, "\a\aError: Colon format: must have 2 colons: [s][D]DD:MM:SS[.F*]\n"},
    {"1:2:3:4", nullptr, "\a\aError: Colon format: must have 2 colons: [s][D]DD:MM:SS[.F*]\n"},
    {"1.0:2.0:3", nullptr, "\a\aError: Colon format: too many periods: [s][D]DD:MM:SS[.F*]\n"},
    {"1:2:3N", nullptr, "\a\aError: Colon format: has alpha characters: [s][D]DD:MM:SS[.F*]\n"},
    {"9999999999999999999999999999999999999999999:00:00", nullptr,
     "\a\aError: deg inf is out of range [-180..180]\n"},
    // Dotted
    {"45.22.64", "45.377333", ""},
    {"-103.00.", "-103.000000", ""},
    {"-38.33.379", "-38.556317", ""},
    {"-0.30.", "-0.500000", ""},
    {"45.22.64\xe9", "45.377333", ""},
    {"30,5", nullptr, "\a\aError: Unrecognized format: must be one of Dotted, Colon or DMC\n"},
    {"#", nullptr, "\a\aError: Unrecognized format: must be one of Dotted, Colon or DMC\n"},
    {"45\xe9", nullptr, "\a\aError: Unrecognized format: must be one of Dotted, Colon or DMC\n"},
    {"30.5", nullptr,
     "\a\aError: Dotted format: must have 2 periods: [s][D]DD.MM.[F*]\n"
     "\tor DMC format must have at least one of [DdMmCc] identifiers\n"},
    {"1.2.3.4", nullptr,
     "\a\aError: Dotted format: must have 2 periods: [s][D]DD.MM.[F*]\n"
     "\tor DMC format must have at least one of [DdMmCc] identifiers\n"},
    // DMC
    {"N 39d 23.7m 33.9c", "39.404417", ""},
    {"39d23.7m33.9C", "39.404417", ""},
    {"39d 23.7m 33.9c N", "39.404417", ""},
    {"\t39d\t30m", "39.500000", ""},
    {"30m 39d", "39.500000", ""},
    {"S 10d 30m", "-10.500000", ""},
    {"-10d30m", "-10.500000", ""},
    {"S 30m", "-0.500000", ""},
    {"-0d30m", "-0.500000", ""},
    {"w 1d 30c", "-1.008333", ""},
    {"20d-30m", "19.500000", ""},
    {"30d 15 N", "30.000000", ""},
    {".5d", "0.500000", ""},
    {"5.d", "5.000000", ""},
    {"+5d", "5.000000", ""},
    {"0000000000000000030d", "30.000000", ""},
    {"00000000000000000030d", nullptr, "\a\aError: DMC format: degrees text longer than 19 characters\n"},
    {"30d 15", nullptr, "\a\aInternal Error: pointer mismatch\n"},
    {"30d15m ", nullptr, "\a\aInternal Error: pointer mismatch\n"},
    {"30d 10d", nullptr, "\a\aError: DMC format: already have degrees (30.000000)\n"},
    {"10.5m 20m", nullptr, "\a\aError: DMC format: already have minutes (10.500000)\n"},
    {"1c 2c", nullptr, "\a\aError: DMC format: already have seconds (1.000000)\n"},
    {"60m", nullptr, "\a\aError: min 60.000000 is out of range [0..59.99]\n"},
    {"61m 60c", nullptr, "\a\aError: sec 60.000000 is out of range [0..59.99]\n"},
    {"361d", nullptr, "\a\aError: deg 361.000000 is out of range [-180..180]\n"},
    {"--5", nullptr, "\a\aError: too man minus signs: 2: only one is allowed\n"},
    {"-30dN", nullptr, "\a\aError: DMC format: both minus (-) and direction char N cannot be specified\n"},
    {"S-30dn", nullptr, "\a\aError: DMC format: both minus (-) and direction char n cannot be specified\n"},
    {"-30dw", nullptr, "\a\aError: DMC format: both minus (-) and direction char w cannot be specified\n"},
    {"30dNS", nullptr, "\a\aError: DMC format: both direction chars N and S cannot be specified\n"},
    {"w30de", nullptr, "\a\aError: DMC format: both direction chars e and w cannot be specified\n"},
    {"30x", nullptr,
     "\a\aError: DMC format must have at least one of [DdMmCc] identifiers\n"
     "\tor Dotted format: found illegal character: [s][D]DD.MM.[F*]\n"},
    {"30d5x", nullptr, "\a\aError: DMC format: invalid char: x (0x78)\n"},
    {"30d#", nullptr, "\a\aError: DMC format: invalid char: # (0x23)\n"},
    {"30d\xe9", nullptr, "\a\aError: DMC format: invalid char: \xe9 (0xe9)\n"},
    // No text
    {"", nullptr, "dmctodeg: Error: invalid param inp\n"},
    {nullptr, nullptr, "dmctodeg: Error: invalid param inp\n"},
};

TEST(Dmctodeg, TableOfNotations)
{
    for (const AngleCase &c : cases) {
        const std::string name = c.text ? c.text : "(null)";
        testing::internal::CaptureStdout();
        double got = dmctodeg(c.text);
        EXPECT_EQ(testing::internal::GetCapturedStdout(), c.message) << name;
        if (c.degrees == nullptr) {
            EXPECT_EQ(got, angle_error) << name;
        } else {
            char shown[64];
            std::snprintf(shown, sizeof shown, "%f", got);
            EXPECT_STREQ(shown, c.degrees) << name;
        }
    }
}

TEST(Dmctodeg, ErrorValueIsTheLargestFloat)
{
    // Stored into a float field it is still the largest finite float.
    EXPECT_EQ(static_cast<float>(angle_error), std::numeric_limits<float>::max());
    EXPECT_GT(angle_error, 360.0);
    // And it is that float itself, widened: messages print it exactly.
    EXPECT_EQ(angle_error, static_cast<double>(std::numeric_limits<float>::max()));
    char shown[64];
    std::snprintf(shown, sizeof shown, "%f", angle_error);
    EXPECT_STREQ(shown, "340282346638528859811704183484516925440.000000");
}

TEST(Dmctodeg, LongTextsAreReadWithinBounds)
{
    // A long run of field characters before the identifiers: the degrees
    // buffer must refuse it, minutes and seconds are read in place.
    std::string digits(5000, '0');
    testing::internal::CaptureStdout();
    EXPECT_DOUBLE_EQ(dmctodeg((digits + "12.5m").c_str()), 12.5 / 60);
    EXPECT_EQ(dmctodeg((digits + "1d").c_str()), angle_error);
    EXPECT_DOUBLE_EQ(dmctodeg((digits + "1:" + digits + "2:" + digits + "3").c_str()),
              1 + 2.0 / 60 + 3.0 / 3600);
    std::string out = testing::internal::GetCapturedStdout();
    EXPECT_EQ(out, "\a\aError: DMC format: degrees text longer than 19 characters\n");
}

} // namespace
