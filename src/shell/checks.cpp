#include "shell/checks.h"

#include "config/conf_image.h"
#include "config/conf_reader.h"
#include "firmware/inhex.h"
#include "rules/rules_reader.h"
#include "shell/console.h"
#include "shell/lines.h"

#include <cstdio>

namespace {

// The firmware command's first step: the whole HEX file verified.
int check_firmware_file(const char *file_name)
{
    std::FILE *file = open_input_file(file_name, "r");
    if (file == nullptr) {
        print_msg("\a\aError: cannot open %s\n", file_name);
        return -2;
    }
    int total = inhexverify(file);
    std::fclose(file);
    if (total < 1) {
        print_msg("\a\aError: Firmware file has some kind of error!\n");
        return -4;
    }
    print_msg("Firmware file %s: %d records\n", file_name, total);
    return 0;
}

} // namespace

int run_checks(const cli_check *checks, int count)
{
    conf_reset(); // as at start-up
    int failed = 0;
    for (int i = 0; i < count; i++) {
        const cli_check &c = checks[i];
        switch (c.kind) {
        case check_config:
            if (conf_process(c.file) != 0) {
                print_msg("\a\aError: Configuration processing failed\n");
                failed++;
            }
            break;
        case check_rules:
            if (rules_process(c.file) != 0) {
                print_msg("\a\aError: Rule processing failed\n");
                failed++;
            }
            break;
        case check_firmware:
            failed += check_firmware_file(c.file) != 0;
            break;
        }
    }
    return failed == 0 ? 0 : exit_check_failed;
}
