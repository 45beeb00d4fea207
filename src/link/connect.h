#pragma once

// The connection with the device: connect, baud and disconnect, the connect
// exchange and the dump of what the device sent.

extern char rx_buf[1024];  // the device's replies; the firmware loader's too
extern int link_baud;      // the rate connect or baud last asked for

constexpr int connect_plain = 0;   // dev_connect: open, banner, version, attention
constexpr int connect_resync = 1;  // dev_connect: CR and prompt after "host <rate>"

constexpr int min_version_major = 2;
constexpr int min_version_minor = 1;
constexpr long power_on_wait_s = 20;

// 0 when the device confirmed the link, else the code of the failing step
// (1 to 8). Prints its messages, sets connected, closes the port on failure.
int dev_connect(int rate, int mode);

// Reads the line until a read of 100 ms brings nothing, then purges both
// queues. A device that never falls silent (a running digipeater logging
// its traffic) is cut off after drain_limit_ms of continuous data.
constexpr int drain_limit_ms = 2000;
void drain_port(void *scratch, int size);

// The shell's commands; each takes its words with next_word.
void cmd_connect();
void cmd_baud();
void cmd_disconnect();
