#include "config/conf_image.h"
#include "shell/console.h"
#include "shell/commands.h"
#include "shell/options.h"

#include <cstdio>

int main(int argc, char **argv)
{
    std::setvbuf(stdout, nullptr, _IONBF, 0);
    std::setvbuf(stderr, nullptr, _IONBF, 0);
    cli_options opts;
    if (int status = parse_options(argc, argv, &opts))
        return status;
    if (int status = run_options(&opts); status >= 0)
        return status;
    print_banner();
    conf_reset();
    help_summary();
    std::fputs("\n", stdout);
    return shell_loop();
}
