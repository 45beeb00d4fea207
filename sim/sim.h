#pragma once

// What the parts of the device simulator offer each other: their options,
// the line to the host (the master side of a pseudo-terminal) with its timed
// reads and writes, the event log, and the entry points of the modes. The
// console lives in device.cpp, the packet mode of a download in packet.cpp,
// the firmware loader in loader.cpp.

#include <string>

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

// Each part keeps its options in one record and lists them in a table that
// --help shows under the part's title.

// The core: the line, the command it serves, the device's start-up.
struct core_settings {
    long com;                 // --com N: run a command with DIRIDUZEDE_COMN set; 0 standalone
    const char *link;         // --link PATH
    const char *log;          // --log FILE ("-" for standard error)
    long baud;                // --baud: the rate when the tty's settings give none
    long fast;                // --fast: no pacing to the line's rate
    long power_delay;         // --power-delay MS
    long loader_window;       // --loader-window MS
    const char *fw_version;   // --fw-version TEXT: the firmware version in the banner
    const char *banner_file;  // --banner-file FILE
};

// Faults of the console and the line (device.cpp, line.cpp).
struct fault_settings {
    long silent;
    long confirm_rate;  // 0: confirm the line's rate
    long no_prompt;
    long fill;
    long noise;         // noise bytes before each console answer
    long zeros;         // a zero byte after each byte of console answers
    long hangup;        // -1: never
    long chatter;
};

// The packet mode of a download (packet.cpp).
struct packet_settings {
    const char *save_dir;
    long nak;           // --nak K: NAK packet K ...
    long nak_times;     // ... this many times before the ACK
    long no_reply;      // --no-reply K
    long garbage;       // --garbage K
    long garbage_byte;
    long hangup;        // --hangup-packet K
};

// The firmware loader (loader.cpp).
struct loader_settings {
    long no_loader;           // no loader prompt at power-on
    const char *fw_status;    // --fw-status N=S,...
    long fw_hangup;           // --fw-hangup N
    long fw_stall;            // --fw-stall N
    const char *save_firmware;
};

extern core_settings core_opts;
extern fault_settings fault_opts;
extern packet_settings packet_opts;
extern loader_settings loader_opts;

extern const sim_option core_option_table[];    // main.cpp
extern const sim_option fault_option_table[];   // device.cpp
extern const sim_option packet_option_table[];  // packet.cpp
extern const sim_option loader_option_table[];  // loader.cpp

// Results of the reads besides a byte value 0..255.
constexpr int sim_timeout = -1;
constexpr int sim_off = -2;  // the host closed the port (power off) or the line hung up

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

// The line takes no more bytes from the host, its output held as by flow
// control, until the power goes: a write of the host's cannot finish.
void sim_stall();

// The rate the host set on the line, or --baud when it cannot be told.
long sim_line_rate();

// Seconds since the simulator started: when the bytes now being taken came
// in from the host, and when the last byte sent went out to it.
double sim_arrival_time();
double sim_sent_time();

// The event log: one line per event, with the time since the start.
void sim_log(const char *fmt, ...) __attribute__((format(printf, 1, 2)));

// Logs what and the bytes, non-printing ones escaped.
void sim_log_bytes(const char *what, const void *bytes, int count);

// Entry points of the modes, each run until done or the device goes off.
void packet_mode();  // after the console took "download\r\n"
void loader_mode();  // after the host answered the loader prompt 0x05 with 0x16 (already read)
bool loader_setup(); // checks the loader's options once at start; false after a message

// The frame decoding of packet mode apart from the line: packet_begin()
// starts a download, packet_intact() checks a whole frame's crc, and
// packet_take() takes an intact frame as the device does (true: ACK).
void packet_begin();
bool packet_intact(const unsigned char *frame, int len);
bool packet_take(const unsigned char *frame, int len);

// The status the loader gives a record line (its CR not included) by itself:
// ACK 0x06 for a sound record, 0x11 without the start character, 0x12 for a
// bad checksum, bad digits or a length that does not match its length field.
unsigned char loader_check_line(const std::string &line);

