#pragma once

// The line reader of the configuration and rules files, and the two line
// buffers they share (they never run at the same time): line_buf is split
// into words in place, line_copy keeps the line as read for the messages.

#include <cstdio>

constexpr int line_size = 256;
extern char line_buf[line_size];
extern char line_copy[line_size];

// Opens a file named by the operator for reading (input_file_posix.cpp,
// input_file_win32.cpp). Only a regular file opens: a directory, a device
// or a FIFO is refused like a file that does not open, and the open never
// waits.
std::FILE *open_input_file(const char *name, const char *mode);

// The next line of a file into line_buf and line_copy, without its line end
// (an LF, and a CR right before it): at most 255 characters, a longer line
// comes in pieces, each a line of its own. Returns the number of characters
// stored (NUL bytes among them are kept), line_end_of_file or line_read_error.
// line_read_begin() starts each reading.
constexpr int line_end_of_file = -1;
constexpr int line_read_error = -2;
void line_read_begin();
int line_read(std::FILE *file);

// The words of line_buf: line_words_begin() starts at its beginning and
// notes where its comment begins (the first # / or ;); line_word() takes the
// next word with the given delimiters.
constexpr int no_comment = -1;
extern int line_comment_at; // offset of the first comment character, or no_comment
void line_words_begin();
char *line_word(const char *delimiters);

// The word (a pointer into line_buf) begins after the comment's start.
bool after_comment(const char *word);
