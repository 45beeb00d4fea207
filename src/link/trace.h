#pragma once

// The line trace: every byte the port layer writes and reads, with the
// port's opens and closes, one event a line in the manner of the simulator's
// log: seconds since the trace began to the millisecond on the monotonic
// clock, the port, what happened, and bytes 16 a line in hex with a text
// column.
//
//     4.695 COM1 write 0000: 00 15 63 6f 6e 66 00 00 00 00 00 00 00 00 31 32  ..conf........12
//     4.695 COM1 write 0010: 30 00 00 5a 09                                   0..Z.
//     4.696 COM1 read  0000: 06                                               .

#include <cstdio>

// The trace's file; nullptr while there is none, and the port layer then
// spends nothing on it.
extern std::FILE *trace_file;

// Starts the trace into the file at path, made afresh. 0, or -1 with errno
// set when it cannot be written.
int trace_open(const char *path);
void trace_close();

// One event line: the time, then the text.
void trace_event(const char *fmt, ...) __attribute__((format(printf, 1, 2)));

// The bytes that crossed: direction is "read" or "write". A read that got
// nothing is an event of its own, told by the port layer.
void trace_bytes(const char *name, const char *direction, const void *bytes, int count);
