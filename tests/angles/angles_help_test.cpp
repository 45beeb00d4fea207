#include "angles/angles.h"

#include <gtest/gtest.h>

#include <cmath>
#include <string>
#include <vector>

namespace {

std::vector<std::string> help_lines()
{
    std::vector<std::string> lines;
    std::string text = angles_help;
    size_t start = 0;
    for (size_t nl; (nl = text.find('\n', start)) != std::string::npos; start = nl + 1)
        lines.push_back(text.substr(start, nl - start));
    EXPECT_EQ(start, text.size()) << "the last line lacks its line feed";
    return lines;
}

// The layout line by line: quoted lines exactly, "" blank, "*" a line of prose
// in our own words (not blank, no leading tab). Definition entries are checked
// for their term and layout, "~" continues one with three tabs.
const char *const prose = "*";
const char *const cont = "~";

const std::vector<const char *> layout = {
    "Colon, Dotted and DMC formats for Angles, Latitudes and Longitudes", "",
    "Colon format", "", prose, prose, prose, "",
    "\t [s]DD:MM:SS[.F*]\t\tfor Latitudes", "\t[s]DDD:MM:SS[.F*]\t\tfor Longitudes", "",
    "Where:", "\ts\t\t", cont, "\tDD\t\t", "\tDDD\t\t", "\tMM\t\t", "\tSS\t\t", "\t.F*\t\t", cont, "",
    "Examples:", "", "\t45:22:33\t-103:00:00\t-38:33:29.222\t45:18:", "", "",
    "Dotted format", "", prose, prose, prose, "",
    "\t [s]DD.MM.[F*]\t\tfor Latitudes", "\t[s]DDD.MM.[F*]\t\tfor Longitudes", "",
    "Where:", "\ts\t\t", cont, "\tDD\t\t", "\tDDD\t\t", "\tMM\t\t", "\tF*\t\t", cont, "",
    "Examples:", "", "\t45.22.64\t-103.00.\t-38.33.379", "", "",
    "DMC format", "", prose, prose, prose, "", prose, prose, prose, "",
    prose, prose, prose, prose,
    "\tD, d\tDegrees", "\tM, m\tMinutes", "\tC, c\tseConds", "",
    prose, prose,
    "\tN, n\tNorth", "\tS, s\tSouth", "\tE, e\tEast", "\tW, w\tWest", "",
    prose, prose, prose, prose, "", prose, prose, prose, prose, "", prose, prose, prose, prose, "",
    "Examples:", "",
    "\tN 39d 23.7m 33.9c\t# a North latitude",
    "\t39d23.7m33.9C\t\t# the same thing",
    "\t39.404415D\t\t# the same thing (approx.)",
    "\tn39.395d 33.9c\t\t# the same thing (approx.)",
    "\t-42.5d\t\t\t# South latitude or West longitude",
    "\t", "\t", "\t",
};

TEST(AnglesHelp, HasItsNinetyNineLinesInOrder)
{
    std::vector<std::string> lines = help_lines();
    ASSERT_EQ(layout.size(), 99u);
    ASSERT_EQ(lines.size(), 99u);
    for (size_t i = 0; i < lines.size(); i++) {
        const std::string want = layout[i];
        const std::string &got = lines[i];
        if (want == prose) {
            EXPECT_FALSE(got.empty()) << "line " << i + 1;
            EXPECT_NE(got[0], '\t') << "line " << i + 1;
        } else if (want == cont) {
            EXPECT_EQ(got.substr(0, 3), "\t\t\t") << "line " << i + 1;
            EXPECT_GT(got.size(), 3u) << "line " << i + 1;
        } else if (want.size() > 2 && want.substr(want.size() - 2) == "\t\t") {
            EXPECT_EQ(got.substr(0, want.size()), want) << "line " << i + 1;
            EXPECT_GT(got.size(), want.size()) << "line " << i + 1;
        } else if (want == "\t") {
            EXPECT_EQ(got.substr(0, 1), "\t") << "line " << i + 1;
            EXPECT_NE(got.find("\t# "), std::string::npos) << "line " << i + 1;
        } else {
            EXPECT_EQ(got, want) << "line " << i + 1;
        }
    }
}

// The angle written at the start of an example line, before its comment.
std::string example_text(const std::string &line)
{
    size_t end = line.find("\t#");
    while (end > 1 && line[end - 1] == '\t')
        end--;
    return line.substr(1, end - 1);
}

TEST(AnglesHelp, ExamplesReadAsTheySay)
{
    std::vector<std::string> lines = help_lines();
    ASSERT_EQ(lines.size(), 99u);
    testing::internal::CaptureStdout();
    // The four forms of the North latitude agree to within the "approx.".
    double north = dmctodeg(example_text(lines[91]).c_str());
    EXPECT_NEAR(north, 39.404417, 1e-6);
    for (int i = 92; i <= 94; i++)
        EXPECT_NEAR(dmctodeg(example_text(lines[i]).c_str()), north, 1e-5) << lines[i];
    EXPECT_EQ(dmctodeg(example_text(lines[95]).c_str()), -42.5);
    // Our three: a South latitude, then one West longitude written two ways.
    EXPECT_LT(dmctodeg(example_text(lines[96]).c_str()), 0);
    double west = dmctodeg(example_text(lines[97]).c_str());
    EXPECT_LT(west, -90);
    EXPECT_NEAR(dmctodeg(example_text(lines[98]).c_str()), west, 1e-5);
    // The Colon and Dotted example lines are all valid.
    for (int i : {23, 46}) {
        std::string line = lines[i] + "\t";
        for (size_t start = 1, tab; (tab = line.find('\t', start)) != std::string::npos; start = tab + 1)
            EXPECT_NE(dmctodeg(line.substr(start, tab - start).c_str()), angle_error) << line;
    }
    EXPECT_EQ(testing::internal::GetCapturedStdout(), "");
}

TEST(AnglesCommand, WritesTheHelpAndANewline)
{
    testing::internal::CaptureStdout();
    cmd_angles();
    EXPECT_EQ(testing::internal::GetCapturedStdout(), std::string(angles_help) + "\n");
}

} // namespace
