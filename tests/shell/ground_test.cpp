#include "shell/console.h"
#include "shell/lines.h"
#include "shell/state.h"
#include "shell/words.h"

#include <gtest/gtest.h>

#include <climits>
#include <cstdio>
#include <cstring>
#include <string>
#include <vector>

namespace {

struct PortCase {
    const char *word;
    int port; // 0: refused
};

TEST(PortNumberArg, ReadsNumbersAndComPrefix)
{
    const PortCase cases[] = {
        {"3", 3},      {"com3", 3},   {"COM3", 3},  {"Com03", 3},  {"20", 20},   {"1", 1},
        {" 7", 7},     {"+4", 4},     {"12abc", 12}, {"com 5", 5}, {"cOm20", 20},
        {"com", 0},    {"0", 0},      {"com21", 0}, {"port3", 0},  {"21", 0},    {"-3", 0},
        {"com0", 0},   {"", 0},       {"com-2", 0}, {"99999999999999999999", 0},
    };
    for (const PortCase &c : cases) {
        testing::internal::CaptureStdout();
        int got = port_number_arg(c.word);
        std::string out = testing::internal::GetCapturedStdout();
        EXPECT_EQ(got, c.port) << c.word;
        if (c.port == 0) {
            EXPECT_EQ(out, std::string("\a\aError: invalid COM port number (1..20): ") + c.word + "\n");
        } else {
            EXPECT_EQ(out, "") << c.word;
        }
    }
}

TEST(NextWord, RemembersItsPlaceAndTakesEachCallsDelimiters)
{
    char line[] = ",, configure  my file.txt,rest\tmore";
    words_begin(line);
    EXPECT_STREQ(next_word(", \t"), "configure");
    // Blanks are no delimiter here, so the second blank starts the name.
    EXPECT_STREQ(next_word(",\t"), " my file.txt");
    EXPECT_STREQ(next_word(",\t"), "rest");
    EXPECT_STREQ(next_word(",\t"), "more");
    EXPECT_EQ(next_word(",\t"), nullptr);
    EXPECT_EQ(next_word(",\t"), nullptr);

    char blanks[] = " ,\t, ";
    words_begin(blanks);
    EXPECT_EQ(next_word(", \t"), nullptr);
}

struct PrefixCase {
    const char *word;
    const char *name;
    bool matches;
};

TEST(PrefixMatches, LeadingPartInAnyCaseAsciiOnly)
{
    const PrefixCase cases[] = {
        {"conf", "configure", true}, {"CONFIGURE", "configure", true}, {"", "call", true},
        {"configures", "configure", false}, {"cx", "call", false}, {"Cal", "call", true},
        // Bytes above 0x7F are not letters: no case folding for them.
        {"\xc9", "\xe9", false}, {"\xe9", "\xe9", true},
        {"[", "{", false}, {"@", "`", false},
    };
    for (const PrefixCase &c : cases)
        EXPECT_EQ(prefix_matches(c.word, c.name), c.matches) << c.word << " / " << c.name;
}

struct IntCase {
    const char *text;
    int how;
    int value;
};

// The configuration reader skips blanks and \v \f before a number; the rules
// reader's SSID takes none of them. Both hold at an int's limits.
TEST(ReadInt, SignsBasesLimitsAndLeadingSpaces)
{
    const IntCase cases[] = {
        {"42", int_decimal, 42},
        {"-7x", int_decimal, -7},
        {"+15", int_decimal, 15},
        {"", int_decimal, 0},
        {"abc", int_decimal, 0},
        {"\v5", int_decimal, 0},
        {"\f5", int_decimal, 0},
        {" 5", int_decimal, 0},
        {"\v5", int_skip_blanks, 5},
        {"\f 5", int_skip_blanks, 5},
        {" \t-5", int_skip_blanks, -5},
        {"\n5", int_skip_blanks, 0},
        {"0x1F", int_prefixed, 31},
        {"0X1f", int_prefixed, 31},
        {"0x", int_prefixed, 0},
        {"0xg", int_prefixed, 0},
        {"017", int_prefixed, 15},
        {"019", int_prefixed, 1},
        {"017", int_decimal, 17},
        {"0x1F", int_decimal, 0},
        {"99999999999", int_decimal, INT_MAX},
        {"-99999999999", int_decimal, INT_MIN},
        {"0xFFFFFFFFFF", int_prefixed, INT_MAX},
    };
    for (const IntCase &c : cases)
        EXPECT_EQ(read_int(c.text, c.how), c.value) << '"' << c.text << "\" how " << c.how;
}

TEST(LineWords, CommentPositionAndWordsAfterIt)
{
    std::snprintf(line_buf, sizeof line_buf, "%s", "call N0CALL ; old");
    line_words_begin();
    EXPECT_EQ(line_comment_at, 12);
    char *w = line_word(" \t,");
    ASSERT_NE(w, nullptr);
    EXPECT_STREQ(w, "call");
    EXPECT_FALSE(after_comment(w));
    w = line_word(" \t,");
    EXPECT_STREQ(w, "N0CALL");
    EXPECT_FALSE(after_comment(w));
    w = line_word(" \t,");
    EXPECT_STREQ(w, ";");
    EXPECT_FALSE(after_comment(w)); // the comment character itself is not after it
    w = line_word(" \t,");
    EXPECT_STREQ(w, "old");
    EXPECT_TRUE(after_comment(w));
    EXPECT_EQ(line_word(" \t,"), nullptr);

    std::snprintf(line_buf, sizeof line_buf, "%s", "ssid 5");
    line_words_begin();
    EXPECT_EQ(line_comment_at, no_comment);
    line_word(" ");
    EXPECT_FALSE(after_comment(line_word(" ")));
}

TEST(PrintMsg, ReturnsTheCountAndWritesLongTextsWhole)
{
    const std::string long_text(3000, 'z');
    for (const std::string &s : {std::string("Connected 9600"), std::string(), long_text}) {
        testing::internal::CaptureStdout();
        int n = print_msg("<%s>\n", s.c_str());
        EXPECT_EQ(testing::internal::GetCapturedStdout(), "<" + s + ">\n");
        EXPECT_EQ(n, static_cast<int>(s.size() + 3));
    }
}

} // namespace
