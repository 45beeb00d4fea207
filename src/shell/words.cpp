#include "shell/words.h"

#include <climits>
#include <cstring>

char *split_word(word_cursor &cursor, const char *delimiters)
{
    if (cursor.pos == nullptr)
        return nullptr;
    char *start = cursor.pos + std::strspn(cursor.pos, delimiters);
    if (*start == '\0') {
        cursor.pos = start;
        return nullptr;
    }
    char *end = start + std::strcspn(start, delimiters);
    if (*end != '\0')
        *end++ = '\0';
    cursor.pos = end;
    return start;
}

char ascii_lower(char c) { return c >= 'A' && c <= 'Z' ? static_cast<char>(c - 'A' + 'a') : c; }
char ascii_upper(char c) { return c >= 'a' && c <= 'z' ? static_cast<char>(c - 'a' + 'A') : c; }

bool prefix_matches(const char *word, const char *name)
{
    for (; *word != '\0'; word++, name++)
        if (*name == '\0' || ascii_lower(*word) != ascii_lower(*name))
            return false;
    return true;
}

namespace {

bool is_digit_of(char c, int base)
{
    if (base == 16)
        return (c >= '0' && c <= '9') || (c >= 'a' && c <= 'f') || (c >= 'A' && c <= 'F');
    return c >= '0' && c < '0' + base;
}

} // namespace

int read_int(const char *p, int how)
{
    if (how & int_skip_blanks)
        while (*p == ' ' || *p == '\t' || *p == '\v' || *p == '\f')
            p++;
    bool negative = false;
    if (*p == '+' || *p == '-')
        negative = *p++ == '-';
    int base = 10;
    if ((how & int_prefixed) && p[0] == '0') {
        if ((p[1] == 'x' || p[1] == 'X') && is_digit_of(p[2], 16)) {
            base = 16;
            p += 2;
        } else {
            base = 8;
        }
    }
    long long value = 0;
    for (; is_digit_of(*p, base); p++) {
        int digit = *p <= '9' ? *p - '0' : ascii_lower(*p) - 'a' + 10;
        if (value <= INT_MAX)
            value = value * base + digit;
    }
    if (negative)
        value = -value;
    if (value > INT_MAX)
        return INT_MAX;
    if (value < INT_MIN)
        return INT_MIN;
    return static_cast<int>(value);
}
