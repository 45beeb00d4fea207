#include "firmware/firmware.h"

#include "firmware/inhex.h"
#include "link/connect.h"
#include "link/port.h"
#include "shell/console.h"
#include "shell/state.h"
#include "shell/lines.h"

#include <cerrno>
#include <cstdio>
#include <cstring>
#include <ctime>

char fw_file_name[256];

namespace {

constexpr int fw_rate = 19200;
constexpr int fw_max_errors = 10;
constexpr int fw_warn_minutes = 5;

// Milliseconds that count characters take on the line at fw_rate, rounded up.
constexpr int line_ms(int count) { return (count * 10000 + fw_rate - 1) / fw_rate; }
constexpr long fw_power_seconds = 20;

constexpr char fw_prompt = 0x05;
constexpr char fw_sync = 0x16;
constexpr char fw_ack = 0x06;
constexpr char fw_ident[] = "VoVoDi";
constexpr char fw_ident_version[] = "1.0";

// What the loader answers to a record line other than ACK. result 0: resend.
struct fw_status_row {
    int status;
    const char *message;
    int result;
};
constexpr fw_status_row fw_status_table[] = {
    {0x00, "\n\a\aError: Firmware updating error: timed out on Line %lu, resending.\n", 0},
    {0x11, "\n\a\aError: Firmware updating error: didn't get start character on Line %lu, resending.\n", 0},
    {0x12, "\n\a\aError: Firmware updating error: bad record checksum on Line %lu, resending.\n", 0},
    {0x15, "\n\a\aError: Firmware updating error: validation on Line %lu, resending.\n", 0},
    {0x17, "\n\a\aError: Firmware updating error: buffer full on Line %lu- aborting!\n", -14},
    {0x18, "\n\a\aError: Firmware updating error: fatal on Line %lu- aborting!\n", -13},
};

// Reports a status byte that is no ACK; returns the result it ends the
// transfer with, or 0 to send the line again.
int fw_status(unsigned char status, unsigned long line_no)
{
    for (const fw_status_row &row : fw_status_table) {
        if (row.status == status) {
            print_msg(row.message, line_no);
            return row.result;
        }
    }
    print_msg("\n\a\aError: Firmware updating error: unknown (0x%02x) on Line %lu, resending.\n", status, line_no);
    return 0;
}

int fw_changed(unsigned long line_no)
{
    print_msg("\n\a\aError: Firmware file changed after it was checked (line %lu)!\n", line_no);
    return -16;
}

// The transfer, from the prompt wait on; the port is open.
int fw_transfer(FILE *file, int total)
{
    print_msg("\nTo begin TURN ON the Diriduzede or CYCLE THE POWER if it is already on.\n"
              "\a\aYou have %ld seconds to do this...",
              fw_power_seconds);

    unsigned char *reply = reinterpret_cast<unsigned char *>(rx_buf);
    std::memset(reply, 0, 4);
    int n = read_port(port_name, reply, 1, 20000);
    n += read_port(port_name, reply + 1, 3, 100);
    if (std::memchr(reply, fw_prompt, 4) == nullptr) {
        print_msg("\n\a\aError: did not receive the Diriduzede Firmware prompt!\n");
        switch (n) {
        case 0:
            print_msg("No data was read!\n");
            break;
        case 1:
            print_msg("Got 1: 0x%02x\n", reply[0]);
            break;
        case 2:
            print_msg("Got 2: 0x%02x 0x%02x\n", reply[0], reply[1]);
            break;
        case 3:
            print_msg("Got 3: 0x%02x 0x%02x 0x%02x\n", reply[0], reply[1], reply[2]);
            break;
        default:
            print_msg("Got 4: 0x%02x 0x%02x 0x%02x 0x%02x\n", reply[0], reply[1], reply[2], reply[3]);
            break;
        }
        return -6;
    }

    if (write_port(port_name, &fw_sync, 1) < 0) {
        print_msg("\n\a\aError: wrote FIRMSYNC sync character, got error on port %s\n", port_name);
        return -7;
    }
    rx_buf[0] = 0;
    read_port(port_name, rx_buf, 1, 200);
    if (rx_buf[0] != fw_ack) {
        print_msg("\n\a\aError: did not synchronize with the Diriduzede!\n");
        return -8;
    }
    print_msg("\a\nConnected at %ld\n", static_cast<long>(fw_rate));

    char ident[sizeof fw_ident + sizeof fw_ident_version];
    std::snprintf(ident, sizeof ident, "%s%s", fw_ident, fw_ident_version);
    if (write_port(port_name, ident, static_cast<int>(std::strlen(ident))) < 0) {
        print_msg("\n\a\aError: wrote %s identifier, got error on port %s\n", ident, port_name);
        return -9;
    }
    rx_buf[0] = 0;
    read_port(port_name, rx_buf, 1, 5000);
    if (rx_buf[0] != fw_ack) {
        print_msg("\n\a\aError: did not receive %s identifier acknowledgement!\n", fw_ident);
        return -10;
    }
    std::fputs("\n\n", stdout);

    // What goes out must be what was checked: a file that cannot go back to
    // its start, or that changed since, stops the update.
    if (std::fseek(file, 0, SEEK_SET) != 0) {
        print_msg("\n\a\aError: cannot rewind the Firmware file: %s\n", std::strerror(errno));
        return -16;
    }
    fw_start_time = static_cast<int64_t>(std::time(nullptr));
    int errors = 0;
    unsigned long line_no = 0;
    unsigned long done = 0;
    char line[fw_line_size];
    int got;
    while ((got = fw_read_line(file, line)) >= 0) {
        line_no++;
        int check = inhex_check_line(line, got, line_no, false);
        if (check == 0)
            continue;
        if (check < 0 || done >= static_cast<unsigned long>(total))
            return fw_changed(line_no);
        // The line as in the file, its own line end replaced by one CR.
        int len = got;
        line[len] = '\r';
        for (;;) {
            if (write_port(port_name, line, len + 1) < 0) {
                print_msg("\a\aError: wrote FIRMSYNC attention character, got error on port %s\n", port_name);
                return -11;
            }
            rx_buf[0] = 0;
            // The 100 ms count from when the line has carried the record: a
            // write here returns once the driver has the bytes, and a 128-byte
            // record takes 140 ms to go out at 19200.
            read_port(port_name, rx_buf, 1, 100 + line_ms(len + 1));
            unsigned char status = static_cast<unsigned char>(rx_buf[0]);
            if (status == fw_ack) {
                done++;
                fw_progress(done, static_cast<unsigned long>(total));
                break;
            }
            if (++errors >= fw_max_errors) {
                print_msg("\n\a\aError: maximum Firmware updating errors (%d) encountered- aborting!\n", fw_max_errors);
                return -12;
            }
            int result = fw_status(status, line_no);
            if (result != 0)
                return result;
        }
    }
    if (got == -2) {
        // The device has part of the image: that is no success.
        print_msg("\n\a\aError: cannot read the Firmware file after line %lu: %s\n", line_no, std::strerror(errno));
        return -15;
    }
    if (done != static_cast<unsigned long>(total))
        return fw_changed(line_no + 1);
    std::fputs("\n", stdout);
    return 0;
}

} // namespace

int firmware(int port, const char *file_name)
{
    if (file_name == nullptr) {
        print_msg("firmware: Error: param filename is invalid\n");
        return -1;
    }
    FILE *file = open_input_file(file_name, "r");
    if (file == nullptr) {
        print_msg("\a\aError: cannot open %s\n", file_name);
        return -2;
    }
    int total = inhexverify(file);
    if (total < 1) {
        print_msg("\a\aError: Firmware file has some kind of error!\n");
        std::fclose(file);
        return -4;
    }
    std::snprintf(port_name, sizeof port_name, "COM%d", port);
    if (open_port(port_name, fw_rate) != 0) {
        print_msg("\a\aError: could not open COM port %s\n", port_name);
        std::fclose(file);
        return -5;
    }

    drain_port(rx_buf, sizeof rx_buf);
    print_msg("\n\a\aWARNING! The Diriduzede Firmware is about to be updated!\n"
              "This will take less than %d minutes.\n"
              "Do NOT interrupt the process once started!\n"
              "If power is interrupted during this process you may not be able\n"
              "to communicate with the Diriduzede due to firmware corruption.\n"
              "If this happens correct the power problem and restart this entire process.\n\n"
              "Type the Enter key when you are ready to continue...",
              fw_warn_minutes);
    // Any line, or the end of input, is the go-ahead.
    read_console_line(rx_buf, sizeof rx_buf);

    int result = fw_transfer(file, total);
    close_port();
    print_msg("Disconnected\n");
    std::fclose(file);
    return result;
}

void cmd_firmware()
{
    if (connected == 1) {
        print_msg("\a\aError: already Connected, Disconnect first!\n");
        return;
    }
    const char *word = next_word(", \t");
    if (word == nullptr) {
        print_msg("\a\aError: missing arguments: com_port file_name\n");
        return;
    }
    int port = port_number_arg(word);
    if (port == 0)
        return;
    const char *name = next_word(",\t");
    if (name == nullptr) {
        print_msg("\a\aError: missing argument: file_name\n");
        return;
    }
    std::snprintf(fw_file_name, sizeof fw_file_name, "%s", name);

    print_msg("\a\aWARNING! This will alter the Diriduzede firmware!\nDo you want to continue (n or y)? [n]: ");
    char answer[40];
    if (!read_console_line(answer, sizeof answer)) {
        std::fputs("\n", stdout);
        print_msg("Diriduzede Firmware will NOT be updated!\n");
        return;
    }
    if (answer[0] != 'y' && answer[0] != 'Y') {
        print_msg("Diriduzede Firmware will NOT be updated!\n");
        return;
    }
    if (firmware(port, fw_file_name) != 0)
        print_msg("Error: Firmware update failed!\n\tPower cycle Diriduzede and try again!\n");
    else
        print_msg("\a\aFirmware update succeeded!\n\nPower cycle Diriduzede!\n"
                  "Don't forget to Configure Operating Parameters, Process Rules\n"
                  "and Download these to the Diriduzede!\n");
}
