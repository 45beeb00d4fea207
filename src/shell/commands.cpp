#include "shell/commands.h"

#include "config/conf_image.h"
#include "dz_version.h"
#include "shell/console.h"
#include "shell/state.h"
#include "shell/words.h"

#include <cstdio>
#include <cstring>

const char version_text[] = "Version " DZ_VERSION;

const cmd_row cmd_table[cmd_count] = {
    {1, code_help, "help", "", "Displays this summary (alias ?)"},
    {0, code_help, "?", "", "Displays this summary"},
    {1, code_repeat, ".", "", "Repeats the previous command"},
    {1, code_angles, "angles", "", "Displays the Angles format used for Lat and Lon"},
    {1, code_baud, "baud", "baud",
     "Changes the baud rates on host and Diriduzede\n\t\t\t\tonce connected. Default [ ]"},
    {1, code_configure, "configure", "file_name", "Reads a Configuration file"},
    {1, code_dconfigure, "dconfigure", "", "Displays the Configuration"},
    {1, code_rules, "rules", "file_name", "Reads a Rules file"},
    {1, code_drules, "drules", "", "Displays the Rules"},
    {1, code_connect, "connect", "com_port [baud]",
     "Connect to Diriduzede at optional baud\n\t\t\t\t(8 bits No Parity 1 Stop)"},
    {1, code_disconnect, "disconnect", "", "Disconnect from the Diriduzede"},
    {1, code_download, "download", "", "Download Configuration and Rules to Diriduzede"},
    {1, code_firmware, "firmware", "com_port file_name", "Update Diriduzede firmware from firmware file"},
    {1, code_exit, "exit", "", "Exits this program (aliases quit, x)"},
    {0, code_exit, "quit", "", "Same as exit"},
    {0, code_exit, "x", "", "Same as exit"},
};

int match_command(const char *word)
{
    int found = -1;
    for (int i = 0; i < cmd_count; i++) {
        if (!prefix_matches(word, cmd_table[i].name))
            continue;
        if (found >= 0)
            return -2;
        found = i;
    }
    return found;
}

void print_banner()
{
    print_msg("Diriduzede PC Host Dozozu Utility %s - set-up and firmware tool for the Diriduzede digipeater\n"
              "Free software for radio amateurs; it comes with no warranty of any kind.\n",
              version_text);
}

void help_summary()
{
    int def = default_connect_rate();
    print_msg("\n\t\tCommand Summary:\n%-10s %-20s %s\n", "Command", "Arguments", "Comments");
    for (const cmd_row &row : cmd_table) {
        if (!row.shown)
            continue;
        print_msg("%-10s %-20s %s\n", row.name, row.args, row.comment);
        if (row.code == code_baud) {
            print_msg("%-10s Valid Baud Rates:\t", "");
            for (int b : device_bauds)
                print_msg(b == def ? "[%ld] " : "%ld ", static_cast<long>(b));
            print_msg("\n\n");
        }
    }
}

int command_code()
{
    words_begin(cmd_line);
    char *word = next_word(", \t");
    if (word == nullptr)
        return -1;
    std::snprintf(cmd_word, sizeof cmd_word, "%s", word);
    int row = match_command(word);
    if (row == -1)
        print_msg("\a\aError: unknown command: %s\n", word);
    else if (row == -2)
        print_msg("\a\aError: ambiguous command: %s\n", word);
    return row < 0 ? -1 : cmd_table[row].code;
}

void run_command_line()
{
    int code = command_code();
    if (code >= 0)
        dispatch(code);
}

int shell_loop()
{
    for (;;) {
        print_msg("Command> ");
        if (std::fgets(cmd_line, sizeof cmd_line, stdin) == nullptr) {
            std::fputs("\n", stdout);
            return 1;
        }
        size_t len = std::strlen(cmd_line);
        // A CR before the LF is part of the line end (input saved on Windows).
        if (len >= 2 && cmd_line[len - 2] == '\r' && cmd_line[len - 1] == '\n') {
            cmd_line[len - 2] = '\n';
            cmd_line[--len] = '\0';
        }
        if (cmd_line[0] == '\n')
            continue;
        if (len > 0 && cmd_line[len - 1] == '\n')
            cmd_line[--len] = '\0';

        if (cmd_line[0] == '.')
            std::memcpy(cmd_line, last_cmd, sizeof cmd_line);
        else
            std::memcpy(last_cmd, cmd_line, sizeof last_cmd);

        run_command_line();
    }
}
