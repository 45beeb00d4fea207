#include "firmware/firmware.h"

#include "shell/console.h"

#include <cinttypes>
#include <cstdio>
#include <cstring>
#include <ctime>

int64_t fw_start_time;

int fw_progress_text(char *line, int64_t elapsed, unsigned long done, unsigned long total)
{
    uint32_t d = static_cast<uint32_t>(done);
    uint32_t t = static_cast<uint32_t>(total);
    double fraction = t == 0 ? 0.0 : static_cast<double>(d) / static_cast<double>(t);
    uint32_t ttc = 0;
    if (fraction != 0.0)
        ttc = static_cast<uint32_t>(static_cast<int64_t>(static_cast<double>(elapsed) / fraction) - elapsed);
    double percent = fraction * 100.0;
    int bar = static_cast<int>(fraction * 59.0);
    if (bar > 59) // more done than the file holds: no wider than a full bar
        bar = 59;
    int n = std::snprintf(line, fw_progress_size, "\r%3" PRId64 "s TTC %3lus %4.1f%% ", elapsed,
                          static_cast<unsigned long>(ttc), percent);
    if (n < 21) // cannot happen: the fields' minimum widths make 21
        std::memset(line + (n < 0 ? 0 : n), ' ', static_cast<size_t>(21 - (n < 0 ? 0 : n)));
    // The bar starts at index 21 whatever the width of the fields before it.
    std::memset(line + 21, '=', static_cast<size_t>(bar));
    line[21 + bar] = '\0';
    return 21 + bar;
}

void fw_progress(unsigned long done, unsigned long total)
{
    char line[fw_progress_size];
    int64_t elapsed = static_cast<int64_t>(std::time(nullptr)) - fw_start_time;
    fw_progress_text(line, elapsed, done, total);
    print_msg("%s", line);
}
