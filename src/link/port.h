#pragma once

// The serial port layer: one open port at most, every operation on it.

#include "link/sys/sys.h"

#include <cstdint>

extern char port_name[8];           // "COMn", written by the callers before open_port
extern sys_handle port_handle;      // what the last open returned, also an invalid handle
extern sys_line port_line;          // the line settings in force
extern sys_timeouts port_timeouts;  // the standing time-outs

// 0 when the port is open, set up and purged; -1 null name, -2 the system
// refused to open it, -3 set_comm_prop failed, -14 time-outs refused.
int open_port(const char *name, int rate);

// 0 when 8N1 without handshaking at rate is in force; -1 to -13 on failure,
// from -3 on with the port closed.
int set_comm_prop(const char *name, int rate);

// The number of bytes received, 0 to size, within
// size * (10000 / rate) + timeout_ms + 10 ms (standing time-outs for 0).
// Never returns on failure: port_fatal ends the process with status 3.
int read_port(const char *name, void *buf, int size, int timeout_ms);

// count on success; -1 null name or count 0, -2 null bytes, -3 the write
// failed or could not send every byte in time.
int write_port(const char *name, const void *bytes, int count);

// Discards both queues.
void purge_port();
void close_port();

// The system's text for the error saved by the last failing system call;
// valid until the next call.
const char *sys_error_text();

// Writes message and the codes to standard error; for a non-zero code waits
// 5 seconds and ends the process with status 3.
void port_fatal(int code, const char *message);
