#include "link/baud.h"

#include "shell/console.h"

const int *get_baud(int rate)
{
    if (rate == 0) {
        print_msg("get_baud: Error: invalid baud: %ld\n", static_cast<long>(rate));
        return nullptr;
    }
    for (const int *row = baud_table; *row != 0; row++)
        if (*row == rate)
            return row;
    return nullptr;
}
