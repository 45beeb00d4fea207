#pragma once

// The console: every message of the utility goes out through print_msg, so
// one call's text reaches the console in one piece; answers to questions
// come in through read_console_line.

int print_msg(const char *fmt, ...) __attribute__((format(printf, 1, 2)));

// Reads one console line into buf (at most size - 1 characters); what does
// not fit is thrown away up to the end of the line, so it never reaches the
// prompt as a command. false at the end of input.
bool read_console_line(char *buf, int size);
