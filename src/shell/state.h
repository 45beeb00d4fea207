#pragma once

// What every command stands on: the state flags, the command line and its
// words, and the arguments that several commands take.

// State flags, 0 or 1.
extern int connected;       // an open port to a device that answered connect
extern int conf_processed;  // a configuration file was read to its end
extern int rules_processed; // a rules file was read to its end

constexpr int cmd_line_size = 256;
extern char cmd_line[cmd_line_size]; // the current command line; also the download's answers
extern char last_cmd[cmd_line_size]; // the last line not beginning with "."
extern char cmd_word[40];

// The words of cmd_line: words_begin() starts on a text, next_word() returns
// the next word or nullptr.
void words_begin(char *text);
char *next_word(const char *delimiters);

// The five rates the device takes on its host link.
inline constexpr int device_bauds[5] = {4800, 9600, 19200, 38400, 57600};
bool is_device_baud(int rate);

// A rate word of connect or baud: decimal, leading blanks and a sign
// allowed, reading stops at the first non-digit; held within an int.
int rate_arg(const char *word);

// COM port number 1..20 from a word like "3", "com3" or "Com03"; 0 after
// printing the refusal.
int port_number_arg(const char *word);
