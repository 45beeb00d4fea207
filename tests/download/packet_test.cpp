#include "download/packet.h"

#include "support/bytes.h"
#include "support/fake_port.h"

#include <gtest/gtest.h>

#include <cstdint>
#include <cstring>
#include <string>
#include <vector>

namespace {

// Direct, bit by bit, non-augmented: polynomial 0x1021, initial value 0x1D0F.
uint16_t crc_bitwise(const unsigned char *p, size_t n)
{
    uint16_t reg = 0x1D0F;
    for (size_t i = 0; i < n; i++) {
        reg ^= static_cast<uint16_t>(p[i] << 8);
        for (int bit = 0; bit < 8; bit++)
            reg = static_cast<uint16_t>((reg & 0x8000) ? (reg << 1) ^ 0x1021 : reg << 1);
    }
    return reg;
}

TEST(Crc, CheckValueOfTheDigits)
{
    const char digits[] = "123456789\0"; // the nine digits and two zero bytes
    EXPECT_EQ(dwn_crc16(0xFFFF, digits, 11, dwn_crc_table.data()), 0xE5CC);
    EXPECT_EQ(crc_bitwise(reinterpret_cast<const unsigned char *>(digits), 9), 0xE5CC);
    EXPECT_EQ(dwn_crc16(0x1234, digits, 0, dwn_crc_table.data()), 0x1234);
}

TEST(Crc, TableIsTheRemainderOfEachHighByte)
{
    EXPECT_EQ(dwn_crc_table[0], 0x0000);
    EXPECT_EQ(dwn_crc_table[1], 0x1021);
    EXPECT_EQ(dwn_crc_table[2], 0x2042);
    EXPECT_EQ(dwn_crc_table[255], 0x1EF0);
    // A remainder is linear: the entry of a XOR b is the XOR of their entries.
    for (int a = 0; a < 256; a++)
        for (int b = 0; b < 256; b += 17)
            ASSERT_EQ(dwn_crc_table[a ^ b], dwn_crc_table[a] ^ dwn_crc_table[b]) << a << " " << b;
}

TEST(Crc, AugmentedTableFormEqualsDirectForm)
{
    unsigned char buf[300];
    uint32_t x = 12345;
    for (size_t len = 0; len <= 298; len += 23) {
        for (size_t i = 0; i < len; i++) {
            x = x * 1103515245u + 12345u;
            buf[i] = static_cast<unsigned char>(x >> 16);
        }
        buf[len] = buf[len + 1] = 0;
        EXPECT_EQ(dwn_crc16(0xFFFF, buf, static_cast<int>(len + 2), dwn_crc_table.data()),
                  crc_bitwise(buf, len))
            << len;
    }
}

TEST(Framing, DataPacketAbc)
{
    unsigned char pkt[7] = {0xEE, 0xEE, 'a', 'b', 'c', 0xEE, 0xEE};
    dwn_frame_pkt(pkt, 7);
    EXPECT_EQ(framed(pkt, 7), bytes({0x00, 0x07, 0x61, 0x62, 0x63, 0x3D, 0x35}));
    // Over the finished packet the augmented run comes out 0.
    EXPECT_EQ(dwn_crc16(0xFFFF, pkt, 7, dwn_crc_table.data()), 0);
}

class WritePkt : public testing::Test {
protected:
    void SetUp() override { fake_reset(); }
};

TEST_F(WritePkt, RefusesImpossibleArguments)
{
    unsigned char pkt[8] = {};
    testing::internal::CaptureStdout();
    EXPECT_EQ(dwn_write_pkt(nullptr, 7), -1);
    EXPECT_EQ(dwn_write_pkt(pkt, 4), -2);
    EXPECT_EQ(dwn_write_pkt(pkt, 0), -2);
    EXPECT_EQ(testing::internal::GetCapturedStdout(),
              "dwn_write_pkt: argument ptr pp is null\n"
              "dwn_write_pkt: argument len < 5\n"
              "dwn_write_pkt: argument len < 5\n");
    EXPECT_TRUE(fake_writes.empty());
    EXPECT_TRUE(fake_reads.empty());
}

struct ReplyCase {
    std::vector<int> replies; // -1: nothing within the time-out
    int fail_write;
    int result;
    size_t sends;
    const char *message;
};

TEST_F(WritePkt, RepliesResendsAndResults)
{
    const ReplyCase cases[] = {
        {{0x06}, 0, 5, 1, ""},
        {{0x15, 0x06}, 0, 5, 2, ""},
        {{0x15, 0x15, 0x15, 0x15, 0x06}, 0, 5, 5, ""},
        {{0x15, 0x15, 0x15, 0x15, 0x15, 0x06}, 0, -6, 5, ""},
        {{-1, 0x06}, 0, -4, 1, "\a\aError: reading ack or nak: 0\n"},
        {{0x15, -1}, 0, -4, 2, "\a\aError: reading ack or nak: 0\n"},
        {{0x00}, 0, -5, 1, "\a\aError: reading ack or nak: got 0x00\n"},
        {{0xFF}, 0, -5, 1, "\a\aError: reading ack or nak: got 0xff\n"},
        {{0x15, 0x86}, 0, -5, 2, "\a\aError: reading ack or nak: got 0x86\n"},
        {{0x06}, 1, -3, 1, "\a\aError: writing pkt\n"},
        {{0x15, 0x06}, 2, -3, 2, "\a\aError: writing pkt\n"},
    };
    for (const ReplyCase &c : cases) {
        fake_reset();
        fake_replies = c.replies;
        fake_fail_write = c.fail_write;
        unsigned char pkt[5] = {0, 0, 'Z', 0, 0};
        testing::internal::CaptureStdout();
        int r = dwn_write_pkt(pkt, 5);
        std::string out = testing::internal::GetCapturedStdout();
        SCOPED_TRACE(testing::Message() << "case with " << c.replies.size() << " replies, result " << c.result);
        EXPECT_EQ(r, c.result);
        EXPECT_EQ(out, c.message);
        ASSERT_EQ(fake_writes.size(), c.sends);
        // Every transmission is the same framed packet; each waits 5000 ms for one byte.
        for (size_t i = 0; i < fake_writes.size(); i++) {
            if (static_cast<int>(i) + 1 != c.fail_write) {
                EXPECT_EQ(fake_writes[i], framed(pkt, 5));
            }
        }
        EXPECT_EQ(dwn_crc16(0xFFFF, pkt, 5, dwn_crc_table.data()), 0);
        EXPECT_EQ(pkt[1], 5);
        for (const fake_read &rd : fake_reads) {
            EXPECT_EQ(rd.size, 1);
            EXPECT_EQ(rd.timeout_ms, 5000);
        }
    }
}

class WriteFile : public testing::Test {
protected:
    void SetUp() override { fake_reset(); }
};

TEST_F(WriteFile, ChunksOfSixtyBytes)
{
    struct {
        int length;
        std::vector<size_t> packet_sizes;
    } cases[] = {
        {120, {64, 64}}, {60, {64}}, {61, {64, 5}}, {1, {5}}, {2800, {}},
    };
    for (int i = 0; i < 46; i++)
        cases[4].packet_sizes.push_back(64);
    cases[4].packet_sizes.push_back(44);

    for (auto &c : cases) {
        fake_reset();
        fake_ack_rest = 1;
        std::vector<unsigned char> data(static_cast<size_t>(c.length));
        for (size_t i = 0; i < data.size(); i++)
            data[i] = static_cast<unsigned char>(i * 7 + 3);
        std::vector<unsigned char> copy = data;

        testing::internal::CaptureStdout();
        EXPECT_EQ(dwn_write_file(data.data(), c.length), c.length);
        EXPECT_EQ(testing::internal::GetCapturedStdout(), "");
        EXPECT_EQ(data, copy) << "the caller's bytes are left alone";

        ASSERT_EQ(fake_writes.size(), c.packet_sizes.size()) << c.length;
        std::string payload;
        for (size_t i = 0; i < fake_writes.size(); i++) {
            const std::string &p = fake_writes[i];
            ASSERT_EQ(p.size(), c.packet_sizes[i]) << c.length << " packet " << i;
            EXPECT_EQ((static_cast<unsigned char>(p[0]) << 8) | static_cast<unsigned char>(p[1]),
                      static_cast<int>(p.size()));
            EXPECT_EQ(dwn_crc16(0xFFFF, p.data(), static_cast<int>(p.size()), dwn_crc_table.data()), 0);
            payload += p.substr(2, p.size() - 4);
        }
        EXPECT_EQ(payload, std::string(data.begin(), data.end()));
    }
}

TEST_F(WriteFile, RefusalsAndAFailedPacket)
{
    unsigned char data[130] = {};
    testing::internal::CaptureStdout();
    EXPECT_EQ(dwn_write_file(nullptr, 10), -1);
    EXPECT_EQ(dwn_write_file(data, 0), -2);
    EXPECT_EQ(testing::internal::GetCapturedStdout(),
              "dwn_write_file: argument ptr bp is null\n"
              "dwn_write_file: argument len < 1\n");
    EXPECT_TRUE(fake_writes.empty());

    // The second packet is refused five times: nothing more is sent.
    fake_replies = {0x06, 0x15, 0x15, 0x15, 0x15, 0x15};
    fake_ack_rest = 1;
    testing::internal::CaptureStdout();
    EXPECT_EQ(dwn_write_file(data, 130), -3);
    EXPECT_EQ(testing::internal::GetCapturedStdout(), "\a\aError: writing data pkt: -6\n");
    EXPECT_EQ(fake_writes.size(), 6u);

    fake_reset();
    fake_replies = {0x06, -1};
    testing::internal::CaptureStdout();
    EXPECT_EQ(dwn_write_file(data, 130), -3);
    EXPECT_EQ(testing::internal::GetCapturedStdout(),
              "\a\aError: reading ack or nak: 0\n\a\aError: writing data pkt: -4\n");
    EXPECT_EQ(fake_writes.size(), 2u);
}

} // namespace
