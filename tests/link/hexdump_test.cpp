#include "link/hexdump.h"

#include <gtest/gtest.h>

#include <cstdio>
#include <string>
#include <vector>


namespace {

const std::string header =
    "Dec  Hex |  0  1  2  3  4  5  6  7    8  9  a  b  c  d  e  f | 0123456789abcdef\n";

std::string dump(int flags, const char *name, const void *buf, int length, int rows_per_header)
{
    FILE *f = std::tmpfile();
    hexdump(f, flags, name, buf, length, rows_per_header);
    std::string text(static_cast<size_t>(std::ftell(f)), '\0');
    std::rewind(f);
    size_t got = std::fread(text.data(), 1, text.size(), f);
    std::fclose(f);
    text.resize(got);
    return text;
}

std::vector<std::string> lines(const std::string &text)
{
    std::vector<std::string> out;
    size_t at = 0;
    while (at < text.size()) {
        size_t end = text.find('\n', at);
        out.push_back(text.substr(at, end - at + 1));
        at = end + 1;
    }
    return out;
}

TEST(Hexdump, ThirtySevenBytesGiveTwoFullRowsAndAShortOne)
{
    const char bytes[] = "0123456789abcdefABCDEFGHIJKLMNOP\x01\x7f\x80 ~";
    ASSERT_EQ(sizeof bytes - 1, 37u);
    std::string expected = "Got: length 37 (0x25):\n" + header +
                           "   0 0000| 30 31 32 33 34 35 36 37   38 39 61 62 63 64 65 66 | 0123456789abcdef\n"
                           "  16 0010| 41 42 43 44 45 46 47 48   49 4a 4b 4c 4d 4e 4f 50 | ABCDEFGHIJKLMNOP\n"
                           "  32 0020| 01 7f 80 20 7e" +
                           std::string(36, ' ') + "| ... ~\n";
    std::string got = dump(1, "Got", bytes, 37, 10);
    EXPECT_EQ(got, expected);
    // Full rows are 80 characters and their bars stand under the header's.
    auto rows = lines(got);
    ASSERT_EQ(rows.size(), 5u);
    for (int i = 1; i <= 3; i++) {
        EXPECT_EQ(rows[i].find('|'), header.find('|'));
        EXPECT_EQ(rows[i].rfind('|'), header.rfind('|'));
    }
    EXPECT_EQ(rows[2].size(), 80u);
}

TEST(Hexdump, TwoHundredBytesRepeatTheHeaderAfterTenRows)
{
    unsigned char bytes[200];
    for (int i = 0; i < 200; i++)
        bytes[i] = static_cast<unsigned char>(i);
    auto rows = lines(dump(1, "Got", bytes, 200, 10));
    // Title, header, rows 0-9, empty line, header, rows 10-12.
    ASSERT_EQ(rows.size(), 1u + 1 + 10 + 1 + 1 + 3);
    EXPECT_EQ(rows[0], "Got: length 200 (0xc8):\n");
    EXPECT_EQ(rows[1], header);
    EXPECT_EQ(rows[4], "  32 0020| 20 21 22 23 24 25 26 27   28 29 2a 2b 2c 2d 2e 2f |  !\"#$%&'()*+,-./\n");
    EXPECT_EQ(rows[11], " 144 0090| 90 91 92 93 94 95 96 97   98 99 9a 9b 9c 9d 9e 9f | ................\n");
    EXPECT_EQ(rows[12], "\n");
    EXPECT_EQ(rows[13], header);
    EXPECT_EQ(rows[14], " 160 00a0| a0 a1 a2 a3 a4 a5 a6 a7   a8 a9 aa ab ac ad ae af | ................\n");
    EXPECT_EQ(rows[16], " 192 00c0| c0 c1 c2 c3 c4 c5 c6 c7" + std::string(27, ' ') + "| ........\n");
}

TEST(Hexdump, TitleFollowsFlagsAndName)
{
    const char bytes[] = "abc";
    char addr[64];
    std::snprintf(addr, sizeof addr, "0x%p", static_cast<const void *>(bytes));
    const std::string row = "   0 0000| 61 62 63" + std::string(42, ' ') + "| abc\n";
    struct {
        int flags;
        const char *name;
        std::string title;
    } cases[] = {
        {0, nullptr, std::string("hexdump: buffer addr ") + addr + ", length 3 (0x3):\n"},
        {0, "Got", std::string("hexdump: Got: buffer addr ") + addr + ", length 3 (0x3):\n"},
        {0, "", std::string("hexdump: buffer addr ") + addr + ", length 3 (0x3):\n"},
        {1, nullptr, "hexdump: length 3 (0x3):\n"},
        {1, "Got", "Got: length 3 (0x3):\n"},
        {1, "", "length 3 (0x3):\n"},
        {3, "Got", "Got: length 3 (0x3):\n"},
        {2, "Got", "length 3 (0x3):\n"},
        {2, nullptr, "length 3 (0x3):\n"},
        {4, "Got", ""},
        {8, nullptr, ""},
    };
    for (const auto &c : cases)
        EXPECT_EQ(dump(c.flags, c.name, bytes, 3, 0), c.title + row) << "flags " << c.flags;
}

TEST(Hexdump, EmptyBufferShowsTheTitleAlone)
{
    EXPECT_EQ(dump(1, "Got", "", 0, 10), "Got: length 0 (0x0):\n");
}

TEST(Hexdump, RefusesNullBufferAndNegativeLength)
{
    EXPECT_EQ(dump(1, "Got", nullptr, 5, 10), "hexdump: invalid param buf ptr\n");
    EXPECT_EQ(dump(1, "Got", "x", -1, 10), "hexdump: invalid param len -1\n");
}

TEST(Hexdump, HeaderEveryRowWithOne)
{
    unsigned char bytes[20] = {};
    std::string row0 = "   0 0000| 00 00 00 00 00 00 00 00   00 00 00 00 00 00 00 00 | ................\n";
    std::string row1 = "  16 0010| 00 00 00 00" + std::string(39, ' ') + "| ....\n";
    EXPECT_EQ(dump(2, nullptr, bytes, 20, 1), "length 20 (0x14):\n" + header + row0 + "\n" + header + row1);
}

} // namespace
