#include "download/download.h"

#include "config/conf_image.h"
#include "download/packet.h"
#include "link/port.h"
#include "rules/rule_table.h"
#include "shell/console.h"
#include "shell/state.h"

#include <cstdio>
#include <cstring>

const char dwn_conf_name[] = "conf";
const char dwn_rules_name[] = "rules";
const char dwn_finish_name[] = "-cestfini-";

static_assert(sizeof dwn_finish_name <= dwn_cmd_name_size);
static_assert(rule_max * sizeof(rule_rec) <= 99999, "the size text holds five digits");

void dwn_build_cmd(unsigned char *pkt, const char *name, const char *size_text)
{
    std::memset(pkt, 0, dwn_cmd_pkt_size);
    std::memcpy(pkt + 2, name, std::strlen(name));
    if (size_text != nullptr)
        std::memcpy(pkt + 2 + dwn_cmd_name_size, size_text, std::strlen(size_text));
}

int dwn_download()
{
    unsigned char work[dwn_work_size];
    char size_text[dwn_cmd_size_size + 1];

    // Whatever the device still echoes of its console is not a reply.
    read_port(port_name, work, dwn_work_size, dwn_drain_timeout);

    std::snprintf(size_text, sizeof size_text, "%u", static_cast<unsigned>(sizeof conf_image));
    dwn_build_cmd(work, dwn_conf_name, size_text);
    int r = dwn_write_pkt(work, dwn_cmd_pkt_size);
    if (r != dwn_cmd_pkt_size) {
        print_msg("\a\aError: writing Configuration command failed: %d\n", r);
        return -1;
    }
    r = dwn_write_file(&conf_image, sizeof conf_image);
    if (r != static_cast<int>(sizeof conf_image)) {
        print_msg("\a\aError: writing Configuration file failed: %d\n", r);
        return -2;
    }
    print_msg("Downloading Configuration succeeded\n");

    unsigned count = conf_image.rule_count;
    // Only the rules reader sets the count, never above the table; should it
    // ever be, no byte beyond the table is sent.
    if (count > rule_max) {
        print_msg("\a\aInternal Error: rule count %u above the table size\n", count);
        return -3;
    }
    int n = static_cast<int>(count * sizeof(rule_rec));
    std::snprintf(size_text, sizeof size_text, "%d", n);
    dwn_build_cmd(work, dwn_rules_name, size_text);
    r = dwn_write_pkt(work, dwn_cmd_pkt_size);
    if (r != dwn_cmd_pkt_size) {
        print_msg("\a\aError: writing Rules command failed: %d\n", r);
        return -3;
    }
    if (count > 0) {
        r = dwn_write_file(rule_table, n);
        if (r != n) {
            print_msg("\a\aError: writing Rules file failed: %d\n", r);
            return -4;
        }
    }
    print_msg("Downloading Rules succeeded\n");

    dwn_build_cmd(work, dwn_finish_name, nullptr);
    r = dwn_write_pkt(work, dwn_cmd_pkt_size);
    if (r != dwn_cmd_pkt_size) {
        print_msg("\a\aError: error writing finish pkt: %d\n", r);
        return -5;
    }
    return 0;
}

namespace {

// Reads an answer of at most 255 characters into cmd_line; true for yes.
// What an over-long answer leaves on its line is thrown away, so it never
// reaches the prompt as a command.
bool dwn_ask(const char *question)
{
    print_msg("%s", question);
    if (!read_console_line(cmd_line, cmd_line_size)) {
        std::fputs("\n", stdout);
        print_msg("\a\aDownload Aborted!\n");
        return false;
    }
    if (cmd_line[0] != 'y' && cmd_line[0] != 'Y') {
        print_msg("\a\aDownload Aborted!\n");
        return false;
    }
    return true;
}

} // namespace

void cmd_download()
{
    if (connected != 1) {
        print_msg("\a\aError: not Connected!\n");
        return;
    }
    if (!conf_processed &&
        !dwn_ask("\a\aWarning: Configuration file has not yet been processed!\n"
                 "Do you want to use the Default Configuration? (yes|no) [no]: "))
        return;
    if (!rules_processed &&
        !dwn_ask("\n\a\aWarning: Rules file has not yet been processed!\n"
                 "Do you  want to use the Implicit Rule only without specific rules?\n"
                 "(yes|no) [no]: "))
        return;

    static const char command[] = "download\r\n";
    if (write_port(port_name, command, sizeof command - 1) < 0) {
        print_msg("\a\aError: wrote Download command, got error on port %s\n", port_name);
        return;
    }
    int r = dwn_download();
    if (r != 0)
        print_msg("\a\aError: Download failed: %d\n", r);
    print_msg("\a\aPlease Power OFF the Diriduzede and power it back on to RESET it.\n");
    close_port();
    connected = 0;
    print_msg("Disconnected\n");
}
