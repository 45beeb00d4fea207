#include "download/packet.h"

#include "link/port.h"
#include "shell/console.h"

#include <cstring>

uint16_t dwn_crc16(uint16_t init, const void *bytes, int count, const uint16_t *table)
{
    const unsigned char *p = static_cast<const unsigned char *>(bytes);
    uint16_t reg = init;
    for (int i = 0; i < count; i++)
        reg = static_cast<uint16_t>(table[reg >> 8] ^ (static_cast<uint16_t>(reg << 8) | p[i]));
    return reg;
}

void dwn_frame_pkt(unsigned char *packet, int length)
{
    packet[0] = static_cast<unsigned char>(length >> 8);
    packet[1] = static_cast<unsigned char>(length);
    // The two zero crc bytes are the augmentation of the run.
    packet[length - 2] = 0;
    packet[length - 1] = 0;
    uint16_t crc = dwn_crc16(dwn_crc_init, packet, length, dwn_crc_table.data());
    packet[length - 2] = static_cast<unsigned char>(crc >> 8);
    packet[length - 1] = static_cast<unsigned char>(crc);
}

int dwn_write_pkt(unsigned char *packet, int length)
{
    if (packet == nullptr) {
        print_msg("dwn_write_pkt: argument ptr pp is null\n");
        return -1;
    }
    if (length < dwn_min_pkt) {
        print_msg("dwn_write_pkt: argument len < 5\n");
        return -2;
    }
    dwn_frame_pkt(packet, length);

    for (int left = dwn_max_sends; left > 0; left--) {
        if (write_port(port_name, packet, length) < 0) {
            print_msg("\a\aError: writing pkt\n");
            return -3;
        }
        unsigned char reply = 0;
        int got = read_port(port_name, &reply, 1, dwn_reply_timeout);
        if (got != 1) {
            print_msg("\a\aError: reading ack or nak: %d\n", got);
            return -4;
        }
        if (reply == dwn_ack)
            return length;
        if (reply != dwn_nak) {
            print_msg("\a\aError: reading ack or nak: got 0x%02x\n", static_cast<unsigned>(reply));
            return -5;
        }
    }
    return -6;
}

int dwn_write_file(const void *bytes, int length)
{
    if (bytes == nullptr) {
        print_msg("dwn_write_file: argument ptr bp is null\n");
        return -1;
    }
    if (length < 1) {
        print_msg("dwn_write_file: argument len < 1\n");
        return -2;
    }
    const unsigned char *next = static_cast<const unsigned char *>(bytes);
    int sent = 0;
    int remaining = length;
    while (remaining > 0) {
        int n = remaining < dwn_chunk ? remaining : dwn_chunk;
        unsigned char pkt[dwn_data_pkt_size];
        std::memcpy(pkt + 2, next, static_cast<size_t>(n));
        int r = dwn_write_pkt(pkt, n + 4);
        if (r != n + 4) {
            print_msg("\a\aError: writing data pkt: %d\n", r);
            return -3;
        }
        remaining -= n;
        sent += n;
        next += n;
    }
    return sent;
}
