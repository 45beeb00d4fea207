#include "angles/angles.h"
#include "config/conf_image.h"
#include "rules/rule_table.h"
#include "rules/rules_reader.h"
#include "shell/state.h"
#include "support/failing_stream.h"

#include <gtest/gtest.h>

#include <array>
#include <cerrno>
#include <cstdio>
#include <cstring>
#include <fstream>
#include <string>
#include <sys/stat.h>
#include <vector>


namespace {

std::string temp_path(const char *name) { return testing::TempDir() + name; }

void write_file(const std::string &path, const std::string &text)
{
    std::ofstream f(path, std::ios::binary);
    f << text;
}

int process(const std::string &path, std::string *out)
{
    testing::internal::CaptureStdout();
    int rc = rules_process(path.c_str());
    *out = testing::internal::GetCapturedStdout();
    return rc;
}

std::string repeat(const std::string &line, int times)
{
    std::string s;
    for (int i = 0; i < times; i++)
        s += line;
    return s;
}

std::string line_of(std::string head, size_t length, const std::string &tail)
{
    head.resize(length - tail.size(), ' ');
    return head + tail;
}

rule_rec call_rec(uint8_t kind, uint8_t action, const char *call, int ssid = -1)
{
    rule_rec r{};
    std::memcpy(r.args[0], call, std::strlen(call));
    if (ssid >= 0)
        r.args[1][0] = static_cast<uint8_t>(ssid);
    r.kind = kind;
    r.action = action;
    return r;
}

rule_rec float_rec(uint8_t kind, uint8_t action, std::array<float, 4> slots, int direction = 0)
{
    rule_rec r{};
    for (int i = 0; i < 4; i++)
        rule_set_float(r, i + 1, slots[i]);
    if (direction)
        r.args[0][0] = static_cast<uint8_t>(direction);
    r.kind = kind;
    r.action = action;
    return r;
}

const uint8_t pass = action_pass, drop = action_drop;

const std::string colon_2 = "\a\aError: Colon format: must have 2 colons: [s][D]DD:MM:SS[.F*]\n";
const std::string angle_error_text = "340282346638528859811704183484516925440.000000";

// Every file begins with an implicit drop line and a comment line; the line
// under test comes after `before`, followed by `after`.
const std::string header = "drop implicit\n# filters\n";

struct rule_case {
    std::string line{};   // as written in the file, without its LF
    int rc = 0;           // 0: accepted or skipped
    std::string text{};   // failure: the message between "name[n]: " and ":\n"
    rule_rec rec{};       // accepted: the record the line gives (kind 0: none)
    std::string pre{};    // failure: what dmctodeg said first
    std::string before{}; // lines between the header and the line
    std::string after{};  // lines after it
    int at = 3;           // the line number of the record or the message
    std::string quote{};  // the line the message quotes, when it is not `line`
    int rules = 1;        // accepted: rule_count
    int implicits = 1;    // accepted: implicit lines
    uint16_t implicit = implicit_drop;
};

std::vector<rule_case> cases()
{
    const std::string rules99 = repeat("pass src A\n", 99);
    const std::string rules98 = repeat("pass src A\n", 98);
    return {
        // Accepted rules of every command, words in any case, dst and src.
        {.line = "PASS SRC abc", .rec = call_rec(kind_source, pass, "abc")},
        {.line = "d destin ABC-7", .rec = call_rec(kind_destin, drop | mod_ssid, "ABC", 7)},
        {.line = "p dst ABC", .rec = call_rec(kind_destin, pass, "ABC")},
        {.line = "pass sr ABC", .rec = call_rec(kind_source, pass, "ABC")},
        {.line = "pass ds ABC", .rec = call_rec(kind_destin, pass, "ABC")},
        {.line = "pass so,ABC", .rec = call_rec(kind_source, pass, "ABC")},
        {.line = "pass src ABC-", .rec = call_rec(kind_source, pass | mod_ssid, "ABC", 0)},
        // The SSID takes no leading \v or \f (the configuration reader's numbers do).
        {.line = "pass src ABC-\v5", .rec = call_rec(kind_source, pass | mod_ssid, "ABC", 0)},
        {.line = "pass src ABC-\f5", .rec = call_rec(kind_source, pass | mod_ssid, "ABC", 0)},
        {.line = "pass src ABC-+5", .rec = call_rec(kind_source, pass | mod_ssid, "ABC", 5)},
        {.line = "pass src AB*-3", .rec = call_rec(kind_source, pass | mod_prefix, "AB")},
        {.line = "pass src AB-*", .rec = call_rec(kind_source, pass | mod_prefix, "AB-")},
        {.line = "pass src *", .rec = call_rec(kind_source, pass | mod_any | mod_prefix, "")},
        {.line = "pass src *ABCDEFGHIJ-99", .rec = call_rec(kind_source, pass | mod_any | mod_prefix, "")},
        {.line = "drop destin ABCDEF-15", .rec = call_rec(kind_destin, drop | mod_ssid, "ABCDEF", 15)},
        {.line = "pass src ABC#x", .rec = call_rec(kind_source, pass, "ABC")},
        {.line = "pass src ABC extra words", .rec = call_rec(kind_source, pass, "ABC")},
        {.line = "pass circle 12.5, 10:00:00, -20:00:00", .rec = float_rec(kind_circle, pass, {12.5f, 10, -20, 0})},
        {.line = "pass ci 1e2 45d 15m,\t-104.30. # here", .rec = float_rec(kind_circle, pass, {100, 45.25f, -104.5f, 0})},
        {.line = "drop compass nw, S 10d 30m, 20d", .rec = float_rec(kind_compass, drop, {0, -10.5f, 20, 0}, 8)},
        {.line = "p co e\t-0.30.\t5:00:00;", .rec = float_rec(kind_compass, pass, {0, -0.5f, 5, 0}, 3)},
        {.line = "pass rectangle 10:00:00, -20:00:00, -10.30., 20d 30m",
         .rec = float_rec(kind_rectangle, pass, {10, -20, -10.5f, 20.5f})},
        {.line = "drop r 90:00:00,-180.00.,-90.00.,180d/x", .rec = float_rec(kind_rectangle, drop, {90, -180, -90, 180})},
        {.line = "drop sector 45:00:00, 90:00:00, 0.5", .rec = float_rec(kind_sector, drop, {45, 90, 0.5f, 0})},
        {.line = "pass se 360:00:00, 0:00:00, 5, 10.25 # note", .rec = float_rec(kind_sector, pass, {360, 0, 5, 10.25f})},
        {.line = "pass sector 0:00:00, 90:00:00, 5 # note", .rec = float_rec(kind_sector, pass, {0, 90, 5, 0})},
        {.line = "pass sector 0:00:00, 90:00:00, 5e1x, 6e1x", .rec = float_rec(kind_sector, pass, {0, 90, 50, 60})},

        // Implicit lines: the last one decides and each one counts.
        {.line = "pass implicit", .rules = 0, .implicits = 2, .implicit = implicit_pass},
        {.line = "D I", .rules = 0, .implicits = 2},
        // Lines that are skipped.
        {.line = " ,\t, ", .rules = 0},
        {.line = "\t;pass src ABC", .rules = 0},
        {.line = "/", .rules = 0},

        // Action and command words.
        {.line = "allow src ABC", .rc = -3, .text = "action allow invalid"},
        {.line = "drops src ABC", .rc = -3, .text = "action drops invalid"},
        {.line = "pass", .rc = -71, .text = "missing arguments"},
        {.line = "pass ,, ", .rc = -71, .text = "missing arguments"},
        {.line = "pass # note", .rc = -5, .text = "missing command"},
        {.line = "pass ;src ABC", .rc = -5, .text = "missing command"},
        {.line = "pass s ABC", .rc = -7, .text = "Ambiguous command: 3"},
        {.line = "pass d ABC", .rc = -7, .text = "Ambiguous command: 2"},
        {.line = "pass c 1, 10:00:00, 020:00:00", .rc = -7, .text = "Ambiguous command: 2"},
        {.line = "pass circles 1, 10:00:00, 020:00:00", .rc = -7, .text = "command circles invalid"},
        {.line = "pass x ABC", .rc = -7, .text = "command x invalid"},

        // destin and source.
        {.line = "pass src ABC-16", .rc = -9, .text = "invalid SSID range [0..15]: 16"},
        {.line = "pass dst ABC--1", .rc = -9, .text = "invalid SSID range [0..15]: -1"},
        {.line = "pass destin ABCDEFGH-99", .rc = -9, .text = "invalid SSID range [0..15]: 99"},
        {.line = "pass src A-99999999999999999999", .rc = -9, .text = "invalid SSID range [0..15]: 2147483647"},
        {.line = "pass src ABCDEFG", .rc = -11, .text = "Source is too long: ABCDEFG"},
        {.line = "pass destin ABCDEFG*", .rc = -10, .text = "Destination is too long: ABCDEFG"},
        {.line = "pass src # ABC", .rc = -12, .text = "missing Source string"},
        {.line = "pass src", .rc = -13, .text = "missing Source"},
        {.line = "pass destin ;ABC", .rc = -8, .text = "missing Destination string"},
        {.line = "pass dst ,,,", .rc = -11, .text = "missing Destination"},

        // circle. A comment character can only precede the radius as a word
        // of its own, which is then read as the radius.
        {.line = "pass circle", .rc = -25, .text = "missing Radius"},
        {.line = "pass circle # 5, 10:00:00, 20:00:00", .rc = -16, .text = "invalid Circle Radius, must be > 0: 0.000000"},
        {.line = "pass circle 0, 10:00:00, 020:00:00", .rc = -16, .text = "invalid Circle Radius, must be > 0: 0.000000"},
        {.line = "pass circle -1, 10:00:00, 020:00:00", .rc = -16, .text = "invalid Circle Radius, must be > 0: -1.000000"},
        {.line = "pass circle inf, 10:00:00, 020:00:00", .rc = -16, .text = "invalid Circle Radius, must be > 0: 0.000000"},
        {.line = "pass circle 0x10, 10:00:00, 020:00:00", .rc = -16, .text = "invalid Circle Radius, must be > 0: 0.000000"},
        {.line = "pass circle 1e-50, 10:00:00, 020:00:00", .rc = -16, .text = "invalid Circle Radius, must be > 0: 0.000000"},
        {.line = "pass circle 1e39, 10:00:00, 020:00:00", .rc = -16,
         .text = "invalid Circle Radius, must be > 0: 999999999999999939709166371603178586112.000000"},
        {.line = "pass circle 1", .rc = -24, .text = "missing Latitude"},
        {.line = "pass circle 1;,\t10:00:00, 20:00:00", .rc = -17, .text = "missing Latitude"},
        {.line = "pass circle 1, 91:00:00, 0:00:00", .rc = -19, .text = "invalid Latitude range [-90..90]: 91.000000"},
        {.line = "pass circle 1 10:00:00 020:00:00", .rc = -19,
         .text = "invalid Latitude range [-90..90]: " + angle_error_text, .pre = colon_2},
        {.line = "pass circle 1, 10:00:00", .rc = -23, .text = "missing Longitude"},
        {.line = "pass circle 1, 10:00:00,# 20:00:00", .rc = -20, .text = "missing Longitude"},
        {.line = "pass circle 1, 10:00:00, 180:00:01", .rc = -22,
         .text = "invalid Longitude range [-180..180]: 180.000278"},

        // compass.
        {.line = "pass compass", .rc = -37, .text = "missing Compass Direction"},
        {.line = "pass compass NNE, 10:00:00, 20:00:00", .rc = -27, .text = "invalid compass Direction NNE"},
        {.line = "pass compass #N, 10:00:00, 20:00:00", .rc = -27, .text = "invalid compass Direction #N"},
        {.line = "pass compass N", .rc = -36, .text = "missing Latitude"},
        {.line = "pass compass N, -91:00:00, 0:00:00", .rc = -31, .text = "invalid Latitude range [-90..90]: -91.000000"},
        {.line = "pass compass N, 10:00:00", .rc = -35, .text = "missing Longitude"},
        {.line = "pass compass N, 10:00:00#,\t20:00:00", .rc = -32, .text = "missing Longitude"},
        {.line = "pass compass N, 10:00:00, -180:00:01", .rc = -34,
         .text = "invalid Longitude range [-180..180]: -180.000278"},

        // rectangle.
        {.line = "pass rectangle", .rc = -53, .text = "missing Latitude1"},
        {.line = "pass rectangle 90:00:01, 0:00:00, 0:00:00, 0:00:00", .rc = -40,
         .text = "invalid Latitude1 range [-90..90]: 90.000278"},
        {.line = "pass rectangle 10:00:00", .rc = -52, .text = "missing Longitude1"},
        {.line = "pass rectangle 10:00:00#,\t20:00:00", .rc = -41, .text = "missing Longitude1"},
        {.line = "pass rectangle 10:00:00, 181:00:00", .rc = -43, .text = "invalid Longitude1 range [-180..180]: 181.000000"},
        {.line = "pass rectangle 10:00:00, 20:00:00", .rc = -51, .text = "missing Latitude2"},
        {.line = "pass rectangle 10:00:00, 20:00:00;,\t10:00:00", .rc = -44, .text = "missing Latitude2"},
        {.line = "pass rectangle 10:00:00, 20:00:00, -90:00:01", .rc = -46,
         .text = "invalid Latitude2 range [-90..90]: -90.000278"},
        {.line = "pass rectangle 1:00:00, 2:00:00, 3:00:00", .rc = -50, .text = "missing Longitude2"},
        {.line = "pass rectangle 1:00:00, 2:00:00, 3:00:00/,\t4:00:00", .rc = -47, .text = "missing Longitude2"},
        {.line = "pass rectangle 1:00:00, 2:00:00, 3:00:00, -181.00.", .rc = -49,
         .text = "invalid Longitude2 range [-180..180]: -181.000000"},

        // sector.
        {.line = "pass sector", .rc = -69, .text = "missing Angle1"},
        {.line = "pass sector 361:00:00, 0:00:00, 1", .rc = -57, .text = "invalid Angle1, range [0..360]: " + angle_error_text,
         .pre = "\a\aError: deg 361.000000 is out of range [-180..180]\n"},
        {.line = "pass sector -0:30:00, 0:00:00, 1", .rc = -57, .text = "invalid Angle1, range [0..360]: -0.500000"},
        {.line = "pass sector 10:00:00", .rc = -68, .text = "missing Angle2"},
        {.line = "pass sector 10:00:00#,\t20:00:00", .rc = -58, .text = "missing Angle2"},
        {.line = "pass sector 10:00:00, -10:00:00, 1", .rc = -60, .text = "invalid Angle2, range [0..360]: -10.000000"},
        {.line = "pass sector 10:00:00, 20:00:00,", .rc = -67, .text = "missing Inner Range"},
        {.line = "pass sector 10:00:00, 20:00:00;, 5", .rc = -61, .text = "missing Inner Range"},
        {.line = "pass sector 0:00:00, 90:00:00, .5", .rc = -62, .text = "invalid or missing Inner Range"},
        {.line = "pass sector 0:00:00, 90:00:00, +5", .rc = -62, .text = "invalid or missing Inner Range"},
        {.line = "pass sector 0:00:00, 90:00:00, 1e39", .rc = -62, .text = "invalid or missing Inner Range"},
        {.line = "pass sector 0:00:00, 90:00:00, 5, 5", .rc = -66,
         .text = "invalid Outer Range, must be > Inner Range: 5.000000"},
        {.line = "pass sector 0:00:00, 90:00:00, 5, 5.0000001", .rc = -66,
         .text = "invalid Outer Range, must be > Inner Range: 5.000000"},
        {.line = "pass sector 0:00:00, 90:00:00, 5, x", .rc = -66,
         .text = "invalid Outer Range, must be > Inner Range: 0.000000"},
        {.line = "pass sector 0:00:00, 90:00:00, 5, 1e39", .rc = -66,
         .text = "invalid Outer Range, must be > Inner Range: 999999999999999939709166371603178586112.000000"},

        // The rule limit counts the implicit line; it is tested before the
        // command word is matched.
        {.line = "pass src B", .rec = call_rec(kind_source, pass, "B"), .before = rules98, .after = "# the end\n",
         .at = 101, .rules = 99},
        {.line = "drop implicit", .rc = -6, .text = "rule limit (100) exceeded", .before = rules99, .at = 102},
        {.line = "pass nothing", .rc = -6, .text = "rule limit (100) exceeded", .before = rules99, .at = 102},

        // Line ends: CR LF, long lines in pieces of 255, also at the edge.
        {.line = "pass src ABCDEF\r", .rec = call_rec(kind_source, pass, "ABCDEF")},
        {.line = "pass src ABCDEFG\r", .rc = -11, .text = "Source is too long: ABCDEFG", .quote = "pass src ABCDEFG"},
        // A CR anywhere else is refused, the line quoted up to it; so is a
        // NUL byte, the line quoted up to that.
        {.line = "pass src ABCD\rXY", .rc = -74, .text = "carriage return without line feed after",
         .quote = "pass src ABCD"},
        {.line = "pass src ABC\rdrop src DEF", .rc = -74, .text = "carriage return without line feed after",
         .quote = "pass src ABC"},
        {.line = "pass src ABC\r\r", .rc = -74, .text = "carriage return without line feed after",
         .quote = "pass src ABC"},
        {.line = " \rpass src ABC", .rc = -74, .text = "carriage return without line feed after", .quote = " "},
        {.line = std::string("pass src ABC\0garbage", 20), .rc = -73, .text = "line holds a NUL byte",
         .quote = "pass src ABC"},
        {.line = std::string("# note\0", 7), .rc = -73, .text = "line holds a NUL byte", .quote = "# note"},
        {.line = "#" + std::string(254, 'x') + "pass src XYZ", .rec = call_rec(kind_source, pass, "XYZ"), .at = 4},
        {.line = line_of("pass src", 255, "ABCDEF"), .rc = -7, .text = "command bogus invalid", .after = "pass bogus\n",
         .at = 4, .quote = "pass bogus"},
        {.line = line_of("pass src", 255, "ABCDEF") + "\r", .rc = -7, .text = "command bogus invalid",
         .after = "pass bogus\n", .at = 4, .quote = "pass bogus"},
        {.line = line_of("pass src", 254, "ABCDEF") + "\r", .rec = call_rec(kind_source, pass, "ABCDEF")},

        // Line numbers beyond 32767: messages show them whole, the record
        // keeps them up to 65535 and stays there.
        {.line = "pass src ABC", .rec = call_rec(kind_source, pass, "ABC"), .before = std::string(40000, '\n'),
         .at = 40003},
        {.line = "pass src ABC-16", .rc = -9, .text = "invalid SSID range [0..15]: 16", .before = std::string(70000, '\n'),
         .at = 70003},
        {.line = "pass src ABC", .rec = call_rec(kind_source, pass, "ABC"), .before = std::string(70000, '\n'),
         .at = 65535},
    };
}

TEST(RulesReader, TableOfRuleLines)
{
    const std::string path = temp_path("lines.rules");
    for (const rule_case &c : cases()) {
        SCOPED_TRACE(c.line.substr(0, 80));
        write_file(path, header + c.before + c.line + "\n" + c.after);
        conf_image.rule_count = 77;
        conf_image.implicit_action = 0x41;
        rules_processed = 1;
        std::string out;
        int rc = process(path, &out);
        EXPECT_EQ(rc, c.rc);
        if (c.rc != 0) {
            std::string quote = c.quote.empty() ? c.line : c.quote;
            EXPECT_EQ(out, c.pre + "\a\aError: " + path + "[" + std::to_string(c.at) + "]: " + c.text + ":\n" +
                               quote + "\n");
            // A failed reading sends nothing: no rules, not processed; the
            // implicit line before the bad one still counts.
            EXPECT_EQ(conf_image.rule_count, 0);
            EXPECT_EQ(rules_processed, 0);
            EXPECT_EQ(conf_image.implicit_action, implicit_drop);
            continue;
        }
        EXPECT_EQ(out, "Rules processed " + std::to_string(c.rules) + ", implicit " + std::to_string(c.implicits) +
                           "\n");
        EXPECT_EQ(conf_image.rule_count, c.rules);
        EXPECT_EQ(rules_processed, 1);
        EXPECT_EQ(conf_image.implicit_action, c.implicit);
        if (c.rec.kind != 0) {
            rule_rec want = c.rec;
            want.line_no = static_cast<uint16_t>(c.at);
            EXPECT_EQ(std::memcmp(&rule_table[c.rules - 1], &want, sizeof want), 0);
            EXPECT_EQ(rule_table[c.rules].kind, 0); // nothing beyond the count
        }
    }
}

TEST(RulesReader, WorkedRecordsFromAFile)
{
    const std::string path = temp_path("worked.rules");
    write_file(path, "# worked records\n\npass circle 12.5, 10:00:00, -20:00:00\n\ndrop destin ABC-7\n");
    std::string out;
    ASSERT_EQ(process(path, &out), 0);
    EXPECT_EQ(out, "Rules processed 2, implicit 0\n");
    const uint8_t circle[28] = {0x00, 0x00, 0x48, 0x41, 0x00, 0x00, 0x00, 0x00, 0x20, 0x41, 0x00, 0x00, 0x00, 0x00,
                                0xA0, 0xC1, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x27, 0x08, 0x03, 0x00};
    const uint8_t destin[28] = {0x41, 0x42, 0x43, 0x00, 0x00, 0x00, 0x07, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00,
                                0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x25, 0x44, 0x05, 0x00};
    EXPECT_EQ(std::memcmp(&rule_table[0], circle, 28), 0);
    EXPECT_EQ(std::memcmp(&rule_table[1], destin, 28), 0);
}

TEST(RulesReader, EmptyFileIsNoRulesAndPass)
{
    const std::string path = temp_path("empty.rules");
    write_file(path, "drop implicit\n");
    std::string out;
    ASSERT_EQ(process(path, &out), 0);
    ASSERT_EQ(conf_image.implicit_action, implicit_drop);
    write_file(path, "");
    rules_processed = 0;
    EXPECT_EQ(process(path, &out), 0);
    EXPECT_EQ(out, "Rules processed 0, implicit 0\n");
    EXPECT_EQ(conf_image.rule_count, 0);
    EXPECT_EQ(conf_image.implicit_action, implicit_pass);
    EXPECT_EQ(rules_processed, 1);
}

TEST(RulesReader, FilesThatDoNotOpenChangeNothing)
{
    const std::string good = temp_path("good.rules");
    write_file(good, "drop implicit\npass src ABC\n");
    std::string out;
    ASSERT_EQ(process(good, &out), 0);
    const std::string dir = temp_path("a_folder.rules");
    mkdir(dir.c_str(), 0700);
    struct {
        std::string name;
        int rc;
    } refused[] = {{temp_path("no_such.rules"), -2}, {dir, -2}};
    for (const auto &r : refused) {
        EXPECT_EQ(process(r.name, &out), r.rc);
        EXPECT_EQ(out, "\a\aError: cannot open " + r.name + "\n");
        EXPECT_EQ(conf_image.rule_count, 1);
        EXPECT_EQ(conf_image.implicit_action, implicit_drop);
        EXPECT_EQ(rules_processed, 1);
        EXPECT_EQ(std::memcmp(rule_table[0].args[0], "ABC", 4), 0);
    }
    testing::internal::CaptureStdout();
    EXPECT_EQ(rules_process(nullptr), -1);
    EXPECT_EQ(testing::internal::GetCapturedStdout(), "rules_process: Error: param rfp is invalid\n");
}

TEST(RulesReader, ReadErrorPartwayIsAFailure)
{
    // Two whole lines, then part of a third, then the error.
    const char text[] = "drop implicit\npass src ABC\npass src D";
    std::FILE *f = failing_stream(text, sizeof text - 1);
    ASSERT_NE(f, nullptr);
    rules_processed = 1;
    testing::internal::CaptureStdout();
    int rc = rules_read(f, "disk.rules");
    std::string out = testing::internal::GetCapturedStdout();
    std::fclose(f);
    EXPECT_EQ(rc, rules_read_failed);
    EXPECT_EQ(out, "\a\aError: disk.rules[3]: read error: " + std::string(std::strerror(EIO)) + "\n");
    EXPECT_EQ(conf_image.rule_count, 0);
    EXPECT_EQ(rules_processed, 0);
    EXPECT_EQ(conf_image.implicit_action, implicit_drop);
}

TEST(RulesReader, BinaryContentStopsAtItsFirstBadLine)
{
    // Every byte value, four times. Byte 10 ends each line: line 1 (bytes 0
    // to 9) begins with a zero byte and is refused for it, quoted up to it.
    std::string data;
    for (int round = 0; round < 4; round++)
        for (int b = 0; b < 256; b++)
            data += static_cast<char>(b);
    const std::string path = temp_path("binary.rules");
    write_file(path, data);
    std::string out;
    EXPECT_EQ(process(path, &out), -73);
    EXPECT_EQ(out, "\a\aError: " + path + "[1]: line holds a NUL byte:\n\n");
    EXPECT_EQ(conf_image.rule_count, 0);

    // The same bytes as the arguments of every command, 40 at a time: each
    // line is read, refused or stored without reading past its buffers.
    for (const rule_cmd_row &cmd : rule_cmds)
        for (size_t at = 0; at < 256; at += 40) {
            write_file(path, std::string("pass ") + cmd.name + " " + data.substr(at, 40) + "\n");
            EXPECT_LE(process(path, &out), 0);
            EXPECT_EQ(out.back(), '\n');
        }
}

} // namespace
