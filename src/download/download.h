#pragma once

// Download sequence: the configuration image, the rule records and the finish
// packet, each announced by a 21-byte command packet.

constexpr int dwn_cmd_pkt_size = 21;
constexpr int dwn_cmd_name_size = 12; // offset 2
constexpr int dwn_cmd_size_size = 5;  // offset 14, decimal digits
constexpr int dwn_work_size = 64;     // drain read, then each command packet
constexpr int dwn_drain_timeout = 10; // milliseconds

extern const char dwn_conf_name[];   // "conf"
extern const char dwn_rules_name[];  // "rules"
extern const char dwn_finish_name[]; // "-cestfini-"

// Clears the 21 bytes of a command packet and writes its name and size text
// (nullptr for none); dwn_write_pkt adds the length and the crc.
void dwn_build_cmd(unsigned char *pkt, const char *name, const char *size_text);

// Sends the whole sequence on the open port; 0 when every packet was
// acknowledged, else -1 conf command, -2 conf data, -3 rules command,
// -4 rules data, -5 finish packet.
int dwn_download();

// The download command.
void cmd_download();
