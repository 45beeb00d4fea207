// diriduzede-sim: a Diriduzede on a pseudo-terminal, for operators without a
// device at hand and for the tests.

#include "core.h"

#include "dz_version.h"

#include <cerrno>
#include <csignal>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <fcntl.h>
#include <getopt.h>
#include <poll.h>
#include <sys/prctl.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

core_settings core_opts = {
    .com = 0,
    .link = nullptr,
    .log = nullptr,
    .baud = 9600,
    .fast = 0,
    .power_delay = 500,
    .loader_window = 1000,
    .fw_version = "2.1a",
    .banner_file = nullptr,
};

namespace {

long opt_help;
long opt_version;

} // namespace

const sim_option core_option_table[] = {
    {"--com", "N", "run COMMAND with DIRIDUZEDE_COMN set to the device's port, end with it",
     &core_opts.com, nullptr},
    {"--link", "PATH", "also make a symbolic link PATH to the device's port", nullptr, &core_opts.link},
    {"--log", "FILE", "write the event log to FILE (- for standard error; by default standard error"
                      " when standalone, none with --com)", nullptr, &core_opts.log},
    {"--baud", "RATE", "the line rate when the port's settings tell none (9600)", &core_opts.baud,
     nullptr},
    {"--fast", nullptr, "send and take bytes as fast as the pseudo-terminal allows, not at the line's"
                        " pace", &core_opts.fast, nullptr},
    {"--power-delay", "MS", "time from the port's opening to the loader prompt 0x05 (500)",
     &core_opts.power_delay, nullptr},
    {"--loader-window", "MS", "time the loader prompt waits for 0x16 once the host took it (1000)",
     &core_opts.loader_window, nullptr},
    {"--fw-version", "TEXT", "the firmware version in the banner (2.1a)", nullptr,
     &core_opts.fw_version},
    {"--banner-file", "FILE", "send the bytes of FILE as the banner", nullptr, &core_opts.banner_file},
    {"--help", nullptr, "show this text and exit (also -h)", &opt_help, nullptr},
    {"--version", nullptr, "show the simulator's version and licence and exit", &opt_version, nullptr},
    {nullptr, nullptr, nullptr, nullptr, nullptr},
};

namespace {

constexpr struct {
    const char *title;
    const sim_option *rows;
} option_groups[] = {
    {"Options", core_option_table},
    {"Faults", fault_option_table},
    {"Packet mode (download)", packet_option_table},
    {"Firmware loader", loader_option_table},
};

void usage(FILE *out)
{
    std::fputs("Usage: diriduzede-sim [options] --com N -- COMMAND [ARGS...]\n"
               "       diriduzede-sim [options]\n"
               "Plays a Diriduzede on a pseudo-terminal. With --com N it runs COMMAND with\n"
               "DIRIDUZEDE_COMN set to the terminal's path, and ends with it and its exit\n"
               "status. Without it, it prints the path and serves until stopped.\n"
               "The device powers on when the host opens the port and off when the host\n"
               "closes it. After power-on it sends the loader prompt 0x05, then, without\n"
               "an answer 0x16, its banner; its console answers ctrl-C with\n"
               "\"Connected <rate>\" and the prompt \"Rudoda> \", takes \"host <rate>\\r\",\n"
               "and enters packet mode on \"download\\r\\n\".\n"
               "It keeps the line's pace both ways: 10 bits a byte at the rate the host\n"
               "set on the port.\n",
               out);
    for (const auto &g : option_groups) {
        if (g.rows[0].name == nullptr)
            continue;
        std::fprintf(out, "\n%s:\n", g.title);
        for (const sim_option *o = g.rows; o->name != nullptr; o++) {
            char left[64];
            std::snprintf(left, sizeof left, "%s%s%s", o->name, o->arg ? " " : "", o->arg ? o->arg : "");
            std::fprintf(out, "  %-22s %s\n", left, o->help);
        }
    }
}

// The index of the first word of COMMAND, or -1 after a message.
int parse_options(int argc, char **argv)
{
    static constexpr int max_options = 64;
    option longs[max_options + 1] = {};
    const sim_option *rows[max_options];
    int count = 0;
    for (const auto &g : option_groups)
        for (const sim_option *o = g.rows; o->name != nullptr && count < max_options; o++) {
            rows[count] = o;
            // Codes above any character, so none is taken for a short option.
            longs[count] = {o->name + 2, o->arg ? required_argument : no_argument, nullptr, 256 + count};
            count++;
        }
    // '+': the options end at the first word that is none, COMMAND's own
    // options are left to it.
    for (;;) {
        int code = getopt_long(argc, argv, "+h", longs, nullptr);
        if (code == -1)
            return optind;
        if (code == 'h') {
            opt_help = 1;
            continue;
        }
        if (code < 256 || code >= 256 + count) {
            std::fputs("Try 'diriduzede-sim --help' for more information.\n", stderr);
            return -1;
        }
        const sim_option *o = rows[code - 256];
        if (o->arg == nullptr) {
            *o->number = 1;
            continue;
        }
        if (o->text != nullptr) {
            *o->text = optarg;
            continue;
        }
        char *end = nullptr;
        errno = 0;
        long n = std::strtol(optarg, &end, 10);
        if (end == optarg || *end != '\0' || errno != 0 || n < 0) {
            std::fprintf(stderr, "diriduzede-sim: %s needs a number, not %s\n", o->name, optarg);
            return -1;
        }
        *o->number = n;
    }
}

void version()
{
    std::fputs("diriduzede-sim (diriduzede) " DZ_VERSION "\n"
               "Copyright (c) 2026 the diriduzede developers\n"
               "License MIT: <https://opensource.org/license/mit>\n"
               "This is free software: you are free to change and redistribute it.\n"
               "There is NO WARRANTY, to the extent permitted by law.\n",
               stdout);
}

pid_t child_pid = -1;
int child_pipe[2] = {-1, -1};
bool link_made;

void on_child(int)
{
    int saved = errno;
    char b = 0;
    if (write(child_pipe[1], &b, 1) < 0) {
    }
    errno = saved;
}

void on_stop(int sig)
{
    if (link_made)
        unlink(core_opts.link);
    signal(sig, SIG_DFL);
    raise(sig);
}

} // namespace

void sim_finish(int status)
{
    sim_log("the command ended with status %d", status);
    if (link_made)
        unlink(core_opts.link);
    std::exit(status);
}

void child_check()
{
    char sink[16];
    while (read(child_fd, sink, sizeof sink) > 0) {
    }
    int st = 0;
    if (waitpid(child_pid, &st, WNOHANG) != child_pid)
        return;
    sim_finish(WIFEXITED(st) ? WEXITSTATUS(st) : 128 + WTERMSIG(st));
}

namespace {

bool make_link()
{
    if (core_opts.link == nullptr)
        return true;
    struct stat st;
    if (lstat(core_opts.link, &st) == 0) {
        if (!S_ISLNK(st.st_mode)) {
            std::fprintf(stderr, "diriduzede-sim: %s exists and is no symbolic link\n", core_opts.link);
            return false;
        }
        unlink(core_opts.link);
    }
    if (symlink(pty_path, core_opts.link) != 0) {
        std::fprintf(stderr, "diriduzede-sim: cannot make the link %s: %s\n", core_opts.link, std::strerror(errno));
        return false;
    }
    link_made = true;
    return true;
}

// A fresh line for a standalone device whose line hung up.
bool reopen_line()
{
    if (!line_open() || !make_link())
        return false;
    std::printf("%s\n", pty_path);
    std::fflush(stdout);
    sim_log("new line %s", pty_path);
    return true;
}

bool start_command(char **command)
{
    if (pipe2(child_pipe, O_CLOEXEC | O_NONBLOCK) != 0) {
        std::perror("diriduzede-sim: pipe");
        return false;
    }
    child_fd = child_pipe[0];
    struct sigaction sa {};
    sa.sa_handler = on_child;
    sa.sa_flags = SA_RESTART | SA_NOCLDSTOP;
    sigaction(SIGCHLD, &sa, nullptr);

    char name[32];
    std::snprintf(name, sizeof name, "DIRIDUZEDE_COM%ld", core_opts.com);
    child_pid = fork();
    if (child_pid < 0) {
        std::perror("diriduzede-sim: fork");
        return false;
    }
    if (child_pid == 0) {
        signal(SIGINT, SIG_DFL);
        signal(SIGQUIT, SIG_DFL);
        setenv(name, pty_path, 1);
        execvp(command[0], command);
        std::fprintf(stderr, "diriduzede-sim: cannot run %s: %s\n", command[0], std::strerror(errno));
        _exit(127);
    }
    // Ctrl-C at the terminal is for the command; the device lives as long as it.
    signal(SIGINT, SIG_IGN);
    signal(SIGQUIT, SIG_IGN);
    sim_log("running %s with %s=%s", command[0], name, pty_path);
    return true;
}

} // namespace

int main(int argc, char **argv)
{
    int cmd = parse_options(argc, argv);
    if (cmd < 0)
        return 2;
    if (opt_help) {
        usage(stdout);
        return 0;
    }
    if (opt_version) {
        version();
        return 0;
    }
    if (core_opts.com != 0 && (core_opts.com > 99 || cmd >= argc)) {
        std::fprintf(stderr, "diriduzede-sim: --com N needs a number 1..99 and -- COMMAND\n");
        return 2;
    }
    if (core_opts.com == 0 && cmd < argc) {
        std::fprintf(stderr, "diriduzede-sim: a COMMAND needs --com N\n");
        return 2;
    }
    signal(SIGPIPE, SIG_IGN);
    // The pace's waits end within a microsecond or so, not the usual 50.
    prctl(PR_SET_TIMERSLACK, 1UL, 0UL, 0UL, 0UL);
    if (!log_open() || !banner_load() || !loader_setup() || !line_open() || !make_link())
        return 2;
    sim_log("diriduzede-sim on %s", pty_path);

    if (core_opts.com != 0) {
        if (!start_command(argv + cmd))
            return 2;
    } else {
        signal(SIGINT, on_stop);
        signal(SIGTERM, on_stop);
        std::printf("%s\n", pty_path);
        std::fflush(stdout);
    }

    for (;;) {
        if (!line_alive()) {
            if (core_opts.com != 0) {
                // No line any more: the device is gone, the command goes on.
                for (;;) {
                    pollfd p = {child_fd, POLLIN, 0};
                    poll(&p, 1, -1);
                    child_check();
                }
            }
            if (!reopen_line())
                return 2;
        }
        wait_power_on();
        if (!line_alive())
            continue;
        device_session();
        if (line_alive()) {
            power_off();
            sim_log("power off: the host closed the port");
        }
    }
}
