#include "angles/angles.h"
#include "config/conf_image.h"
#include "firmware/firmware.h"
#include "rules/rule_table.h"
#include "rules/rules_reader.h"
#include "shell/console.h"
#include "shell/shell.h"

#include <cstdlib>

void dispatch(int code)
{
    switch (code) {
    case code_firmware:
        cmd_firmware();
        break;
    case code_exit:
        std::exit(0);
    case code_help:
        help_summary();
        break;
    case code_dconfigure:
        conf_display();
        break;
    case code_drules:
        rules_display();
        break;
    case code_rules:
        cmd_rules();
        break;
    case code_angles:
        cmd_angles();
        break;
    default:
        print_msg("\a\aInternal Error: command %d is invalid!\n", code);
        break;
    }
}
