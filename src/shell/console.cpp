#include "shell/console.h"

#include <cstdarg>
#include <cstdio>
#include <cstring>
#include <vector>

int print_msg(const char *fmt, ...)
{
    char small[1024];
    va_list ap;
    va_start(ap, fmt);
    int n = std::vsnprintf(small, sizeof small, fmt, ap);
    va_end(ap);
    if (n < 0)
        return n;
    if (static_cast<size_t>(n) < sizeof small)
        return static_cast<int>(std::fwrite(small, 1, static_cast<size_t>(n), stdout));

    // Rare long text: format again into a buffer that fits, still one write.
    std::vector<char> big(static_cast<size_t>(n) + 1);
    va_start(ap, fmt);
    std::vsnprintf(big.data(), big.size(), fmt, ap);
    va_end(ap);
    return static_cast<int>(std::fwrite(big.data(), 1, static_cast<size_t>(n), stdout));
}

bool read_console_line(char *buf, int size)
{
    if (std::fgets(buf, size, stdin) == nullptr)
        return false;
    if (std::strchr(buf, '\n') == nullptr) {
        int c;
        do
            c = std::getchar();
        while (c != '\n' && c != EOF);
    }
    return true;
}
