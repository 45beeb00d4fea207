#include "config/conf_image.h"
#include "rules/rule_table.h"
#include "shell/console.h"
#include "shell/shell.h"

#include <cstdlib>

void dispatch(int code)
{
    switch (code) {
    case cmd_exit:
        std::exit(0);
    case cmd_help:
        help_summary();
        break;
    case cmd_dconfigure:
        conf_display();
        break;
    case cmd_drules:
        rules_display();
        break;
    default:
        print_msg("\a\aInternal Error: command %d is invalid!\n", code);
        break;
    }
}
