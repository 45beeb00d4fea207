#include "shell/commands.h"

#include "shell/state.h"

#include <gtest/gtest.h>

#include <cstdio>
#include <cstring>
#include <string>

namespace {

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

TEST(CommandCode, GivesTheMatchedCodeAndReportsTheRest)
{
    struct Case {
        const char *line;
        int code;          // -1: nothing to dispatch
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
        std::snprintf(cmd_line, sizeof cmd_line, "%s", c.line);
        testing::internal::CaptureStdout();
        int code = command_code();
        EXPECT_EQ(testing::internal::GetCapturedStdout(), c.output) << c.line;
        EXPECT_EQ(code, c.code) << c.line;
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
