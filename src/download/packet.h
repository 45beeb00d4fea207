#pragma once

#include <array>
#include <cstdint>

// Download packet protocol: every packet is [length hi, lo][payload][crc hi, lo],
// the length counting the whole packet, answered by one ACK or NAK byte.

constexpr unsigned char dwn_ack = 0x06;
constexpr unsigned char dwn_nak = 0x15;
constexpr int dwn_max_sends = 5;        // transmissions of one packet at most
constexpr int dwn_reply_timeout = 5000; // milliseconds, read_port's time-out argument
constexpr int dwn_min_pkt = 5;          // length field, one payload byte, crc
constexpr int dwn_chunk = 60;           // payload bytes of a data packet at most
constexpr int dwn_data_pkt_size = dwn_chunk + 4;

constexpr uint16_t dwn_crc_poly = 0x1021;
constexpr uint16_t dwn_crc_init = 0xFFFF; // augmented form of the direct 0x1D0F

// Entry i: the remainder of i * 2^16 by the polynomial, most significant bit first.
constexpr std::array<uint16_t, 256> dwn_make_crc_table(uint16_t poly)
{
    std::array<uint16_t, 256> table{};
    for (int i = 0; i < 256; i++) {
        uint16_t reg = static_cast<uint16_t>(i << 8);
        for (int bit = 0; bit < 8; bit++)
            reg = static_cast<uint16_t>((reg & 0x8000) ? (reg << 1) ^ poly : reg << 1);
        table[i] = reg;
    }
    return table;
}

inline constexpr std::array<uint16_t, 256> dwn_crc_table = dwn_make_crc_table(dwn_crc_poly);
static_assert(dwn_crc_table[1] == 0x1021 && dwn_crc_table[2] == 0x2042 && dwn_crc_table[255] == 0x1EF0);

// The augmented table-driven CRC from register init over count bytes.
uint16_t dwn_crc16(uint16_t init, const void *bytes, int count, const uint16_t *table);

// Writes the length field and the crc into a packet of length bytes whose
// payload already lies at offsets 2 to length - 3.
void dwn_frame_pkt(unsigned char *packet, int length);

// Frames the packet in place and sends it until ACK (at most dwn_max_sends
// times on NAK). Returns length, or -1 null packet, -2 length below 5,
// -3 write failed, -4 no reply, -5 a reply neither ACK nor NAK, -6 five NAKs.
int dwn_write_pkt(unsigned char *packet, int length);

// Sends length bytes as data packets of at most dwn_chunk payload bytes.
// Returns length, or -1 null bytes, -2 length below 1, -3 a packet failed.
int dwn_write_file(const void *bytes, int length);
