#include "firmware/inhex.h"

#include <gtest/gtest.h>

#include <cerrno>
#include <cstdio>
#include <cstring>
#include <string>

namespace {

TEST(HexField, TwoCharacterReadings)
{
    struct Case {
        const char *text;
        int width;
        int value;
    };
    const Case cases[] = {
        {"7F", 2, 127}, {"a0", 2, 160}, {" 5", 2, 5},  {"5 ", 2, 5},   {"+1", 2, 1},
        {"-1", 2, -1},  {"1G", 2, 1},   {"G1", 2, 0},  {"0x", 2, 0},   {"\t5", 2, 5},
        {"ff", 2, 255}, {"123", 2, 0x12}, {"1", 2, 1}, {"", 2, 0},     {"7F", 0, 0},
        {"7F", 1, 7},   {"0x1F", 4, 31}, {"-0x10", 5, -16},
    };
    for (const Case &c : cases)
        EXPECT_EQ(hex_field(c.text, c.width), c.value) << '"' << c.text << "\" width " << c.width;
    EXPECT_EQ(hex_field(nullptr, 2), 0);
}

TEST(InhexSum, AddsTwoCharacterFieldsModulo256)
{
    EXPECT_EQ(inhex_sum("00000001FF"), 0);
    EXPECT_EQ(inhex_sum("040010001234567800"), 0x28);
    EXPECT_EQ(inhex_sum("-1"), 0xFF);
    EXPECT_EQ(inhex_sum("123"), 0x15); // a last single character is a field of its own
    EXPECT_EQ(inhex_sum(""), 0);
    EXPECT_EQ(inhex_sum(nullptr), 0);
}

// ":81000000" then 128 zero bytes: 129 declared, 128 present.
std::string long_record(int data_chars, const char *tail)
{
    return ":81000000" + std::string(static_cast<size_t>(data_chars), '0') + tail;
}

struct FileCase {
    const char *what;
    std::string text;
    int result;
    const char *message;
};

int verify_text(const std::string &text, std::string &out)
{
    FILE *f = std::tmpfile();
    if (f == nullptr)
        return 1000;
    std::fwrite(text.data(), 1, text.size(), f);
    testing::internal::CaptureStdout();
    int r = inhexverify(f);
    out = testing::internal::GetCapturedStdout();
    std::fclose(f);
    return r;
}

// The sum reads two digits at once where it can: every pair of characters,
// and every character followed by the end, must count as hex_field reads it.
TEST(InhexSum, EveryPairAsHexFieldReadsIt)
{
    for (int a = 1; a < 256; a++)
        for (int b = 0; b < 256; b++) {
            const char text[3] = {static_cast<char>(a), static_cast<char>(b), '\0'};
            ASSERT_EQ(inhex_sum(text), static_cast<uint8_t>(hex_field(text, 2))) << a << ' ' << b;
        }
}

TEST(Inhexverify, FilesAndLines)
{
    const FileCase cases[] = {
        {"end record alone", ":00000001FF\n", 1, ""},
        {"no final newline", ":00000001FF", 1, ""},
        {"aligned data", ":0400100012345678D8\n", 1, ""},
        {"offset 0x12", ":0400120012345678D6\n", -6,
         "\a\aError: data record offset boundary error for line 1 in Firmware file!\n"},
        {"lower case, offset 0x1c", ":04001c0001020304d6\n", 1, ""},
        {"offset 0x18", ":0400180001020304da\n", 1, ""},
        {"type 04 on any offset", ":020000040001F9\n", 1, ""},
        {"bad sum", ":040010001234567800\n", -2,
         "\a\aError: checksum mismatch (0x28) for line 1 in Firmware file!\n"},
        {"type 06", ":00000006FA\n", -3, "\a\aError: invalid type (06) for line 1 in Firmware file!\n"},
        {"type 10", ":00000010F0\n", -3, "\a\aError: invalid type (10) for line 1 in Firmware file!\n"},
        {"sum tested before type", ":00000006FF\n", -2,
         "\a\aError: checksum mismatch (0x05) for line 1 in Firmware file!\n"},
        {"129 data bytes", long_record(258, "7F") + "\n", -5,
         "\a\aError: record length > 128 (129) for line 1 in Firmware file!\n"},
        {"129 declared, one character short", long_record(256, "7F0") + "\n", -4,
         "\a\aError: invalid record length (129) for line 1 in Firmware file!\n"},
        {"128 data bytes", ":80000000" + std::string(256, '0') + "80\n", 1, ""},
        {"trailing blanks", ":00000001FF  \n", -4,
         "\a\aError: invalid record length (0) for line 1 in Firmware file!\n"},
        {"too short for a type", ":\n", -4,
         "\a\aError: invalid record length (0) for line 1 in Firmware file!\n"},
        {"comments only", "; firmware\n\nnothing here\n", -7, "\a\aError: Firmware file is empty!\n"},
        {"empty file", "", -7, "\a\aError: Firmware file is empty!\n"},
        {"comment before a record", "; built today\n:040010001234567800\n", -2,
         "\a\aError: checksum mismatch (0x28) for line 2 in Firmware file!\n"},
        {"blank lines count", "\n\n:00000006FA\n", -3,
         "\a\aError: invalid type (06) for line 3 in Firmware file!\n"},
        {"records counted, comments not", "; a\n:020000040001F9\n:0400100012345678D8\n\n:00000001FF\n", 3, ""},
        {"CR LF line ends", ":020000040001F9\r\n:0400100012345678D8\r\n:00000001FF\r\n", 3, ""},
        {"stops at the first bad line", ":00000006FA\n:040010001234567800\n", -3,
         "\a\aError: invalid type (06) for line 1 in Firmware file!\n"},
        // 511 characters per read: the rest of a long line is a line of its own.
        {"long line in pieces", std::string(511, 'x') + ":00000006FA\n", -3,
         "\a\aError: invalid type (06) for line 2 in Firmware file!\n"},
        {"long comment then record", std::string(600, ';') + "\n:00000006FA\n", -3,
         "\a\aError: invalid type (06) for line 3 in Firmware file!\n"},
        // A NUL byte ends no line and hides nothing, wherever it stands.
        {"NUL before a record", ":00000001FF\n" + std::string(1, '\0') + ":00000006FA\n", -9,
         "\a\aError: NUL byte for line 2 in Firmware file!\n"},
        {"NUL after a sound record", ":0400100012345678D8" + std::string(1, '\0') + "garbage\n", -9,
         "\a\aError: NUL byte for line 1 in Firmware file!\n"},
        {"NUL in a comment", "; built" + std::string(1, '\0') + "\n:00000001FF\n", -9,
         "\a\aError: NUL byte for line 1 in Firmware file!\n"},
        {"NUL tested before the sum", ":040010001234567800" + std::string(1, '\0') + "\n", -9,
         "\a\aError: NUL byte for line 1 in Firmware file!\n"},
    };
    for (const FileCase &c : cases) {
        std::string out;
        EXPECT_EQ(verify_text(c.text, out), c.result) << c.what;
        EXPECT_EQ(out, c.message) << c.what;
    }
}

TEST(Inhexverify, NullFile)
{
    testing::internal::CaptureStdout();
    EXPECT_EQ(inhexverify(nullptr), -1);
    EXPECT_EQ(testing::internal::GetCapturedStdout(), "inhexverify: Error: param fp is invalid\n");
}

TEST(Inhexverify, RewindsFirst)
{
    FILE *f = std::tmpfile();
    ASSERT_NE(f, nullptr);
    std::fputs(":00000001FF\n", f); // position at the end
    testing::internal::CaptureStdout();
    EXPECT_EQ(inhexverify(f), 1);
    testing::internal::GetCapturedStdout();
    std::fclose(f);
}

// A file whose reads fail after the first line: a failure, never a success.
ssize_t failing_read(void *cookie, char *buf, size_t size)
{
    int &calls = *static_cast<int *>(cookie);
    if (calls++ > 0) {
        errno = EIO;
        return -1;
    }
    const char text[] = ":00000001FF\n";
    size_t n = std::min(size, sizeof text - 1);
    std::memcpy(buf, text, n);
    return static_cast<ssize_t>(n);
}

int failing_seek(void *, off64_t *pos, int) { return *pos == 0 ? 0 : -1; }

TEST(Inhexverify, ReadErrorPartwayFails)
{
    int calls = 0;
    cookie_io_functions_t io{failing_read, nullptr, failing_seek, nullptr};
    FILE *f = fopencookie(&calls, "r", io);
    ASSERT_NE(f, nullptr);
    testing::internal::CaptureStdout();
    int r = inhexverify(f);
    std::string out = testing::internal::GetCapturedStdout();
    std::fclose(f);
    EXPECT_EQ(r, -8);
    EXPECT_EQ(out, std::string("\a\aError: cannot read the Firmware file after line 1: ") + std::strerror(EIO) + "\n");
}

TEST(FwReadLine, LineEnds)
{
    FILE *f = std::tmpfile();
    ASSERT_NE(f, nullptr);
    const std::string text = "ab\r\ncd\n\r\nef\rgh\n" + std::string(510, 'y') + "\r\nlast\r";
    std::fwrite(text.data(), 1, text.size(), f);
    std::rewind(f);
    char line[fw_line_size];
    const char *want[] = {"ab", "cd", "", "ef\rgh"};
    for (const char *w : want) {
        ASSERT_EQ(fw_read_line(f, line), static_cast<int>(std::strlen(w)));
        EXPECT_STREQ(line, w);
    }
    // 510 characters and CR LF: one line, as 510 characters and LF would be.
    ASSERT_EQ(fw_read_line(f, line), 510);
    EXPECT_EQ(fw_read_line(f, line), 4);
    EXPECT_STREQ(line, "last");
    EXPECT_EQ(fw_read_line(f, line), -1);
    std::fclose(f);
}

} // namespace

namespace {

TEST(Inhexverify, ExampleFirmwareFile)
{
    FILE *f = std::fopen(DZ_EXAMPLES "/firmware.hex", "r");
    ASSERT_NE(f, nullptr);
    testing::internal::CaptureStdout();
    EXPECT_EQ(inhexverify(f), 108); // every one of its 108 lines is a record
    EXPECT_EQ(testing::internal::GetCapturedStdout(), "");
    std::fclose(f);
}

} // namespace
