#include "config/conf_image.h"
#include "download/download.h"
#include "download/packet.h"
#include "rules/rule_table.h"
#include "shell/state.h"

#include "support/bytes.h"
#include "support/fake_port.h"

#include <gtest/gtest.h>

#include <cstdio>
#include <cstring>
#include <string>
#include <vector>


namespace {

struct CmdCase {
    const char *name;
    const char *size_text;
    std::string expected;
};

TEST(Framing, CommandPackets)
{
    const CmdCase cases[] = {
        {"-cestfini-", nullptr,
         bytes({0x00, 0x15, 0x2D, 0x63, 0x65, 0x73, 0x74, 0x66, 0x69, 0x6E, 0x69, 0x2D, 0x00,
                0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x5D, 0xCF})},
        {"conf", "120",
         bytes({0x00, 0x15, 0x63, 0x6F, 0x6E, 0x66, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00,
                0x00, 0x31, 0x32, 0x30, 0x00, 0x00, 0x5A, 0x09})},
        {"rules", "0",
         bytes({0x00, 0x15, 0x72, 0x75, 0x6C, 0x65, 0x73, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00,
                0x00, 0x30, 0x00, 0x00, 0x00, 0x00, 0xE6, 0xAA})},
        {"rules", "28",
         bytes({0x00, 0x15, 0x72, 0x75, 0x6C, 0x65, 0x73, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00,
                0x00, 0x32, 0x38, 0x00, 0x00, 0x00, 0x0B, 0x03})},
    };
    for (const CmdCase &c : cases) {
        unsigned char pkt[dwn_work_size];
        std::memset(pkt, 0xEE, sizeof pkt); // the builder clears what it uses
        dwn_build_cmd(pkt, c.name, c.size_text);
        dwn_frame_pkt(pkt, dwn_cmd_pkt_size);
        EXPECT_EQ(framed(pkt, dwn_cmd_pkt_size), c.expected) << c.name << " " << (c.size_text ? c.size_text : "");
    }
    EXPECT_STREQ(dwn_finish_name, "-cestfini-");
    EXPECT_STREQ(dwn_conf_name, "conf");
    EXPECT_STREQ(dwn_rules_name, "rules");
}

// A command packet as the device must see it: name, size text, zero padding.
std::string command(const char *name, const std::string &size_text)
{
    unsigned char pkt[dwn_cmd_pkt_size] = {};
    std::memcpy(pkt + 2, name, std::strlen(name));
    std::memcpy(pkt + 14, size_text.data(), size_text.size());
    dwn_frame_pkt(pkt, dwn_cmd_pkt_size);
    return framed(pkt, dwn_cmd_pkt_size);
}

std::string payload(const std::string &pkt) { return pkt.substr(2, pkt.size() - 4); }

class Sequence : public testing::Test {
protected:
    void SetUp() override
    {
        fake_reset();
        conf_reset();
        std::memset(rule_table, 0, sizeof rule_table);
    }
};

// Every packet on the line for a download of count rules, each acknowledged.
void check_sequence(int count)
{
    ASSERT_GE(fake_reads.size(), 1u);
    EXPECT_EQ(fake_reads[0].size, 64);
    EXPECT_EQ(fake_reads[0].timeout_ms, 10);

    const int rule_bytes = count * 28;
    const size_t rule_pkts = static_cast<size_t>((rule_bytes + 59) / 60);
    ASSERT_EQ(fake_writes.size(), 1 + 2 + 1 + rule_pkts + 1);
    size_t i = 0;
    EXPECT_EQ(fake_writes[i++], command("conf", "120"));
    std::string conf = payload(fake_writes[i++]);
    conf += payload(fake_writes[i++]);
    EXPECT_EQ(conf, std::string(reinterpret_cast<const char *>(&conf_image), 120));
    EXPECT_EQ(fake_writes[i++], command("rules", std::to_string(rule_bytes)));
    std::string rules;
    for (size_t k = 0; k < rule_pkts; k++) {
        const std::string &p = fake_writes[i++];
        EXPECT_EQ(p.size(), k + 1 < rule_pkts ? 64u : static_cast<size_t>(rule_bytes - 60 * (rule_pkts - 1) + 4));
        rules += payload(p);
    }
    EXPECT_EQ(rules, std::string(reinterpret_cast<const char *>(rule_table), static_cast<size_t>(rule_bytes)));
    EXPECT_EQ(fake_writes[i++], bytes({0x00, 0x15, 0x2D, 0x63, 0x65, 0x73, 0x74, 0x66, 0x69, 0x6E, 0x69,
                                       0x2D, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x5D, 0xCF}));
}

TEST_F(Sequence, NoRules)
{
    fake_ack_rest = 1;
    testing::internal::CaptureStdout();
    EXPECT_EQ(dwn_download(), 0);
    EXPECT_EQ(testing::internal::GetCapturedStdout(),
              "Downloading Configuration succeeded\nDownloading Rules succeeded\n");
    check_sequence(0);
}

TEST_F(Sequence, OneAndAHundredRules)
{
    for (int count : {1, 100}) {
        fake_reset();
        fake_ack_rest = 1;
        for (int r = 0; r < rule_max; r++)
            for (size_t b = 0; b < sizeof(rule_rec); b++)
                reinterpret_cast<unsigned char *>(&rule_table[r])[b] = static_cast<unsigned char>(r * 31 + b);
        conf_image.rule_count = static_cast<uint16_t>(count);
        testing::internal::CaptureStdout();
        EXPECT_EQ(dwn_download(), 0);
        testing::internal::GetCapturedStdout();
        check_sequence(count);
    }
    // 100 rules: 46 packets of 64 bytes and one of 44 after "2800".
    EXPECT_EQ(fake_writes.size(), 1u + 2 + 1 + 47 + 1);
    EXPECT_EQ(fake_writes[3], command("rules", "2800"));
    EXPECT_EQ(fake_writes[49].size(), 64u);
    EXPECT_EQ(fake_writes[50].size(), 44u);
}

struct FailCase {
    int failing_packet; // from 1: this packet gets five NAKs
    int rules;
    int result;
    const char *message;
};

TEST_F(Sequence, StopsAtTheFirstFailedStep)
{
    const char *nak5 = "\a\aError: writing data pkt: -6\n";
    const FailCase cases[] = {
        {1, 1, -1, "\a\aError: writing Configuration command failed: -6\n"},
        {2, 1, -2, "*\a\aError: writing Configuration file failed: -3\n"},
        {3, 1, -2, "*\a\aError: writing Configuration file failed: -3\n"},
        {4, 1, -3, "Downloading Configuration succeeded\n\a\aError: writing Rules command failed: -6\n"},
        {5, 1, -4, "Downloading Configuration succeeded\n*\a\aError: writing Rules file failed: -3\n"},
        {6, 1, -5, "Downloading Configuration succeeded\nDownloading Rules succeeded\n"
                   "\a\aError: error writing finish pkt: -6\n"},
        {5, 0, -5, "Downloading Configuration succeeded\nDownloading Rules succeeded\n"
                   "\a\aError: error writing finish pkt: -6\n"},
    };
    for (const FailCase &c : cases) {
        fake_reset();
        conf_image.rule_count = static_cast<uint16_t>(c.rules);
        for (int k = 1; k < c.failing_packet; k++)
            fake_replies.push_back(0x06);
        for (int k = 0; k < 5; k++)
            fake_replies.push_back(0x15);
        fake_ack_rest = 1;
        testing::internal::CaptureStdout();
        int r = dwn_download();
        std::string out = testing::internal::GetCapturedStdout();
        std::string expected = c.message;
        size_t star = expected.find('*');
        if (star != std::string::npos)
            expected.replace(star, 1, nak5);
        EXPECT_EQ(r, c.result) << c.failing_packet;
        EXPECT_EQ(out, expected) << c.failing_packet;
        // Nothing is sent after the packet that failed.
        EXPECT_EQ(fake_writes.size(), static_cast<size_t>(c.failing_packet - 1 + 5)) << c.failing_packet;
    }
}

TEST_F(Sequence, NeverSendsBeyondTheTable)
{
    fake_ack_rest = 1;
    conf_image.rule_count = rule_max + 1;
    testing::internal::CaptureStdout();
    EXPECT_EQ(dwn_download(), -3);
    EXPECT_EQ(testing::internal::GetCapturedStdout(),
              "Downloading Configuration succeeded\n"
              "\a\aInternal Error: rule count 101 above the table size\n");
    EXPECT_EQ(fake_writes.size(), 3u);
}

// The download command, with its questions answered from a file.
class Command : public testing::Test {
protected:
    void SetUp() override
    {
        fake_reset();
        fake_ack_rest = 1;
        conf_reset();
        connected = 1;
        conf_processed = 0;
        rules_processed = 0;
    }
    void TearDown() override
    {
        if (input != nullptr)
            std::fclose(input);
    }
    // Runs the command on this standard input; returns what it printed.
    std::string run(const std::string &answers)
    {
        input = std::tmpfile();
        std::fwrite(answers.data(), 1, answers.size(), input);
        std::rewind(input);
        FILE *old = stdin;
        stdin = input;
        testing::internal::CaptureStdout();
        cmd_download();
        std::string out = testing::internal::GetCapturedStdout();
        rest.clear();
        int ch;
        while ((ch = std::getc(stdin)) != EOF)
            rest.push_back(static_cast<char>(ch));
        stdin = old;
        return out;
    }
    FILE *input = nullptr;
    std::string rest; // what the command left on standard input
};

const char *const conf_question = "\a\aWarning: Configuration file has not yet been processed!\n"
                                  "Do you want to use the Default Configuration? (yes|no) [no]: ";
const char *const rules_question = "\n\a\aWarning: Rules file has not yet been processed!\n"
                                   "Do you  want to use the Implicit Rule only without specific rules?\n"
                                   "(yes|no) [no]: ";
const char *const done = "Downloading Configuration succeeded\nDownloading Rules succeeded\n"
                         "\a\aPlease Power OFF the Diriduzede and power it back on to RESET it.\n"
                         "Disconnected\n";
const char *const aborted = "\a\aDownload Aborted!\n";

TEST_F(Command, RefusedWhenNotConnected)
{
    connected = 0;
    EXPECT_EQ(run("yes\nyes\n"), "\a\aError: not Connected!\n");
    EXPECT_EQ(rest, "yes\nyes\n");
    EXPECT_TRUE(fake_writes.empty());
}

struct AnswerCase {
    int conf, rules;   // processed flags
    std::string input; // the answers
    std::string out;
    int sent;          // 1: "download\r\n" and the packets went out
    std::string rest;  // left for the prompt
};

TEST_F(Command, Questions)
{
    const std::string longyes = "y" + std::string(299, 'x') + "\n";
    const std::string longno = "n" + std::string(254, 'o') + "exit\n";
    const AnswerCase cases[] = {
        {1, 1, "next\n", done, 1, "next\n"},
        {0, 0, "yes\nY\nnext\n", std::string(conf_question) + rules_question + done, 1, "next\n"},
        {0, 1, "Yes\n", std::string(conf_question) + done, 1, ""},
        {1, 0, "y\n", std::string(rules_question) + done, 1, ""},
        {0, 0, "no\nyes\n", std::string(conf_question) + aborted, 0, "yes\n"},
        {0, 0, "\nyes\n", std::string(conf_question) + aborted, 0, "yes\n"},
        {0, 0, "\r\nyes\n", std::string(conf_question) + aborted, 0, "yes\n"},
        {0, 0, "yes\nnope\nx\n", std::string(conf_question) + rules_question + aborted, 0, "x\n"},
        {0, 0, "", std::string(conf_question) + "\n" + aborted, 0, ""},
        {0, 0, "yes\n", std::string(conf_question) + rules_question + "\n" + aborted, 0, ""},
        // Over-long answers: what does not fit is thrown away with the rest of its line.
        {0, 0, longyes + longyes + "next\n", std::string(conf_question) + rules_question + done, 1, "next\n"},
        {0, 0, longno + "x\n", std::string(conf_question) + aborted, 0, "x\n"},
        {0, 0, "y" + std::string(254, 'e') + "\nno\n", std::string(conf_question) + rules_question + aborted, 0, ""},
    };
    for (const AnswerCase &c : cases) {
        SetUp();
        conf_processed = c.conf;
        rules_processed = c.rules;
        std::string out = run(c.input);
        SCOPED_TRACE(c.input.substr(0, 20));
        EXPECT_EQ(out, c.out);
        EXPECT_EQ(rest, c.rest);
        EXPECT_EQ(connected, c.sent ? 0 : 1);
        EXPECT_EQ(fake_closes, c.sent);
        if (c.sent) {
            ASSERT_FALSE(fake_writes.empty());
            EXPECT_EQ(fake_writes[0], "download\r\n");
            EXPECT_EQ(fake_writes.size(), 1u + 5);
        } else {
            EXPECT_TRUE(fake_writes.empty());
        }
        if (input != nullptr) {
            std::fclose(input);
            input = nullptr;
        }
    }
}

TEST_F(Command, FailuresStillDisconnect)
{
    conf_processed = rules_processed = 1;
    fake_ack_rest = 0;
    fake_replies = {-1};
    EXPECT_EQ(run(""), "\a\aError: reading ack or nak: 0\n"
                       "\a\aError: writing Configuration command failed: -4\n"
                       "\a\aError: Download failed: -1\n"
                       "\a\aPlease Power OFF the Diriduzede and power it back on to RESET it.\n"
                       "Disconnected\n");
    EXPECT_EQ(connected, 0);
    EXPECT_EQ(fake_closes, 1);

    // The command itself not written: still connected, nothing closed.
    SetUp();
    conf_processed = rules_processed = 1;
    fake_fail_write = 1;
    EXPECT_EQ(run(""), "\a\aError: wrote Download command, got error on port COM1\n");
    EXPECT_EQ(connected, 1);
    EXPECT_EQ(fake_closes, 0);
}

} // namespace
