#pragma once

// The device simulator's shared internals: its options, the line to the
// host (the master side of a pseudo-terminal), timed reads, writes and the
// event log. The console lives in device.cpp; the packet mode of a download
// in packet.cpp and the firmware loader in loader.cpp.

#include <cstdint>

// One command-line option. A row with arg == nullptr is a flag and sets
// *number to 1; otherwise the argument goes to *number (a decimal number)
// or to *text. Tables end with a row whose name is nullptr.
struct sim_option {
    const char *name;  // "--silent"
    const char *arg;   // "N", "FILE", or nullptr for a flag
    const char *help;  // one line for --help
    long *number;
    const char **text;
};

// Each part of the device brings its own options, listed by --help under
// its title.
extern const sim_option core_options[];
extern const sim_option fault_options[];
extern const sim_option packet_options[];  // packet.cpp
extern const sim_option loader_options[];  // loader.cpp

// Options of the core and the console (defaults in device.cpp / main.cpp).
extern long opt_com;             // --com N: run a command with DIRIDUZEDE_COMN set; 0 standalone
extern const char *opt_link;     // --link PATH
extern const char *opt_log;      // --log FILE ("-" for standard error)
extern long opt_baud;            // --baud: the rate when the tty's settings give none
extern long opt_power_delay;     // --power-delay MS
extern long opt_loader_window;   // --loader-window MS
extern const char *opt_version;  // --version TEXT
extern const char *opt_banner_file;
extern long opt_silent;
extern long opt_confirm_rate;    // 0: confirm the line's rate
extern long opt_no_prompt;
extern long opt_fill;
extern long opt_noise;           // noise bytes before each console answer
extern long opt_zeros;           // a zero byte after each byte of console answers
extern long opt_hangup;          // -1: never
extern long opt_chatter;
extern long opt_no_loader;       // --no-loader: no loader prompt at power-on (loader.cpp)

// Results of the reads besides a byte value 0..255.
constexpr int sim_timeout = -1;
constexpr int sim_off = -2;  // the host closed the port (power off) or the line hung up

// The pty path the host opens.
extern char pty_path[64];

// One byte from the host within timeout_ms (-1: no limit): 0..255,
// sim_timeout or sim_off. Bytes are counted for --hangup.
int sim_read_byte(int timeout_ms);

// Up to count bytes: waits first_ms for the first one, then gap_ms for each
// further one. Returns how many came (0 after a time-out) or sim_off.
int sim_read(void *buf, int count, int first_ms, int gap_ms);

// Puts one byte back to be read again first.
void sim_unread(int byte);

// Sends the bytes exactly as given and logs them as one event under what.
// Returns count, or sim_off when the device is off.
int sim_write(const void *bytes, int count, const char *what);

// Sends a console answer: --noise bytes first, then the bytes, each followed
// by a zero byte under --zeros. Logged as one event.
int sim_reply(const void *bytes, int count, const char *what);

// Waits ms milliseconds; bytes from the host meanwhile are logged and dropped.
// False when the device went off.
bool sim_pause(int ms, const char *while_doing);

// True once the host has closed the port since this power-on.
bool sim_is_off();

// Bytes written to the host that it has not read yet.
int sim_unread_by_host();

// Discards what the host has not read yet.
void sim_discard_host_input();

// Closes the line for good (the --hangup fault).
void sim_hangup();

// The rate the host set on the line, or --baud when it cannot be told.
long sim_line_rate();

// The event log: one line per event, with the time since the start.
void sim_log(const char *fmt, ...) __attribute__((format(printf, 1, 2)));

// Logs what and the bytes, non-printing ones escaped.
void sim_log_bytes(const char *what, const void *bytes, int count);

// Entry points of the modes, each run until done or the device goes off.
void packet_mode();  // after the console took "download\r\n"
void loader_mode();  // after the host answered the loader prompt 0x05 with 0x16 (already read)
bool loader_setup(); // checks the loader's options once at start; false after a message

// Internal to the core.
bool log_open();
bool banner_load();
bool line_open();
void line_close();
bool line_alive();
void wait_power_on();
void power_off();
void device_session();
void sim_finish(int status);
void child_check();
extern int child_fd;
