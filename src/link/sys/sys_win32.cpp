// The Windows backend: the serial communications API, called synchronously.

#include "link/sys/sys.h"

#include <windows.h>

#include <cstdio>
#include <cstring>
#include <utility>

// The records are the system's own; only their C++ names differ.
static_assert(sizeof(sys_comm_prop) == sizeof(COMMPROP));
static_assert(offsetof(sys_comm_prop, dwProvCapabilities) == offsetof(COMMPROP, dwProvCapabilities));
static_assert(offsetof(sys_comm_prop, dwSettableParams) == offsetof(COMMPROP, dwSettableParams));
static_assert(offsetof(sys_comm_prop, wSettableData) == offsetof(COMMPROP, wSettableData));
static_assert(offsetof(sys_comm_prop, wSettableStopParity) == offsetof(COMMPROP, wSettableStopParity));
static_assert(offsetof(sys_comm_prop, dwProvSpec1) == offsetof(COMMPROP, dwProvSpec1));
static_assert(offsetof(sys_comm_prop, wcProvChar) == offsetof(COMMPROP, wcProvChar));
static_assert(sys_commprop_initialized == COMMPROP_INITIALIZED);
static_assert(sys_sp_parity == SP_PARITY && sys_sp_baud == SP_BAUD && sys_sp_databits == SP_DATABITS &&
              sys_sp_stopbits == SP_STOPBITS);
static_assert(sys_databits_8 == DATABITS_8);
static_assert(sys_stopbits_10 == STOPBITS_10 && sys_parity_none == PARITY_NONE);
static_assert(sys_pcf_totaltimeouts == PCF_TOTALTIMEOUTS && sys_pcf_inttimeouts == PCF_INTTIMEOUTS);
static_assert(sys_noparity == NOPARITY && sys_onestopbit == ONESTOPBIT);
static_assert(sys_dtr_control_disable == DTR_CONTROL_DISABLE && sys_rts_control_disable == RTS_CONTROL_DISABLE);
static_assert(sys_purge_txclear == PURGE_TXCLEAR && sys_purge_rxclear == PURGE_RXCLEAR);
static_assert(sizeof(sys_handle) == sizeof(HANDLE));

namespace {

// The line settings record as the driver reported it; sys_set_line changes
// the fields of sys_line in it and leaves the driver's others as they were.
DCB port_dcb;
// The time-outs in force, for a read that has to go on (see sys_read).
COMMTIMEOUTS port_cto;
DWORD last_error;

HANDLE handle_of(sys_handle h) { return reinterpret_cast<HANDLE>(h); }

int failed()
{
    last_error = GetLastError();
    return -1;
}

} // namespace

int sys_port_path(const char *name, char *path, int size)
{
    int n = std::snprintf(path, static_cast<size_t>(size), "\\\\.\\%s", name);
    return n >= 0 && n < size ? 0 : -1;
}

sys_handle sys_open(const char *path)
{
    HANDLE h = CreateFileA(path, GENERIC_READ | GENERIC_WRITE, 0, nullptr, OPEN_EXISTING, 0, nullptr);
    if (h == INVALID_HANDLE_VALUE) {
        failed();
        return sys_invalid_handle;
    }
    return reinterpret_cast<sys_handle>(h);
}

int sys_get_properties(sys_handle h, sys_comm_prop *prop)
{
    if (!GetCommProperties(handle_of(h), reinterpret_cast<COMMPROP *>(prop)))
        return failed();
    return 0;
}

int sys_get_line(sys_handle h, sys_line *line)
{
    std::memset(&port_dcb, 0, sizeof port_dcb);
    port_dcb.DCBlength = sizeof port_dcb;
    if (!GetCommState(handle_of(h), &port_dcb))
        return failed();
    line->BaudRate = port_dcb.BaudRate;
    line->fBinary = static_cast<uint8_t>(port_dcb.fBinary);
    line->fParity = static_cast<uint8_t>(port_dcb.fParity);
    line->fOutxCtsFlow = static_cast<uint8_t>(port_dcb.fOutxCtsFlow);
    line->fOutxDsrFlow = static_cast<uint8_t>(port_dcb.fOutxDsrFlow);
    line->fDtrControl = static_cast<uint8_t>(port_dcb.fDtrControl);
    line->fDsrSensitivity = static_cast<uint8_t>(port_dcb.fDsrSensitivity);
    line->fTXContinueOnXoff = static_cast<uint8_t>(port_dcb.fTXContinueOnXoff);
    line->fOutX = static_cast<uint8_t>(port_dcb.fOutX);
    line->fInX = static_cast<uint8_t>(port_dcb.fInX);
    line->fErrorChar = static_cast<uint8_t>(port_dcb.fErrorChar);
    line->fNull = static_cast<uint8_t>(port_dcb.fNull);
    line->fRtsControl = static_cast<uint8_t>(port_dcb.fRtsControl);
    line->fAbortOnError = static_cast<uint8_t>(port_dcb.fAbortOnError);
    line->XonLim = port_dcb.XonLim;
    line->XoffLim = port_dcb.XoffLim;
    line->ByteSize = port_dcb.ByteSize;
    line->Parity = port_dcb.Parity;
    line->StopBits = port_dcb.StopBits;
    line->XonChar = port_dcb.XonChar;
    line->XoffChar = port_dcb.XoffChar;
    line->ErrorChar = port_dcb.ErrorChar;
    line->EofChar = port_dcb.EofChar;
    line->EvtChar = port_dcb.EvtChar;
    return 0;
}

int sys_set_line(sys_handle h, const sys_line *line)
{
    // Normally filled by sys_get_line on this port just before.
    if (port_dcb.DCBlength != sizeof port_dcb) {
        port_dcb.DCBlength = sizeof port_dcb;
        if (!GetCommState(handle_of(h), &port_dcb))
            return failed();
    }
    port_dcb.BaudRate = line->BaudRate;
    port_dcb.fBinary = line->fBinary;
    port_dcb.fParity = line->fParity;
    port_dcb.fOutxCtsFlow = line->fOutxCtsFlow;
    port_dcb.fOutxDsrFlow = line->fOutxDsrFlow;
    port_dcb.fDtrControl = line->fDtrControl;
    port_dcb.fDsrSensitivity = line->fDsrSensitivity;
    port_dcb.fTXContinueOnXoff = line->fTXContinueOnXoff;
    port_dcb.fOutX = line->fOutX;
    port_dcb.fInX = line->fInX;
    port_dcb.fErrorChar = line->fErrorChar;
    port_dcb.fNull = line->fNull;
    port_dcb.fRtsControl = line->fRtsControl;
    port_dcb.fAbortOnError = line->fAbortOnError;
    port_dcb.XonLim = line->XonLim;
    port_dcb.XoffLim = line->XoffLim;
    port_dcb.ByteSize = line->ByteSize;
    port_dcb.Parity = line->Parity;
    port_dcb.StopBits = line->StopBits;
    port_dcb.XonChar = line->XonChar;
    port_dcb.XoffChar = line->XoffChar;
    port_dcb.ErrorChar = line->ErrorChar;
    port_dcb.EofChar = line->EofChar;
    port_dcb.EvtChar = line->EvtChar;
    if (!SetCommState(handle_of(h), &port_dcb))
        return failed();
    return 0;
}

int sys_set_timeouts(sys_handle h, const sys_timeouts *timeouts)
{
    COMMTIMEOUTS t;
    t.ReadIntervalTimeout = timeouts->ReadIntervalTimeout;
    t.ReadTotalTimeoutMultiplier = timeouts->ReadTotalTimeoutMultiplier;
    t.ReadTotalTimeoutConstant = timeouts->ReadTotalTimeoutConstant;
    t.WriteTotalTimeoutMultiplier = timeouts->WriteTotalTimeoutMultiplier;
    t.WriteTotalTimeoutConstant = timeouts->WriteTotalTimeoutConstant;
    if (!SetCommTimeouts(handle_of(h), &t))
        return failed();
    port_cto = t;
    return 0;
}

namespace {

// Drops the zero bytes of p[0..n) in place; the count kept.
DWORD strip_nulls(unsigned char *p, DWORD n)
{
    DWORD kept = 0;
    for (DWORD i = 0; i < n; i++)
        if (p[i] != 0)
            p[kept++] = p[i];
    return kept;
}

} // namespace

int sys_read(sys_handle h, void *buf, int size, int *received)
{
    unsigned char *out = static_cast<unsigned char *>(buf);
    const ULONGLONG start = GetTickCount64();
    DWORD n = 0;
    BOOL ok = ReadFile(handle_of(h), out, static_cast<DWORD>(size), &n, nullptr);
    *received = static_cast<int>(n);
    if (!ok)
        return failed();
    if (!port_dcb.fNull)
        return 0;

    // A driver that ignores fNull (Wine's does) hands the zero bytes on.
    // Drop them; and when they filled the read before its time was up, read
    // on for the rest of that time, as a driver that discards them would.
    DWORD got = strip_nulls(out, n);
    *received = static_cast<int>(got);
    COMMTIMEOUTS asked = port_cto;
    const ULONGLONG total =
        static_cast<ULONGLONG>(size) * asked.ReadTotalTimeoutMultiplier + asked.ReadTotalTimeoutConstant;
    bool changed = false;
    DWORD want = static_cast<DWORD>(size);
    // Only a read that came back full can have ended early: a short one ran out of time.
    while (n == want && got < static_cast<DWORD>(size)) {
        if (total != 0) {
            const ULONGLONG spent = GetTickCount64() - start;
            if (spent >= total)
                break;
            COMMTIMEOUTS rest = asked;
            rest.ReadTotalTimeoutMultiplier = 0;
            rest.ReadTotalTimeoutConstant = static_cast<DWORD>(total - spent);
            if (!SetCommTimeouts(handle_of(h), &rest))
                return failed();
            changed = true;
        }
        want = static_cast<DWORD>(size) - got;
        n = 0;
        if (!ReadFile(handle_of(h), out + got, want, &n, nullptr))
            return failed();
        got += strip_nulls(out + got, n);
        *received = static_cast<int>(got);
    }
    if (changed && !SetCommTimeouts(handle_of(h), &asked))
        return failed();
    return 0;
}

int sys_write(sys_handle h, const void *bytes, int count, int *written)
{
    DWORD n = 0;
    BOOL ok = WriteFile(handle_of(h), bytes, static_cast<DWORD>(count), &n, nullptr);
    *written = static_cast<int>(n);
    if (!ok)
        return failed();
    if (n < static_cast<DWORD>(count)) {
        // The write time-out ran out: the system calls that success.
        last_error = ERROR_TIMEOUT;
        SetLastError(ERROR_TIMEOUT);
        return -1;
    }
    return 0;
}

int sys_purge(sys_handle h, int flags)
{
    if (!PurgeComm(handle_of(h), static_cast<DWORD>(flags)))
        return failed();
    return 0;
}

int sys_close(sys_handle h)
{
    std::memset(&port_dcb, 0, sizeof port_dcb);
    if (!CloseHandle(handle_of(h)))
        return failed();
    return 0;
}

int sys_last_error() { return static_cast<int>(last_error); }

void sys_error_message(int code, char *text, int size)
{
    DWORD n = FormatMessageA(FORMAT_MESSAGE_FROM_SYSTEM | FORMAT_MESSAGE_IGNORE_INSERTS, nullptr,
                             static_cast<DWORD>(code), MAKELANGID(LANG_NEUTRAL, SUBLANG_DEFAULT), text,
                             static_cast<DWORD>(size), nullptr);
    if (n == 0) {
        std::snprintf(text, static_cast<size_t>(size), "system error %d", code);
        return;
    }
    // The system's texts end with CR LF.
    while (n > 0 && (text[n - 1] == '\n' || text[n - 1] == '\r'))
        text[--n] = '\0';
}

void sys_sleep(int milliseconds) { Sleep(static_cast<DWORD>(milliseconds)); }

void sys_open_error_message(const char *, const char *, char *text, int size)
{
    sys_error_message(static_cast<int>(last_error), text, size);
}

// No lock files on Windows: the system refuses a second open by itself.
void sys_drop_locks() {}

namespace {

// The number of a name "COMn", 0 for another name.
int com_number(const char *name)
{
    if (_strnicmp(name, "COM", 3) != 0 || name[3] < '1' || name[3] > '9')
        return 0;
    int number = 0;
    for (const char *p = name + 3; *p != 0; p++) {
        if (*p < '0' || *p > '9' || number > 100000)
            return 0;
        number = number * 10 + (*p - '0');
    }
    return number;
}

// Adds COMn with the device it stands for, once.
int add_port(sys_port_entry *entries, int count, int max, int number, const char *device)
{
    for (int i = 0; i < count; i++)
        if (com_number(entries[i].name) == number)
            return count;
    if (count >= max || number > 9999999)
        return count;
    sys_port_entry &e = entries[count];
    e = sys_port_entry{};
    std::snprintf(e.name, sizeof e.name, "COM%d", number);
    std::snprintf(e.path, sizeof e.path, "%s", device);
    return count + 1;
}

} // namespace

int sys_list_ports(sys_port_entry *entries, int max)
{
    int count = 0;
    // Every DOS device name, then the COM ones' targets.
    static char names[65536];
    DWORD n = QueryDosDeviceA(nullptr, names, sizeof names);
    for (const char *p = names; n > 0 && *p != 0; p += std::strlen(p) + 1) {
        int number = com_number(p);
        char device[256] = "";
        if (number > 0 && QueryDosDeviceA(p, device, sizeof device) == 0)
            device[0] = 0;
        if (number > 0)
            count = add_port(entries, count, max, number, device);
    }
    // The ports the serial drivers announce.
    HKEY key;
    if (RegOpenKeyExA(HKEY_LOCAL_MACHINE, "HARDWARE\\DEVICEMAP\\SERIALCOMM", 0, KEY_READ, &key) == ERROR_SUCCESS) {
        for (DWORD i = 0;; i++) {
            char device[256];
            char name[32];
            DWORD device_len = sizeof device;
            DWORD name_len = sizeof name - 1;
            DWORD type = 0;
            if (RegEnumValueA(key, i, device, &device_len, nullptr, &type, reinterpret_cast<BYTE *>(name),
                              &name_len) != ERROR_SUCCESS)
                break;
            name[name_len] = 0;
            if (type == REG_SZ && com_number(name) > 0)
                count = add_port(entries, count, max, com_number(name), device);
        }
        RegCloseKey(key);
    }
    // In number order.
    for (int i = 1; i < count; i++)
        for (int k = i; k > 0 && com_number(entries[k].name) < com_number(entries[k - 1].name); k--)
            std::swap(entries[k], entries[k - 1]);
    // A short open tells whether another program has it.
    for (int i = 0; i < count; i++) {
        sys_port_entry &e = entries[i];
        char path[32];
        std::snprintf(path, sizeof path, "\\\\.\\%s", e.name);
        HANDLE h = CreateFileA(path, GENERIC_READ | GENERIC_WRITE, 0, nullptr, OPEN_EXISTING, 0, nullptr);
        if (h != INVALID_HANDLE_VALUE) {
            CloseHandle(h);
            e.state = sys_port_free;
            continue;
        }
        e.error = static_cast<int>(GetLastError());
        switch (e.error) {
        case ERROR_ACCESS_DENIED:
        case ERROR_SHARING_VIOLATION: e.state = sys_port_busy; break;
        case ERROR_FILE_NOT_FOUND:
        case ERROR_PATH_NOT_FOUND: e.state = sys_port_missing; break;
        default: e.state = sys_port_failed; break;
        }
    }
    return count;
}
