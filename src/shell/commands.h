#pragma once

// The top of the utility: the command table, the prompt loop and the
// dispatch of each command code to its handler.

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

// The row index matching word by unambiguous prefix, -1 for none, -2 when ambiguous.
int match_command(const char *word);

void print_banner();
void help_summary();

// The command code of the line in cmd_line (after the "." rule), its words
// begun and its first word kept in cmd_word; -1 for an empty line, or after
// the refusal of an unknown or ambiguous word.
int command_code();

// Runs one command line already in cmd_line.
void run_command_line();

// The prompt loop; returns the exit status.
int shell_loop();

// The handler of each command code.
void dispatch(int code);
