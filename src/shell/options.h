#pragma once

// The utility's command line. With no arguments it goes straight to the
// prompt; the options do their work before it, or instead of it.

// Every option the command line sets, in one record. A new option is a new
// field here and a new row in options.cpp's table.
enum cli_check_kind { check_config, check_rules, check_firmware };

// A file to check, with the reader of its kind.
struct cli_check {
    int kind; // cli_check_kind
    const char *file;
};
constexpr int cli_max_checks = 32;

struct cli_options {
    bool help;                        // --help
    bool version;                     // --version
    bool list_ports;                  // --list-ports
    const char *trace;                // --trace FILE, nullptr for none
    cli_check checks[cli_max_checks]; // --check-config, --check-rules, --check-firmware
    int check_count;                  // in the order given
};

// The exit status of a command line that is refused, and of checks where a
// file failed.
constexpr int exit_usage = 2;
constexpr int exit_check_failed = 2;

// Parses argv into *opts. Returns 0 when the command line is good; otherwise
// prints what is wrong and a usage line on standard error and returns
// exit_usage.
int parse_options(int argc, char **argv, cli_options *opts);

// Does what the options ask before the prompt. Returns the exit status when
// the process ends here, -1 when the prompt loop is to start.
int run_options(const cli_options *opts);
