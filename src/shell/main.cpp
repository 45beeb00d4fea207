#include "config/conf_image.h"
#include "shell/console.h"
#include "shell/shell.h"

#include <cstdio>

int main()
{
    std::setvbuf(stdout, nullptr, _IONBF, 0);
    std::setvbuf(stderr, nullptr, _IONBF, 0);
    print_banner();
    conf_reset();
    help_summary();
    std::fputs("\n", stdout);
    return shell_loop();
}
