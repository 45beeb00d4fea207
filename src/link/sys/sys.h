#pragma once

// The platform layer under the serial port code: the few operations it needs
// on a serial device, one backend per system (sys_posix.cpp, sys_win32.cpp).
//
// Every operation returns 0 on success and -1 on failure. A failing operation
// saves its system error code; sys_last_error() gives it back until the next
// failure, so messages printed in between do not disturb it.
//
// The records use the field names and values of the Windows serial records,
// so the Win32 backend copies them field by field and the POSIX backend maps
// them onto termios.

#include <cstddef>
#include <cstdint>

// A handle to an open port; sys_invalid_handle when the open failed.
using sys_handle = intptr_t;
inline constexpr sys_handle sys_invalid_handle = -1;

// The property record with its two-call length protocol: the caller sets
// wPacketLength to the length of the buffer it passes (at least
// sizeof(sys_comm_prop)); the backend fills the record and leaves in
// wPacketLength the length the driver needs for its full record, which may
// carry driver data after wcProvChar. Fields a backend cannot report stay 0.
struct sys_comm_prop {
    uint16_t wPacketLength;
    uint16_t wPacketVersion;
    uint32_t dwServiceMask;
    uint32_t dwReserved1;
    uint32_t dwMaxTxQueue;
    uint32_t dwMaxRxQueue;
    uint32_t dwMaxBaud;
    uint32_t dwProvSubType;
    uint32_t dwProvCapabilities;
    uint32_t dwSettableParams;
    uint32_t dwSettableBaud;
    uint16_t wSettableData;
    uint16_t wSettableStopParity;
    uint32_t dwCurrentTxQueue;
    uint32_t dwCurrentRxQueue;
    uint32_t dwProvSpec1;
    uint32_t dwProvSpec2;
    uint16_t wcProvChar[1];
};
// The Win32 backend hands the record to the system as it is.
static_assert(sizeof(sys_comm_prop) == 64);
static_assert(offsetof(sys_comm_prop, dwProvCapabilities) == 28);
static_assert(offsetof(sys_comm_prop, dwSettableParams) == 32);
static_assert(offsetof(sys_comm_prop, wSettableData) == 40);
static_assert(offsetof(sys_comm_prop, wSettableStopParity) == 42);
static_assert(offsetof(sys_comm_prop, dwProvSpec1) == 52);
static_assert(offsetof(sys_comm_prop, wcProvChar) == 60);

// dwProvSpec1 of a record the caller has prepared for the second query.
inline constexpr uint32_t sys_commprop_initialized = 0xE73CF52E;

// dwServiceMask, dwProvSubType, and the dwMaxBaud/dwSettableBaud bit for
// rates given as numbers
inline constexpr uint32_t sys_sp_serialcomm = 0x0001;
inline constexpr uint32_t sys_pst_rs232 = 0x0001;
inline constexpr uint32_t sys_baud_user = 0x10000000;
// dwSettableParams bits
inline constexpr uint32_t sys_sp_parity = 0x0001;
inline constexpr uint32_t sys_sp_baud = 0x0002;
inline constexpr uint32_t sys_sp_databits = 0x0004;
inline constexpr uint32_t sys_sp_stopbits = 0x0008;
inline constexpr uint32_t sys_sp_handshaking = 0x0010;
inline constexpr uint32_t sys_sp_parity_check = 0x0020;
// wSettableData bits
inline constexpr uint16_t sys_databits_5 = 0x0001;
inline constexpr uint16_t sys_databits_6 = 0x0002;
inline constexpr uint16_t sys_databits_7 = 0x0004;
inline constexpr uint16_t sys_databits_8 = 0x0008;
// wSettableStopParity bits
inline constexpr uint16_t sys_stopbits_10 = 0x0001;
inline constexpr uint16_t sys_stopbits_20 = 0x0004;
inline constexpr uint16_t sys_parity_none = 0x0100;
inline constexpr uint16_t sys_parity_odd = 0x0200;
inline constexpr uint16_t sys_parity_even = 0x0400;
// dwProvCapabilities bits
inline constexpr uint32_t sys_pcf_rtscts = 0x0002;
inline constexpr uint32_t sys_pcf_parity_check = 0x0008;
inline constexpr uint32_t sys_pcf_xonxoff = 0x0010;
inline constexpr uint32_t sys_pcf_setxchar = 0x0020;
inline constexpr uint32_t sys_pcf_totaltimeouts = 0x0040;
inline constexpr uint32_t sys_pcf_inttimeouts = 0x0080;

// The line settings. sys_get_line fills every field; sys_set_line applies
// them. Flag fields hold 0 or 1, fDtrControl and fRtsControl 0 to 3.
struct sys_line {
    uint32_t BaudRate;
    uint8_t fBinary;
    uint8_t fParity;
    uint8_t fOutxCtsFlow;
    uint8_t fOutxDsrFlow;
    uint8_t fDtrControl;
    uint8_t fDsrSensitivity;
    uint8_t fTXContinueOnXoff;
    uint8_t fOutX;
    uint8_t fInX;
    uint8_t fErrorChar;
    uint8_t fNull; // received zero bytes are discarded
    uint8_t fRtsControl;
    uint8_t fAbortOnError;
    uint16_t XonLim;
    uint16_t XoffLim;
    uint8_t ByteSize;
    uint8_t Parity;
    uint8_t StopBits;
    char XonChar;
    char XoffChar;
    char ErrorChar;
    char EofChar;
    char EvtChar;
};

inline constexpr uint8_t sys_noparity = 0;
inline constexpr uint8_t sys_oddparity = 1;
inline constexpr uint8_t sys_evenparity = 2;
inline constexpr uint8_t sys_onestopbit = 0;
inline constexpr uint8_t sys_twostopbits = 2;
inline constexpr uint8_t sys_dtr_control_disable = 0;
inline constexpr uint8_t sys_dtr_control_enable = 1;
inline constexpr uint8_t sys_rts_control_disable = 0;
inline constexpr uint8_t sys_rts_control_enable = 1;
inline constexpr uint8_t sys_rts_control_handshake = 2;

// Time-outs in milliseconds. A read ends when its size has arrived, or
// size * ReadTotalTimeoutMultiplier + ReadTotalTimeoutConstant after it began
// (no limit when both are 0), or when ReadIntervalTimeout (0: none) passes
// between two bytes. A write must hand over all its bytes within
// count * WriteTotalTimeoutMultiplier + WriteTotalTimeoutConstant (no limit
// when both are 0).
struct sys_timeouts {
    uint32_t ReadIntervalTimeout;
    uint32_t ReadTotalTimeoutMultiplier;
    uint32_t ReadTotalTimeoutConstant;
    uint32_t WriteTotalTimeoutMultiplier;
    uint32_t WriteTotalTimeoutConstant;
};

// sys_purge flags
inline constexpr int sys_purge_txclear = 0x0004;
inline constexpr int sys_purge_rxclear = 0x0008;

// Room for a device path.
inline constexpr int sys_path_size = 4096;

// The device path of a port name "COMn": on Windows the \\.\COMn device, on
// POSIX the path in the environment variable DIRIDUZEDE_COMn if it is set,
// otherwise /dev/ttyS(n-1).
int sys_port_path(const char *name, char *path, int size);

// Opens the device at path for exclusive use: read and write, no sharing.
// On Linux it also refuses a ttyS device whose UART the kernel did not find,
// and keeps the UUCP lock file /var/lock/LCK..NAME while the port is open
// (when /var/lock is writable): a lock of a live process refuses the open,
// a stale one is taken over, sys_close removes it.
sys_handle sys_open(const char *path);

#ifndef _WIN32
// Whether a device whose driver gives this TIOCGSERIAL type is a ttyS
// without its UART (type PORT_UNKNOWN): it opens, but nothing ever arrives.
bool sys_uart_missing(unsigned major, unsigned minor, int type);
#endif

// Why the last sys_open failed, in words for the port name and its device
// path: on Linux "NAME (PATH): " and the reason, with the cure where it is
// known; on Windows the system's text alone.
void sys_open_error_message(const char *name, const char *path, char *text, int size);

// Removes the lock files of the open ports, for an exit that leaves the
// ports themselves to the system.
void sys_drop_locks();

int sys_get_properties(sys_handle h, sys_comm_prop *prop);
int sys_get_line(sys_handle h, sys_line *line);
int sys_set_line(sys_handle h, const sys_line *line);
int sys_set_timeouts(sys_handle h, const sys_timeouts *timeouts);

// Reads up to size bytes under the port's time-outs; *received is the count
// that arrived. A hang-up of the line is a failure.
int sys_read(sys_handle h, void *buf, int size, int *received);

// Writes count bytes under the port's time-outs. Failing also when not every
// byte could be handed over in time; *written is then the count that was.
int sys_write(sys_handle h, const void *bytes, int count, int *written);

// Discards what waits in the transmit and/or receive queue, without waiting.
int sys_purge(sys_handle h, int flags);
int sys_close(sys_handle h);

// The error code saved by the last failing operation, and its text without
// a line end.
int sys_last_error();
void sys_error_message(int code, char *text, int size);

void sys_sleep(int milliseconds);

// What a look at a serial device found, without taking it.
enum sys_port_state {
    sys_port_free,
    sys_port_missing,   // no such device
    sys_port_no_access, // the user may not open it
    sys_port_busy,      // another program holds it (pid: the lock file's, 0 unknown)
    sys_port_no_uart,   // a ttyS device without its UART
    sys_port_not_tty,   // opens, but is no serial device
    sys_port_failed,    // another error, in error
};

// One serial device of the port listing.
struct sys_port_entry {
    char name[8];     // "COMn" for a port the utility names, "" for another device
    char path[256];   // the device the name maps to, or the device found
    char target[256]; // where path leads when it is a symbolic link, else ""
    bool from_variable; // path was set by DIRIDUZEDE_COMn
    int state;        // sys_port_state
    int pid;
    int error;
};

// Fills entries with the serial ports there are: on Linux COM1 to COM20 as
// sys_port_path maps them, then every /dev/serial/by-id link and every
// ttyUSB and ttyACM device; on Windows the COM ports the system reports.
// Returns the count (at most max).
int sys_list_ports(sys_port_entry *entries, int max);
