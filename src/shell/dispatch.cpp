#include "angles/angles.h"
#include "config/conf_image.h"
#include "config/conf_reader.h"
#include "download/download.h"
#include "firmware/firmware.h"
#include "link/connect.h"
#include "rules/rule_table.h"
#include "rules/rules_reader.h"
#include "shell/console.h"
#include "shell/commands.h"

#include <cstdlib>

void dispatch(int code)
{
    switch (code) {
    case code_download:
        cmd_download();
        break;
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
    case code_connect:
        cmd_connect();
        break;
    case code_baud:
        cmd_baud();
        break;
    case code_disconnect:
        cmd_disconnect();
        break;
    case code_angles:
        cmd_angles();
        break;
    case code_configure:
        cmd_configure();
        break;
    default:
        print_msg("\a\aInternal Error: command %d is invalid!\n", code);
        break;
    }
}
