#pragma once

#include <cstdint>
#include <cstdio>

// State flags, 0 or 1.
extern int connected;       // an open port to a device that answered connect
extern int conf_processed;  // a configuration file was read to its end
extern int rules_processed; // a rules file was read to its end

constexpr int cmd_line_size = 256;
extern char cmd_line[cmd_line_size]; // the current command line; also the download's answers
extern char last_cmd[cmd_line_size]; // the last line not beginning with "."
extern char cmd_word[40];

extern const char version_text[];

struct cmd_row {
    int shown;
    int code;
    const char *name;
    const char *args;
    const char *comment;
};
constexpr int cmd_count = 16;
extern const cmd_row cmd_table[cmd_count];

// Command codes of cmd_table; the handlers themselves are the cmd_<name> functions.
enum cmd_code {
    code_download = 0,
    code_firmware = 1,
    code_baud = 5,
    code_exit = 8,
    code_help = 22,
    code_dconfigure = 23,
    code_drules = 24,
    code_angles = 26,
    code_configure = 28,
    code_rules = 29,
    code_connect = 30,
    code_disconnect = 31,
    code_repeat = 33,
};

inline constexpr int32_t device_bauds[5] = {4800, 9600, 19200, 38400, 57600};
bool is_device_baud(long rate);

// The rate connect uses when none is given: read from the image each time.
long default_connect_rate();

// Word splitter over cmd_line with a remembered position (strtok-like):
// words_begin() starts on a text, next_word() returns the next word or nullptr.
void words_begin(char *text);
char *next_word(const char *delimiters);

// The splitter itself, on any text: skips delimiters, cuts the word after
// them out in place and moves *pos past it; nullptr when none is left.
char *split_word(char **pos, const char *delimiters);

// Reads one console line into buf (at most size - 1 characters); what does
// not fit is thrown away up to the end of the line, so it never reaches the
// prompt as a command. false at the end of input.
bool read_console_line(char *buf, int size);

// Opens a file named by the operator for reading; a directory is refused
// like a file that does not open.
std::FILE *open_input_file(const char *name, const char *mode);

// COM port number 1..20 from a word like "3", "com3" or "Com03"; 0 after
// printing the refusal.
int port_number_arg(const char *word);

// The row index matching word by unambiguous prefix, -1 for none, -2 when ambiguous.
int match_command(const char *word);

void print_banner();
void help_summary();

// Runs one command line already in cmd_line (after the "." rule).
void run_command_line();

// The prompt loop; returns the exit status.
int shell_loop();

// The handler of each command code, outside the shell (dispatch.cpp).
void dispatch(int code);
