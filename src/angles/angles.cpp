#include "angles/angles.h"

#include "shell/console.h"

#include <cstdint>
#include <cstdio>
#include <cstring>

namespace {

bool is_blank(char c) { return c == ' ' || c == '\t'; }
bool is_digit(char c) { return c >= '0' && c <= '9'; }
// ASCII letters only: bytes above 0x7F are not letters, whatever the locale.
bool is_letter(char c) { return (c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z'); }
bool is_north_east(char c) { return c == 'N' || c == 'n' || c == 'E' || c == 'e'; }
bool is_south_west(char c) { return c == 'S' || c == 's' || c == 'W' || c == 'w'; }

// 10 to the power n (n >= 0); large n simply overflows to infinity.
double power_of_ten(int n)
{
    double p = 1.0;
    for (int i = 0; i < n && p < 1e308; i++)
        p *= 10.0;
    return p;
}

// Optional blanks, an optional sign, decimal digits and (with fraction) one
// period among them. Stops at the first character that cannot continue the
// number, so it never passes the terminator; no digits read as 0. There is
// no exponent part.
double read_number(const char *p, bool fraction)
{
    while (is_blank(*p))
        p++;
    bool negative = false;
    if (*p == '+' || *p == '-') {
        negative = *p == '-';
        p++;
    }
    // The first 18 significant digits are kept exactly; later integer digits
    // only scale the value, later fraction digits are below float precision.
    uint64_t mantissa = 0;
    int scale = 0;
    bool period = false;
    for (;; p++) {
        if (is_digit(*p)) {
            if (mantissa < 100000000000000000ULL) {
                mantissa = mantissa * 10 + static_cast<unsigned>(*p - '0');
                if (period)
                    scale--;
            } else if (!period) {
                scale++;
            }
        } else if (*p == '.' && fraction && !period) {
            period = true;
        } else {
            break;
        }
    }
    double value = static_cast<double>(mantissa);
    if (scale > 0)
        value *= power_of_ten(scale);
    else if (scale < 0)
        value /= power_of_ten(-scale);
    return negative ? -value : value;
}

double read_integer(const char *p) { return read_number(p, false); }
double read_decimal(const char *p) { return read_number(p, true); }

bool begins_with_minus(const char *p)
{
    while (is_blank(*p))
        p++;
    return *p == '-';
}

enum angle_format { format_colon, format_dotted, format_dmc };

constexpr int degrees_text_max = 19;

} // namespace

double dmctodeg(const char *text)
{
    if (text == nullptr || *text == '\0') {
        print_msg("dmctodeg: Error: invalid param inp\n");
        return angle_error;
    }

    int minus = 0, colons = 0, periods = 0, letters = 0;
    for (const char *p = text; *p != '\0'; p++) {
        if (*p == '-')
            minus++;
        else if (*p == ':')
            colons++;
        else if (*p == '.')
            periods++;
        else if (is_letter(*p))
            letters++;
    }

    bool south_west = false;
    angle_format format;
    if (minus > 1) {
        print_msg("\a\aError: too man minus signs: %d: only one is allowed\n", minus);
        return angle_error;
    }
    if (colons > 0) {
        if (colons != 2) {
            print_msg("\a\aError: Colon format: must have 2 colons: [s][D]DD:MM:SS[.F*]\n");
            return angle_error;
        }
        if (periods > 1) {
            print_msg("\a\aError: Colon format: too many periods: [s][D]DD:MM:SS[.F*]\n");
            return angle_error;
        }
        if (letters > 0) {
            print_msg("\a\aError: Colon format: has alpha characters: [s][D]DD:MM:SS[.F*]\n");
            return angle_error;
        }
        format = format_colon;
    } else if (letters > 0) {
        if (std::strpbrk(text, "DdMmCc") == nullptr) {
            print_msg("\a\aError: DMC format must have at least one of [DdMmCc] identifiers\n"
                      "\tor Dotted format: found illegal character: [s][D]DD.MM.[F*]\n");
            return angle_error;
        }
        char north_east = 0, south_west_char = 0;
        for (const char *p = text; *p != '\0'; p++) {
            if (north_east == 0 && is_north_east(*p))
                north_east = *p;
            if (south_west_char == 0 && is_south_west(*p))
                south_west_char = *p;
        }
        if (minus > 0 && (north_east != 0 || south_west_char != 0)) {
            print_msg("\a\aError: DMC format: both minus (-) and direction char %c cannot be specified\n",
                      north_east != 0 ? north_east : south_west_char);
            return angle_error;
        }
        if (north_east != 0 && south_west_char != 0) {
            print_msg("\a\aError: DMC format: both direction chars %c and %c cannot be specified\n",
                      north_east, south_west_char);
            return angle_error;
        }
        south_west = south_west_char != 0;
        format = format_dmc;
    } else {
        if (periods == 0) {
            print_msg("\a\aError: Unrecognized format: must be one of Dotted, Colon or DMC\n");
            return angle_error;
        }
        if (periods != 2) {
            print_msg("\a\aError: Dotted format: must have 2 periods: [s][D]DD.MM.[F*]\n"
                      "\tor DMC format must have at least one of [DdMmCc] identifiers\n");
            return angle_error;
        }
        format = format_dotted;
    }

    // Each component carries the sign written on it.
    float deg = 0.0f, min = 0.0f, sec = 0.0f;
    bool degrees_minus = false;

    switch (format) {
    case format_colon: {
        const char *first = std::strchr(text, ':');
        const char *second = std::strchr(first + 1, ':');
        deg = static_cast<float>(read_integer(text));
        degrees_minus = begins_with_minus(text);
        min = static_cast<float>(read_integer(first + 1));
        sec = static_cast<float>(read_decimal(second + 1));
        break;
    }
    case format_dotted: {
        // The minutes reading runs on through the second period: its digits
        // are the fraction of the minutes.
        const char *first = std::strchr(text, '.');
        deg = static_cast<float>(read_integer(text));
        degrees_minus = begins_with_minus(text);
        min = static_cast<float>(read_decimal(first + 1));
        break;
    }
    case format_dmc: {
        bool have_deg = false, have_min = false, have_sec = false;
        const char *field = text;
        const char *p = text;
        for (; *p != '\0'; p++) {
            char c = *p;
            if (c == 'D' || c == 'd') {
                if (have_deg) {
                    print_msg("\a\aError: DMC format: already have degrees (%f)\n", static_cast<double>(deg));
                    return angle_error;
                }
                // A copy of the field alone, so nothing from the letter on is read.
                size_t length = static_cast<size_t>(p - field);
                if (length > degrees_text_max) {
                    print_msg("\a\aError: DMC format: degrees text longer than %d characters\n",
                              degrees_text_max);
                    return angle_error;
                }
                char degrees_text[degrees_text_max + 1];
                std::memcpy(degrees_text, field, length);
                degrees_text[length] = '\0';
                deg = static_cast<float>(read_decimal(degrees_text));
                degrees_minus = begins_with_minus(degrees_text);
                have_deg = true;
                field = p + 1;
            } else if (c == 'M' || c == 'm') {
                if (have_min) {
                    print_msg("\a\aError: DMC format: already have minutes (%f)\n", static_cast<double>(min));
                    return angle_error;
                }
                min = static_cast<float>(read_decimal(field));
                have_min = true;
                field = p + 1;
            } else if (c == 'C' || c == 'c') {
                if (have_sec) {
                    print_msg("\a\aError: DMC format: already have seconds (%f)\n", static_cast<double>(sec));
                    return angle_error;
                }
                sec = static_cast<float>(read_decimal(field));
                have_sec = true;
                field = p + 1;
            } else if (is_north_east(c) || is_south_west(c)) {
                field = p + 1;
            } else if (!(is_digit(c) || is_blank(c) || c == '+' || c == '-' || c == '.')) {
                print_msg("\a\aError: DMC format: invalid char: %c (0x%02x)\n", c,
                          static_cast<unsigned>(static_cast<unsigned char>(c)));
                return angle_error;
            }
        }
        if (field != p) {
            print_msg("\a\aInternal Error: pointer mismatch\n");
            return angle_error;
        }
        break;
    }
    }

    if (!(sec > -60.0f && sec < 60.0f)) {
        print_msg("\a\aError: sec %f is out of range [0..59.99]\n", static_cast<double>(sec));
        return angle_error;
    }
    if (!(min > -60.0f && min < 60.0f)) {
        print_msg("\a\aError: min %f is out of range [0..59.99]\n", static_cast<double>(min));
        return angle_error;
    }

    if (south_west)
        deg = -deg;
    // A zero degrees value keeps the sign written on it or given by S or W.
    bool negative = deg < 0.0f || (deg == 0.0f && (south_west || degrees_minus));
    double fraction = static_cast<double>(min) / 60.0 + static_cast<double>(sec) / 3600.0;
    double result = negative ? static_cast<double>(deg) - fraction : static_cast<double>(deg) + fraction;
    if (!(result >= -360.0 && result <= 360.0)) {
        print_msg("\a\aError: deg %f is out of range [-180..180]\n", result);
        return angle_error;
    }
    return result;
}

void cmd_angles()
{
    std::fputs(angles_help, stdout);
    std::fputs("\n", stdout);
}
