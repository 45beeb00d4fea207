#include "shell/options.h"

#include "dz_version.h"
#include "link/ports.h"
#include "link/trace.h"
#include "shell/checks.h"

#include <getopt.h>

#include <cerrno>
#include <cstdarg>
#include <cstdio>
#include <cstring>
#include <iterator>

namespace {

const char program_name[] = "diriduzede";

// Option codes, above every character so that they never meet a short option.
enum opt_code {
    opt_help = 256,
    opt_version,
    opt_check_config,
    opt_check_rules,
    opt_check_firmware,
    opt_list_ports,
    opt_trace,
};

struct opt_row {
    int code;
    const char *name;
    const char *arg;  // the argument's name in the help, nullptr for none
    const char *text; // the help line
};

// Searched in order; the help lists them in this order too.
constexpr opt_row opt_table[] = {
    {opt_check_config, "check-config", "FILE", "check a station configuration file as configure does"},
    {opt_check_rules, "check-rules", "FILE", "check a packet filter rules file as rules does"},
    {opt_check_firmware, "check-firmware", "FILE", "check an Intel HEX firmware file as firmware does"},
    {opt_list_ports, "list-ports", nullptr, "list the serial ports and their states"},
    {opt_trace, "trace", "FILE", "write every byte that crosses the serial line to FILE"},
    {opt_help, "help", nullptr, "display this help and exit"},
    {opt_version, "version", nullptr, "output version information and exit"},
};

// The reader each check option runs.
constexpr struct {
    int code;
    int kind;
} check_options[] = {
    {opt_check_config, check_config},
    {opt_check_rules, check_rules},
    {opt_check_firmware, check_firmware},
};
constexpr int opt_count = static_cast<int>(std::size(opt_table));

const opt_row *find_opt(int code)
{
    for (const opt_row &row : opt_table)
        if (row.code == code)
            return &row;
    return nullptr;
}

int refuse(const char *fmt, ...) __attribute__((format(printf, 1, 2)));

// One line on what is wrong, then the usage line.
int refuse(const char *fmt, ...)
{
    std::fprintf(stderr, "%s: ", program_name);
    va_list ap;
    va_start(ap, fmt);
    std::vfprintf(stderr, fmt, ap);
    va_end(ap);
    std::fprintf(stderr, "\nUsage: %s [OPTION]...\nTry '%s --help' for more information.\n",
                 program_name, program_name);
    return exit_usage;
}

void print_help()
{
    std::printf("Usage: %s [OPTION]...\n"
                "Sets up a Diriduzede packet digipeater over a serial line.\n"
                "\n"
                "With no option it starts at the \"Command> \" prompt, where it reads a\n"
                "station configuration file and a packet filter rules file, downloads\n"
                "them to the device and updates its firmware. Type help there for the\n"
                "commands. The files are read from the folder it was started in.\n"
                "\n"
                "The checks read their files in the order given, with no port and no\n"
                "prompt; --list-ports lists and ends too. --trace goes with the prompt.\n"
                "\n"
                "Options:\n",
                program_name);
    int width = 0;
    for (const opt_row &row : opt_table) {
        int w = static_cast<int>(std::strlen(row.name) + (row.arg ? std::strlen(row.arg) + 1 : 0));
        if (w > width)
            width = w;
    }
    for (const opt_row &row : opt_table) {
        char left[64];
        std::snprintf(left, sizeof left, "%s%s%s", row.name, row.arg ? "=" : "", row.arg ? row.arg : "");
        std::printf("  --%-*s  %s\n", width, left, row.text);
    }
    std::printf("\n"
                "Exit status: 0 after exit, quit or x, or when every file checked passed;\n"
                "1 at the end of the input; 2 for a bad command line or a file that\n"
                "failed its check; 3 when a port read fails.\n");
}

void print_version()
{
    std::printf("%s %s\n"
                "Copyright (c) 2026 the diriduzede developers\n"
                "License MIT: <https://opensource.org/license/mit>\n"
                "This is free software: you are free to change and redistribute it.\n"
                "There is NO WARRANTY, to the extent permitted by law.\n",
                program_name, DZ_VERSION);
}

// getopt_long's complaint, put in words: '?' or ':' with optopt naming the
// option (a long one by its code), or 0 for an option that is not known.
int refuse_option(char **argv)
{
    if (const opt_row *row = find_opt(optopt))
        return refuse(row->arg ? "option '--%s' requires an argument" : "option '--%s' doesn't allow an argument",
                      row->name);
    if (optopt != 0)
        return refuse("invalid option -- '%c'", optopt);
    return refuse("unrecognized option '%s'", argv[optind - 1]);
}

} // namespace

int parse_options(int argc, char **argv, cli_options *opts)
{
    *opts = cli_options{};
    option long_opts[opt_count + 1] = {};
    for (int i = 0; i < opt_count; i++)
        long_opts[i] = {opt_table[i].name, opt_table[i].arg ? required_argument : no_argument, nullptr,
                        opt_table[i].code};

    opterr = 0; // the messages are ours, the same on every platform
    for (;;) {
        int code = getopt_long(argc, argv, ":", long_opts, nullptr);
        if (code == -1)
            break;
        switch (code) {
        case opt_help:
            opts->help = true;
            return 0; // --help and --version end the parsing, as in any GNU program
        case opt_version:
            opts->version = true;
            return 0;
        case opt_list_ports:
            opts->list_ports = true;
            break;
        case opt_trace:
            opts->trace = optarg;
            break;
        case opt_check_config:
        case opt_check_rules:
        case opt_check_firmware:
            if (opts->check_count == cli_max_checks)
                return refuse("at most %d files can be checked at once", cli_max_checks);
            for (const auto &c : check_options)
                if (c.code == code)
                    opts->checks[opts->check_count++] = cli_check{c.kind, optarg};
            break;
        default:
            return refuse_option(argv);
        }
    }
    if (optind < argc)
        return refuse("unexpected argument '%s'", argv[optind]);
    return 0;
}

int run_options(const cli_options *opts)
{
    if (opts->help) {
        print_help();
        return 0;
    }
    if (opts->version) {
        print_version();
        return 0;
    }
    if (opts->trace != nullptr && trace_open(opts->trace) != 0) {
        std::fprintf(stderr, "%s: cannot write the trace %s: %s\n", program_name, opts->trace, std::strerror(errno));
        return exit_usage;
    }
    if (!opts->list_ports && opts->check_count == 0)
        return -1;
    if (opts->list_ports)
        list_ports();
    return run_checks(opts->checks, opts->check_count);
}
