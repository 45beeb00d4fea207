#include "config/conf_reader.h"

#include "config/conf_image.h"
#include "shell/state.h"
#include "support/failing_stream.h"

#include <gtest/gtest.h>

#include <cerrno>
#include <cstdio>
#include <cstring>
#include <functional>
#include <string>
#include <sys/stat.h>
#include <unistd.h>


namespace {

// Per process: the cases run in parallel, and so may other builds' runs.
std::string temp_path(const std::string &name)
{
    return testing::TempDir() + "dz_conf_" + std::to_string(getpid()) + "_" + name;
}

std::string write_file(const std::string &name, const std::string &bytes)
{
    std::string path = temp_path(name);
    std::FILE *f = std::fopen(path.c_str(), "wb");
    EXPECT_NE(f, nullptr);
    std::fwrite(bytes.data(), 1, bytes.size(), f);
    std::fclose(f);
    return path;
}

std::string call_text() { return std::string(conf_image.call, sizeof conf_image.call); }
std::string slot(int i) { return std::string(conf_image.digi_path[i], 8); }

struct ReaderCase {
    std::string text;    // the file
    int result;          // of conf_process
    std::string printed; // everything printed; "@" stands for the file's path
    std::function<void()> check = {};
};

const char ok1[] = "Configuration items processed 1\n";

std::string items(int n) { return "Configuration items processed " + std::to_string(n) + "\n"; }

std::string with_path(std::string text, const std::string &path)
{
    for (size_t at; (at = text.find('@')) != std::string::npos;)
        text.replace(at, 1, path);
    return text;
}

void run_cases(const std::vector<ReaderCase> &cases)
{
    int n = 0;
    for (const ReaderCase &c : cases) {
        std::string path = write_file("case" + std::to_string(n++), c.text);
        conf_reset();
        conf_processed = 0;
        testing::internal::CaptureStdout();
        int result = conf_process(path.c_str());
        std::string printed = testing::internal::GetCapturedStdout();
        EXPECT_EQ(result, c.result) << c.text;
        EXPECT_EQ(printed, with_path(c.printed, path)) << c.text;
        EXPECT_EQ(conf_processed, result == 0 ? 1 : 0) << c.text;
        if (c.check)
            c.check();
        std::remove(path.c_str());
    }
}

TEST(ConfProcess, KeywordsMatchByUnambiguousPrefix)
{
    run_cases({
        {"HOST 9600\nho 4800\nDsTaR 19200\n", 0, items(3),
         [] {
             EXPECT_EQ(conf_image.host_baud, 4800u);
             EXPECT_EQ(conf_image.dstar_baud, 19200u);
         }},
        {"c ab1\ns 5\np 1.30.0 -2.30.0\nb 3.30.0 4.30.0\nl n\ndr n\nha y\nf n\nho 300\nt 600\nds 1200\n"
         "n y\nr n\nwidem 2\nwidet 4\ndu 60\ndi w1\n",
         0, items(17),
         [] {
             EXPECT_EQ(call_text(), std::string("AB1\0ET\0\0", 8));
             EXPECT_EQ(conf_image.ssid, 5);
             EXPECT_EQ(conf_image.base_lat, 3.5f);
             EXPECT_EQ(conf_image.base_lon, 4.5f);
             EXPECT_EQ(conf_image.log_port, 0);
             EXPECT_EQ(conf_image.drop_mangled, 0);
             EXPECT_EQ(conf_image.halt_on_error, 1);
             EXPECT_EQ(conf_image.fix_valid, 0);
             EXPECT_EQ(conf_image.host_baud, 300u);
             EXPECT_EQ(conf_image.tnc_baud, 600u);
             EXPECT_EQ(conf_image.dstar_baud, 1200u);
             EXPECT_EQ(conf_image.nsr, 1);
             EXPECT_EQ(conf_image.relay, 0);
             EXPECT_EQ(conf_image.wide_max, 2);
             EXPECT_EQ(conf_image.wide_total, 4);
             EXPECT_EQ(conf_image.dupe_window, 60);
             EXPECT_EQ(digi_path_count, 1);
             EXPECT_EQ(slot(0), std::string("W1\0\0\0\0\0\0", 8));
             // No keyword touches these.
             EXPECT_EQ(conf_image.link_on_dstar, 1);
             EXPECT_EQ(conf_image.pass_no_position, 0);
         }},
        {"h 9600\n", -7, "\a\aError: line 1: Ambiguous command: h: h 9600\n"},
        {"ssid 1\nd\n", -7, "\a\aError: line 2: Ambiguous command: d: d\n"},
        {"WIDE 3\n", -7, "\a\aError: line 1: Ambiguous command: WIDE: WIDE 3\n"},
        {"hostx 9600\n", -7, "\a\aError: line 1: command hostx invalid: hostx 9600\n"},
        {"log;y\n", -7, "\a\aError: line 1: command log;y invalid: log;y\n"},
    });
}

TEST(ConfProcess, CallAndSsid)
{
    run_cases({
        {"call ab1cde\n", 0, ok1, [] { EXPECT_EQ(call_text(), std::string("AB1CDE\0\0", 8)); }},
        {"call ab1\n", 0, ok1, [] { EXPECT_EQ(call_text(), std::string("AB1\0ET\0\0", 8)); }},
        {"call \xe9-x/1\n", 0, ok1, [] { EXPECT_EQ(call_text(), std::string("\xe9-X\0ET\0\0", 8)); }},
        {"call ab1cdef\n", -11, "\a\aError: line 1: invalid Call Sign argument: too long: call ab1cdef\n",
         [] { EXPECT_EQ(call_text(), std::string("NOTSET\0\0", 8)); }},
        {"ssid 0x0f\n", 0, ok1, [] { EXPECT_EQ(conf_image.ssid, 15); }},
        {"ssid 017\n", 0, ok1, [] { EXPECT_EQ(conf_image.ssid, 15); }},
        {"ssid 08\n", 0, ok1, [] { EXPECT_EQ(conf_image.ssid, 0); }},
        {"ssid 0b11\n", 0, ok1, [] { EXPECT_EQ(conf_image.ssid, 0); }},
        {"ssid 12x\n", 0, ok1, [] { EXPECT_EQ(conf_image.ssid, 12); }},
        // Numbers skip a leading \v or \f (the rules reader's SSID does not).
        {"ssid \v5\n", 0, ok1, [] { EXPECT_EQ(conf_image.ssid, 5); }},
        {"ssid \f0x0c\n", 0, ok1, [] { EXPECT_EQ(conf_image.ssid, 12); }},
        {"ssid 16\n", -11, "\a\aError: line 1: invalid SSID argument range [0..15]: 16: ssid 16\n"},
        {"ssid -1\n", -11, "\a\aError: line 1: invalid SSID argument range [0..15]: -1: ssid -1\n"},
        {"ssid 0x7fffffffff\n", -11,
         "\a\aError: line 1: invalid SSID argument range [0..15]: 2147483647: ssid 0x7fffffffff\n"},
    });
}

TEST(ConfProcess, BaudRatesOfTheTable)
{
    run_cases({
        {"host 14400\ntnc 115200\ndstar 110\n", 0, items(3),
         [] {
             EXPECT_EQ(conf_image.host_baud, 14400u);
             EXPECT_EQ(conf_image.tnc_baud, 115200u);
             EXPECT_EQ(conf_image.dstar_baud, 110u);
         }},
        {"host 9600abc\n", 0, ok1, [] { EXPECT_EQ(conf_image.host_baud, 9600u); }},
        {"host 0\n", -11,
         "get_baud: Error: invalid baud: 0\n\a\aError: line 1: invalid Baud argument: 0: host 0\n"},
        {"tnc fast\n", -11,
         "get_baud: Error: invalid baud: 0\n\a\aError: line 1: invalid Baud argument: 0: tnc fast\n"},
        {"dstar 1000\n", -11, "\a\aError: line 1: invalid Baud argument: 1000: dstar 1000\n",
         [] { EXPECT_EQ(conf_image.dstar_baud, 9600u); }},
        {"host -9600\n", -11, "\a\aError: line 1: invalid Baud argument: -9600: host -9600\n"},
        {"host\n", -11, "\a\aError: line 1: missing Baud argument: host\n"},
    });
}

TEST(ConfProcess, FlagsCountOnlyTheFirstCharacter)
{
    const struct {
        const char *word;
        uint16_t flag;
    } words[] = {{"yes", 1}, {"True", 1}, {"1", 1}, {"enable", 1}, {"E", 1}, {"t", 1},
                 {"no", 0},  {"on", 0},   {"0", 0}, {"false", 0},  {"x", 0}};
    for (const auto &w : words) {
        std::string text = std::string("log ") + w.word + "\nnsr " + w.word + "\nrelay " + w.word +
                           "\nfixvalid " + w.word + "\ndropmangld " + w.word + "\nhaltonerr " + w.word + "\n";
        uint16_t f = w.flag;
        run_cases({{text, 0, items(6), [f] {
                        EXPECT_EQ(conf_image.log_port, f);
                        EXPECT_EQ(conf_image.nsr, f);
                        EXPECT_EQ(conf_image.relay, f);
                        EXPECT_EQ(conf_image.fix_valid, f);
                        EXPECT_EQ(conf_image.drop_mangled, f);
                        EXPECT_EQ(conf_image.halt_on_error, f);
                    }}});
    }
}

TEST(ConfProcess, ArgumentInsideTheCommentOrMissing)
{
    run_cases({
        {"log # y\n", -8, "\a\aError: line 1: missing y | n argument: log # y\n"},
        {"log ;y\n", -8, "\a\aError: line 1: missing y | n argument: log ;y\n"},
        {"log //1\n", -8, "\a\aError: line 1: missing y | n argument: log //1\n"},
        {"log\n", -11, "\a\aError: line 1: missing y | n argument: log\n"},
        {"log ,\t \n", -11, "\a\aError: line 1: missing y | n argument: log ,\t \n"},
        {"log n # comment y\n", 0, ok1, [] { EXPECT_EQ(conf_image.log_port, 0); }},
        {"call # ab1\n", -8, "\a\aError: line 1: missing Call Sign argument: call # ab1\n"},
        {"ssid ;3\n", -8, "\a\aError: line 1: missing SSID argument: ssid ;3\n"},
        {"dupewin\n", -11, "\a\aError: line 1: missing seconds argument: dupewin\n"},
        {"widemax # 3\n", -8, "\a\aError: line 1: missing n argument: widemax # 3\n"},
        {"digipath # wide1-1\n", -8, "\a\aError: line 1: missing Digi Path argument: digipath # wide1-1\n"},
        {"digipath\n", -11, "\a\aError: line 1: missing Digi Path argument: digipath\n"},
        {"# comment\n; comment\n/ comment\n//ssid 99\n\n   \n ,, \n#\n", 0, items(0)},
        {"", 0, items(0)},
    });
}

TEST(ConfProcess, StationPosition)
{
    run_cases({
        {"position 12.30.0, -45.15.0\n", 0, ok1,
         [] {
             EXPECT_EQ(conf_image.base_lat, 12.5f);
             EXPECT_EQ(conf_image.base_lon, -45.25f);
         }},
        {"base 10d\t20d\n", 0, ok1,
         [] {
             EXPECT_EQ(conf_image.base_lat, 10.0f);
             EXPECT_EQ(conf_image.base_lon, 20.0f);
         }},
        {"base -00:30:00 359:59:59 # here\n", 0, ok1,
         [] {
             EXPECT_EQ(conf_image.base_lat, -0.5f);
             EXPECT_EQ(conf_image.base_lon, static_cast<float>(359 + 59 / 60.0 + 59 / 3600.0));
         }},
        {"position # here\n", -11,
         "\a\aError: Unrecognized format: must be one of Dotted, Colon or DMC\n"
         "\a\aError: line 1: invalid Station Latitude argument: #: position # here\n"},
        {"position\n", -11, "\a\aError: line 1: missing Station Latitude argument: position\n"},
        {"position 12.30.0\n", -11, "\a\aError: line 1: missing Station Longitude argument: position 12.30.0\n",
         [] { EXPECT_EQ(conf_image.base_lat, 12.5f); }},
        {"position 12.30.0 # -45.15.0\n", -8,
         "\a\aError: line 1: missing Station Longitude argument: position 12.30.0 # -45.15.0\n",
         [] {
             EXPECT_EQ(conf_image.base_lat, 12.5f);
             EXPECT_EQ(conf_image.base_lon, conf_defaults.base_lon);
         }},
        {"base 1.30.0 30dNS\n", -11,
         "\a\aError: DMC format: both direction chars N and S cannot be specified\n"
         "\a\aError: line 1: invalid Station Longitude argument: 30dNS: base 1.30.0 30dNS\n",
         [] { EXPECT_EQ(conf_image.base_lat, 1.5f); }},
        {"base 400d 1.0.0\n", -11,
         "\a\aError: deg 400.000000 is out of range [-180..180]\n"
         "\a\aError: line 1: invalid Station Latitude argument: 400d: base 400d 1.0.0\n",
         [] { EXPECT_EQ(conf_image.base_lat, conf_defaults.base_lat); }},
    });
}

TEST(ConfProcess, WideAndDupeWindowRanges)
{
    run_cases({
        {"widemax 1\nwidetotal 6\ndupewin 5\n", 0, items(3),
         [] {
             EXPECT_EQ(conf_image.wide_max, 1);
             EXPECT_EQ(conf_image.wide_total, 6);
             EXPECT_EQ(conf_image.dupe_window, 5);
         }},
        {"dupewin 500\n", 0, ok1, [] { EXPECT_EQ(conf_image.dupe_window, 500); }},
        {"widemax 0\n", -11, "\a\aError: line 1: invalid n argument range [1..6]: 0: widemax 0\n"},
        {"widetotal 7\n", -11, "\a\aError: line 1: invalid n argument range [1..6]: 7: widetotal 7\n"},
        {"dupewin 4\n", -11, "\a\aError: line 1: invalid seconds argument range [5..500]: 4: dupewin 4\n"},
        {"dupewin 501\n", -11, "\a\aError: line 1: invalid seconds argument range [5..500]: 501: dupewin 501\n"},
        {"dupewin 0x10\n", -11, "\a\aError: line 1: invalid seconds argument range [5..500]: 0: dupewin 0x10\n"},
    });
}

TEST(ConfProcess, DigiPath)
{
    run_cases({
        {"digipath wide1-1,wide2-2\n", 0, ok1,
         [] {
             EXPECT_EQ(digi_path_count, 2);
             EXPECT_EQ(slot(0), std::string("WIDE1-1\0", 8));
             EXPECT_EQ(slot(1), std::string("WIDE2-2\0", 8));
             EXPECT_EQ(slot(2), std::string(8, '\0'));
         }},
        {"digipath a,,b,\n", 0, ok1,
         [] {
             EXPECT_EQ(digi_path_count, 2);
             EXPECT_EQ(slot(1), std::string("B\0\0\0\0\0\0\0", 8));
         }},
        {"digipath ABCDEFGH,1,2,3,4,5,6,7,toolongtoshow\n", 0, ok1,
         [] {
             EXPECT_EQ(digi_path_count, 8);
             EXPECT_EQ(slot(0), "ABCDEFGH");
             EXPECT_EQ(slot(7), std::string("7\0\0\0\0\0\0\0", 8));
         }},
        {"digipath x, y\n", 0, ok1, [] { EXPECT_EQ(digi_path_count, 1); }},
        {"digipath ,,,\n", 0, ok1, [] { EXPECT_EQ(digi_path_count, 0); }},
        {"digipath a,b;c\n", 0, ok1, [] { EXPECT_EQ(digi_path_count, 2); }},
        {"digipath a,b,c\ndigipath d\n", 0, items(2),
         [] {
             EXPECT_EQ(digi_path_count, 1);
             EXPECT_EQ(slot(0), std::string("D\0\0\0\0\0\0\0", 8));
             EXPECT_EQ(slot(1), std::string(8, '\0'));
         }},
        {"digipath a,b,c\ndigipath WIDE1-1,ABCDEFGHI\n", -11,
         "\a\aError: line 2: Digi Path component 2: ABCDEFGHI exceeds length 8: "
         "digipath WIDE1-1,ABCDEFGHI\n",
         [] {
             // The new path is cut short; the count names only slots that hold it.
             EXPECT_EQ(digi_path_count, 1);
             EXPECT_EQ(slot(0), "WIDE1-1" + std::string(1, '\0'));
             EXPECT_EQ(slot(1), std::string(8, '\0'));
         }},
    });
}

TEST(ConfProcess, LastOneWinsAndFailuresKeepEarlierLines)
{
    run_cases({
        {"ssid 3\nssid 4\nbase 1.0.0 2.0.0\nposition 3.0.0 4.0.0\n", 0, items(4),
         [] {
             EXPECT_EQ(conf_image.ssid, 4);
             EXPECT_EQ(conf_image.base_lat, 3.0f);
         }},
        {"ssid 3\n\n# comment\nhost 1\nssid 4\n", -11,
         "\a\aError: line 4: invalid Baud argument: 1: host 1\n",
         [] {
             EXPECT_EQ(conf_image.ssid, 3);
             EXPECT_EQ(conf_image.host_baud, 57600u);
         }},
    });
}

TEST(ConfProcess, LineEndsAndLongLines)
{
    std::string pad(255 - 6, ' ');
    run_cases({
        {"call ab1\r\nssid 5\r\ndigipath a,b\r\n", 0, items(3),
         [] {
             EXPECT_EQ(call_text(), std::string("AB1\0ET\0\0", 8));
             EXPECT_EQ(slot(1), std::string("B\0\0\0\0\0\0\0", 8));
         }},
        {"ssid 5\r\nhostx 1\r\n", -7, "\a\aError: line 2: command hostx invalid: hostx 1\n"},
        // A CR anywhere else is refused, shown with the text before it: read
        // as part of the line it would hide what follows it.
        {"ssid 1\rssid 2\n", -5, "\a\aError: line 1: carriage return without line feed after: ssid 1\n"},
        {"call xy\rz\r\r\n", -5, "\a\aError: line 1: carriage return without line feed after: call xy\n"},
        {"host 9600\rtnc 4800\rssid 5\r", -5,
         "\a\aError: line 1: carriage return without line feed after: host 9600\n"},
        {"ssid 3\n\rssid 4\n", -5, "\a\aError: line 2: carriage return without line feed after: \n",
         [] { EXPECT_EQ(conf_image.ssid, 3); }},
        {"ssid 3\r\r\n", -5, "\a\aError: line 1: carriage return without line feed after: ssid 3\n"},
        {"ssid 7", 0, ok1, [] { EXPECT_EQ(conf_image.ssid, 7); }},
        // 300 characters: the first 255 are one line, the rest a second.
        {"ssid 1" + pad + "ssid 2\nbogus\n", -7, "\a\aError: line 3: command bogus invalid: bogus\n",
         [] { EXPECT_EQ(conf_image.ssid, 2); }},
        // Exactly 255 characters, with either line end, are one line.
        {"ssid 1" + pad + "\nbogus\n", -7, "\a\aError: line 2: command bogus invalid: bogus\n"},
        {"ssid 1" + pad + "\r\nbogus\r\n", -7, "\a\aError: line 2: command bogus invalid: bogus\n"},
        {"ssid 1" + pad + "\r\n", 0, ok1},
        // 254 characters and CR LF: the CR is the 255th byte read, still the line end's.
        {"call" + std::string(247, ' ') + "ab1\r\nbogus\n", -7,
         "\a\aError: line 2: command bogus invalid: bogus\n",
         [] { EXPECT_EQ(call_text(), std::string("AB1\0ET\0\0", 8)); }},
        // A lone CR just after a full piece begins the next one.
        {"ssid 1" + pad + "\rx\n", -5, "\a\aError: line 2: carriage return without line feed after: \n"},
    });
}

TEST(ConfProcess, BinaryContentIsRefusedClearly)
{
    run_cases({
        {std::string("ssid 1\nca\0ll x\n", 15), -4, "\a\aError: line 2: line holds a NUL byte: ca\n",
         [] { EXPECT_EQ(conf_image.ssid, 1); }},
        {std::string("\0", 1), -4, "\a\aError: line 1: line holds a NUL byte: \n"},
        {"\x7f" "ELF\x02\x01\n", -7, "\a\aError: line 1: command \x7f" "ELF\x02\x01 invalid: \x7f" "ELF\x02\x01\n"},
    });
    // Any bytes at all: no crash, no read out of bounds (the sanitizers watch).
    std::string noise;
    unsigned x = 12345;
    for (int i = 0; i < 20000; i++) {
        x = x * 1103515245u + 12345u;
        noise += static_cast<char>(x >> 16);
    }
    for (size_t cut : {size_t{1}, size_t{255}, size_t{256}, size_t{4000}, noise.size()}) {
        std::string path = write_file("noise", noise.substr(0, cut));
        testing::internal::CaptureStdout();
        int result = conf_process(path.c_str());
        testing::internal::GetCapturedStdout();
        EXPECT_NE(result, 0);
        std::remove(path.c_str());
    }
}

TEST(ConfProcess, ResetKeepsRuleCountAndAction)
{
    const struct {
        uint16_t action, kept;
    } actions[] = {{0x64, 0x64}, {0x70, 0x70}, {0x41, 0x70}, {0, 0x70}};
    for (const auto &a : actions) {
        conf_reset();
        std::memcpy(conf_image.call, "OLD\0\0\0\0", 8);
        conf_image.ssid = 9;
        digi_path_count = 3;
        conf_image.rule_count = 42;
        conf_image.implicit_action = a.action;
        std::string path = write_file("reset", "ssid 1\n");
        testing::internal::CaptureStdout();
        EXPECT_EQ(conf_process(path.c_str()), 0);
        EXPECT_EQ(testing::internal::GetCapturedStdout(), ok1);
        EXPECT_EQ(call_text(), std::string("NOTSET\0\0", 8));
        EXPECT_EQ(digi_path_count, 0);
        EXPECT_EQ(conf_image.rule_count, 42);
        EXPECT_EQ(conf_image.implicit_action, a.kept);
        std::remove(path.c_str());
    }
}

TEST(ConfProcess, FilesThatDoNotOpenLeaveEverything)
{
    for (int processed : {0, 1}) {
        for (const char *name : {"no such file.cfg", ""}) {
            conf_reset();
            conf_image.ssid = 9;
            conf_processed = processed;
            std::string path = name[0] ? temp_path(name) : std::string();
            std::string dir = testing::TempDir();
            for (const std::string &p : {path, dir}) {
                testing::internal::CaptureStdout();
                EXPECT_EQ(conf_process(p.c_str()), -2) << p;
                EXPECT_EQ(testing::internal::GetCapturedStdout(), "\a\aError: cannot open " + p + "\n");
                EXPECT_EQ(conf_image.ssid, 9);
                EXPECT_EQ(conf_processed, processed);
            }
        }
    }
    testing::internal::CaptureStdout();
    EXPECT_EQ(conf_process(nullptr), -1);
    EXPECT_EQ(testing::internal::GetCapturedStdout(), "conf_process: Error: param rfp is invalid\n");
}

TEST(ConfProcess, FailureLeavesTheFlagAsItWas)
{
    std::string path = write_file("flag", "ssid 3\nssid 99\n");
    for (int processed : {0, 1}) {
        conf_processed = processed;
        testing::internal::CaptureStdout();
        EXPECT_EQ(conf_process(path.c_str()), -11);
        testing::internal::GetCapturedStdout();
        EXPECT_EQ(conf_processed, processed);
    }
    std::remove(path.c_str());
}

TEST(ConfRead, ReadErrorPartwayIsAFailure)
{
    for (const char *text : {"call ab1\nssid 3\n", "call ab1\nssid 3"}) {
        std::FILE *file = failing_stream(text, std::strlen(text));
        ASSERT_NE(file, nullptr);
        conf_reset();
        conf_processed = 0;
        testing::internal::CaptureStdout();
        int result = conf_read(file, "station.cfg");
        std::string printed = testing::internal::GetCapturedStdout();
        std::fclose(file);
        EXPECT_EQ(result, -3);
        // An unfinished last line is not taken as read.
        int bad_line = text[std::strlen(text) - 1] == '\n' ? 3 : 2;
        EXPECT_EQ(printed, "\a\aError: line " + std::to_string(bad_line) +
                               ": cannot read station.cfg: " + std::strerror(EIO) + "\n");
        EXPECT_EQ(conf_processed, 0);
        EXPECT_EQ(call_text(), std::string("AB1\0ET\0\0", 8));
        EXPECT_EQ(conf_image.ssid, bad_line == 3 ? 3 : 0);
    }
}

} // namespace
