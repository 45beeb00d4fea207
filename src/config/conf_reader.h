#pragma once

#include <cstdio>

// Line buffers shared by the configuration and rules readers, which never run
// at the same time: line_buf is split into words in place, line_copy keeps
// the line as read for the messages.
constexpr int line_size = 256;
extern char line_buf[line_size];
extern char line_copy[line_size];

// The next line of a file into line_buf and line_copy, without its line end
// (an LF, and a CR right before it): at most 255 characters, a longer line
// comes in pieces, each a line of its own. Returns the number of characters
// stored (NUL bytes among them are kept), line_end_of_file or line_read_error.
// line_read_begin() starts each reading.
constexpr int line_end_of_file = -1;
constexpr int line_read_error = -2;
void line_read_begin();
int line_read(std::FILE *file);

// Reads a configuration file into conf_image: 0, or a negative code after
// one message.
int conf_process(const char *file_name);

// The reading itself, on a file that is open (the caller closes it).
int conf_read(std::FILE *file, const char *file_name);

// The configure command: file_name.
void cmd_configure();
