#include "shell/shell.h"

#include "shell/console.h"

#include <gtest/gtest.h>

#include <cstring>
#include <string>
#include <vector>

// The shell calls out to the subsystems through dispatch(); here it only records.
static std::vector<int> dispatched;
void dispatch(int code) { dispatched.push_back(code); }

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

struct MatchCase {
    const char *word;
    const char *name; // nullptr: unknown, "?ambiguous": ambiguous
};

TEST(MatchCommand, UnambiguousPrefixOverAllRows)
{
    const MatchCase cases[] = {
        {"help", "help"},       {"HELP", "help"},     {"h", "help"},          {"?", "?"},
        {".", "."},             {"a", "angles"},      {"b", "baud"},          {"conf", "configure"},
        {"conn", "connect"},    {"dc", "dconfigure"}, {"dr", "drules"},       {"di", "disconnect"},
        {"do", "download"},     {"r", "rules"},       {"f", "firmware"},      {"e", "exit"},
        {"q", "quit"},          {"x", "x"},           {"DISCONNECT", "disconnect"},
        {"c", "?ambiguous"},    {"co", "?ambiguous"}, {"con", "?ambiguous"},  {"d", "?ambiguous"},
        {"xx", nullptr},        {"helpme", nullptr},  {"configures", nullptr}, {"z", nullptr},
    };
    for (const MatchCase &c : cases) {
        int row = match_command(c.word);
        if (c.name == nullptr) {
            EXPECT_EQ(row, -1) << c.word;
        } else if (std::strcmp(c.name, "?ambiguous") == 0) {
            EXPECT_EQ(row, -2) << c.word;
        } else {
            ASSERT_GE(row, 0) << c.word;
            EXPECT_STREQ(cmd_table[row].name, c.name) << c.word;
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

TEST(RunCommandLine, DispatchesTheMatchedCodeAndReportsTheRest)
{
    struct Case {
        const char *line;
        int code;          // -1: nothing dispatched
        const char *output;
    } cases[] = {
        {"drules", code_drules, ""},
        {"  ,Conn com1", code_connect, ""},
        {" .", code_repeat, ""},
        {"c 1", -1, "\a\aError: ambiguous command: c\n"},
        {"xx", -1, "\a\aError: unknown command: xx\n"},
        {" , \t", -1, ""},
    };
    for (const Case &c : cases) {
        dispatched.clear();
        std::snprintf(cmd_line, sizeof cmd_line, "%s", c.line);
        testing::internal::CaptureStdout();
        run_command_line();
        EXPECT_EQ(testing::internal::GetCapturedStdout(), c.output) << c.line;
        if (c.code < 0) {
            EXPECT_TRUE(dispatched.empty()) << c.line;
        } else {
            EXPECT_EQ(dispatched, std::vector<int>{c.code}) << c.line;
        }
    }
}

TEST(CommandTable, NoNameIsAPrefixOfAnother)
{
    for (int i = 0; i < cmd_count; i++)
        for (int j = 0; j < cmd_count; j++)
            if (i != j) {
                EXPECT_NE(std::strncmp(cmd_table[i].name, cmd_table[j].name, std::strlen(cmd_table[i].name)), 0)
                    << cmd_table[i].name << " / " << cmd_table[j].name;
            }
}

} // namespace

namespace {

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
