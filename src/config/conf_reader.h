#pragma once

#include <cstdio>

// Line buffers shared by the configuration and rules readers, which never run
// at the same time: line_buf is split into words in place, line_copy keeps
// the line as read for the messages.
constexpr int line_size = 256;
extern char line_buf[line_size];
extern char line_copy[line_size];

// line_read results besides a length.
constexpr int line_end_of_file = -1;
constexpr int line_read_error = -2; // errno tells why

// Reads the next line of file into line_buf and line_copy, without its line
// end (LF or CR LF) and zero-terminated: at most 255 characters at a time, a
// longer line comes in pieces. Returns the number of characters stored (a NUL
// byte among them is stored as it is), line_end_of_file or line_read_error.
int line_read(std::FILE *file);

// Reads a configuration file into conf_image: 0, or a negative code after
// one message.
int conf_process(const char *file_name);

// The reading itself, on a file that is open (the caller closes it).
int conf_read(std::FILE *file, const char *file_name);

// The configure command: file_name.
void cmd_configure();
