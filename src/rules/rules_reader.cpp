#include "rules/rules_reader.h"

#include "angles/angles.h"
#include "config/conf_image.h"
#include "config/conf_reader.h"
#include "rules/rule_table.h"
#include "shell/console.h"
#include "shell/shell.h"

#include <cerrno>
#include <cfloat>
#include <climits>
#include <cmath>
#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <strings.h>

// Working state of one reading.
static const char *file_name;
static std::FILE *file;
static int32_t line_number; // counts up to INT32_MAX and stays there
static size_t comment_pos;  // index of the first # / ; in the line, or no_comment
static char *word_pos;      // where the next word of line_buf begins
static int32_t rule_lines;
static int32_t implicit_lines;
static rule_rec *next_rec;
static uint8_t action_code;

constexpr size_t no_comment = SIZE_MAX;

static const char comment_chars[] = "#/;";

static void words_start() { word_pos = line_buf; }

static char *line_word(const char *delimiters) { return split_word(&word_pos, delimiters); }

static bool after_comment(const char *word)
{
    return comment_pos != no_comment && static_cast<size_t>(word - line_buf) > comment_pos;
}

// "\a\aError: file[line]: text:\n" and the line.
static int fail(int code, const char *text)
{
    print_msg("\a\aError: %s[%d]: %s:\n%s\n", file_name, static_cast<int>(line_number), text, line_copy);
    return code;
}

// The same with the number that was read.
static int fail_value(int code, const char *text, double value)
{
    print_msg("\a\aError: %s[%d]: %s: %f:\n%s\n", file_name, static_cast<int>(line_number), text, value,
              line_copy);
    return code;
}

// A plain decimal number: optional sign, digits with an optional fraction,
// an optional exponent. Text that does not begin with a number reads as 0;
// nothing else (no blanks, hexadecimal, infinity or NaN) is taken.
static double plain_number(const char *text)
{
    const char *p = text;
    if (*p == '+' || *p == '-')
        p++;
    const char *digits = p;
    while (*p >= '0' && *p <= '9')
        p++;
    size_t count = static_cast<size_t>(p - digits);
    if (*p == '.') {
        p++;
        const char *fraction = p;
        while (*p >= '0' && *p <= '9')
            p++;
        count += static_cast<size_t>(p - fraction);
    }
    if (count == 0)
        return 0.0;
    if (*p == 'e' || *p == 'E') {
        const char *q = p + 1;
        if (*q == '+' || *q == '-')
            q++;
        if (*q >= '0' && *q <= '9') {
            while (*q >= '0' && *q <= '9')
                q++;
            p = q;
        }
    }
    char number[sizeof line_buf];
    size_t length = static_cast<size_t>(p - text);
    std::memcpy(number, text, length);
    number[length] = '\0';
    return std::strtod(number, nullptr);
}

// An integer: optional sign, digits up to the first other character; no digits
// read as 0. Values beyond an int stop at its limits.
static int integer_reading(const char *text)
{
    const char *p = text;
    bool negative = *p == '-';
    if (*p == '+' || *p == '-')
        p++;
    long long value = 0;
    while (*p >= '0' && *p <= '9') {
        if (value <= INT_MAX)
            value = value * 10 + (*p - '0');
        p++;
    }
    if (negative)
        value = -value;
    if (value > INT_MAX)
        return INT_MAX;
    if (value < INT_MIN)
        return INT_MIN;
    return static_cast<int>(value);
}

// A value that a float holds without overflow.
static bool fits_float(double value) { return std::fabs(value) <= FLT_MAX; }

static void start_record(uint8_t kind)
{
    next_rec->kind = kind;
    next_rec->action = action_code;
    // The record holds 16 bits; a later line keeps the largest number it can.
    next_rec->line_no = static_cast<uint16_t>(line_number < UINT16_MAX ? line_number : UINT16_MAX);
}

static void store_rule()
{
    next_rec++;
    rule_lines++;
}

// destin and source.
static int call_rule(uint8_t kind)
{
    bool destin = kind == kind_destin;
    char *word = line_word(" \t,#/;");
    if (word == nullptr)
        return destin ? fail(-11, "missing Destination") : fail(-13, "missing Source");
    if (after_comment(word))
        return destin ? fail(-8, "missing Destination string") : fail(-12, "missing Source string");
    start_record(kind);
    if (word[0] == '*') {
        next_rec->action |= mod_any | mod_prefix;
        store_rule();
        return 0;
    }
    if (char *star = std::strchr(word, '*')) {
        next_rec->action |= mod_prefix;
        *star = '\0';
    } else if (char *dash = std::strchr(word, '-')) {
        *dash = '\0';
        int ssid = integer_reading(dash + 1);
        if (ssid < 0 || ssid > 15) {
            print_msg("\a\aError: %s[%d]: invalid SSID range [0..15]: %d:\n%s\n", file_name,
                      static_cast<int>(line_number), ssid, line_copy);
            return -9;
        }
        next_rec->action |= mod_ssid;
        next_rec->args[1][0] = static_cast<uint8_t>(ssid);
    }
    size_t length = std::strlen(word);
    if (length > rule_call_size) {
        print_msg("\a\aError: %s[%d]: %s is too long: %s:\n%s\n", file_name, static_cast<int>(line_number),
                  destin ? "Destination" : "Source", word, line_copy);
        return destin ? -10 : -11;
    }
    std::memcpy(next_rec->args[0], word, length);
    store_rule();
    return 0;
}

// One position argument read with dmctodeg, within -limit..limit.
struct angle_arg {
    const char *delimiters;
    int none_code;
    int comment_code;
    const char *missing;
    int range_code;
    const char *range;
    double low;
    double high;
};

// 0 and the value in *value, or the failure code. A first argument begins
// the record (begin_kind) once its word is there.
static int read_angle(const angle_arg &arg, double *value, uint8_t begin_kind = 0)
{
    char *word = line_word(arg.delimiters);
    if (word == nullptr)
        return fail(arg.none_code, arg.missing);
    if (after_comment(word))
        return fail(arg.comment_code, arg.missing);
    if (begin_kind != 0)
        start_record(begin_kind);
    *value = dmctodeg(word);
    if (*value < arg.low || *value > arg.high)
        return fail_value(arg.range_code, arg.range, *value);
    return 0;
}

static const char lat_end[] = "\t,";
static const char lon_end[] = "\t,#/;";

static int circle_rule()
{
    char *word = line_word(" \t,");
    if (word == nullptr)
        return fail(-25, "missing Radius");
    if (after_comment(word))
        return fail(-14, "missing Range");
    start_record(kind_circle);
    double radius = plain_number(word);
    // Checked as stored too: a float must hold it and it must not round to 0.
    if (!(radius > 0) || !fits_float(radius) || !(static_cast<float>(radius) > 0))
        return fail_value(-16, "invalid Circle Radius, must be > 0", radius);
    rule_set_float(*next_rec, 1, static_cast<float>(radius));
    double lat, lon;
    int rc = read_angle({lat_end, -24, -17, "missing Latitude", -19, "invalid Latitude range [-90..90]", -90, 90}, &lat);
    if (rc)
        return rc;
    rule_set_float(*next_rec, 2, static_cast<float>(lat));
    rc = read_angle({lon_end, -23, -20, "missing Longitude", -22, "invalid Longitude range [-180..180]", -180, 180},
                    &lon);
    if (rc)
        return rc;
    rule_set_float(*next_rec, 3, static_cast<float>(lon));
    store_rule();
    return 0;
}

static int compass_rule()
{
    char *word = line_word(" \t,");
    if (word == nullptr)
        return fail(-37, "missing Compass Direction");
    if (after_comment(word))
        return fail(-26, "missing Direction");
    int dir = 0;
    for (int i = 1; i < compass_count && dir == 0; i++)
        if (strcasecmp(word, compass_names[i]) == 0)
            dir = i;
    if (dir == 0) {
        print_msg("\a\aError: %s[%d]: invalid compass Direction %s:\n%s\n", file_name,
                  static_cast<int>(line_number), word, line_copy);
        return -27;
    }
    start_record(kind_compass);
    next_rec->args[0][0] = static_cast<uint8_t>(dir);
    double lat, lon;
    int rc = read_angle({lat_end, -36, -29, "missing Latitude", -31, "invalid Latitude range [-90..90]", -90, 90}, &lat);
    if (rc)
        return rc;
    rule_set_float(*next_rec, 2, static_cast<float>(lat));
    rc = read_angle({lon_end, -35, -32, "missing Longitude", -34, "invalid Longitude range [-180..180]", -180, 180},
                    &lon);
    if (rc)
        return rc;
    rule_set_float(*next_rec, 3, static_cast<float>(lon));
    store_rule();
    return 0;
}

static int rectangle_rule()
{
    static const angle_arg corners[4] = {
        {lat_end, -53, -38, "missing Latitude1", -40, "invalid Latitude1 range [-90..90]", -90, 90},
        {lat_end, -52, -41, "missing Longitude1", -43, "invalid Longitude1 range [-180..180]", -180, 180},
        {lat_end, -51, -44, "missing Latitude2", -46, "invalid Latitude2 range [-90..90]", -90, 90},
        {lon_end, -50, -47, "missing Longitude2", -49, "invalid Longitude2 range [-180..180]", -180, 180},
    };
    for (int i = 0; i < 4; i++) {
        double value;
        int rc = read_angle(corners[i], &value, i == 0 ? kind_rectangle : 0);
        if (rc)
            return rc;
        rule_set_float(*next_rec, i + 1, static_cast<float>(value));
    }
    store_rule();
    return 0;
}

static int sector_rule()
{
    double angle1, angle2;
    int rc = read_angle({lat_end, -69, -54, "missing Angle1", -57, "invalid Angle1, range [0..360]", 0, 360}, &angle1,
                        kind_sector);
    if (rc)
        return rc;
    rule_set_float(*next_rec, 1, static_cast<float>(angle1));
    rc = read_angle({lat_end, -68, -58, "missing Angle2", -60, "invalid Angle2, range [0..360]", 0, 360}, &angle2);
    if (rc)
        return rc;
    rule_set_float(*next_rec, 2, static_cast<float>(angle2));

    char *word = line_word(" \t,#/;");
    if (word == nullptr)
        return fail(-67, "missing Inner Range");
    if (after_comment(word))
        return fail(-61, "missing Inner Range");
    if (word[0] < '0' || word[0] > '9')
        return fail(-62, "invalid or missing Inner Range");
    double inner = plain_number(word);
    if (!fits_float(inner))
        return fail(-62, "invalid or missing Inner Range");
    float stored_inner = static_cast<float>(inner);
    rule_set_float(*next_rec, 3, stored_inner);

    word = line_word(" \t,#/;");
    if (word != nullptr && !after_comment(word)) {
        double outer = plain_number(word);
        // Compared as stored, so that the outer range stays above the inner one.
        if (!fits_float(outer) || !(static_cast<float>(outer) > stored_inner))
            return fail_value(-66, "invalid Outer Range, must be > Inner Range", outer);
        rule_set_float(*next_rec, 4, static_cast<float>(outer));
    }
    store_rule();
    return 0;
}

static int implicit_rule()
{
    conf_image.implicit_action = action_code == action_drop ? implicit_drop : implicit_pass;
    implicit_lines++;
    rule_lines++;
    return 0;
}

// One line already in line_buf: 0 when it is accepted or skipped.
static int process_line()
{
    size_t pos = std::strcspn(line_buf, comment_chars);
    comment_pos = line_buf[pos] != '\0' ? pos : no_comment;
    words_start();

    char *word = line_word(" \t,");
    if (word == nullptr || std::strchr(comment_chars, word[0]) != nullptr)
        return 0;

    const rule_action_row *action = nullptr;
    for (const rule_action_row &row : rule_actions)
        if (strcasecmp(word, row.word) == 0) {
            action = &row;
            break;
        }
    if (action == nullptr) {
        print_msg("\a\aError: %s[%d]: action %s invalid:\n%s\n", file_name, static_cast<int>(line_number), word,
                  line_copy);
        return -3;
    }
    if (action->code != action_drop && action->code != action_pass) {
        print_msg("\a\aInternal Error: processing error 1: %s[%d]:\n%s\n", file_name,
                  static_cast<int>(line_number), line_copy);
        return -4;
    }
    action_code = static_cast<uint8_t>(action->code);

    word = line_word(" \t,");
    if (word == nullptr)
        return fail(-71, "missing arguments");
    if (std::strchr(comment_chars, word[0]) != nullptr)
        return fail(-5, "missing command");

    if (rule_lines >= rule_max) {
        print_msg("\a\aError: %s[%d]: rule limit (%d) exceeded:\n%s\n", file_name, static_cast<int>(line_number),
                  rule_max, line_copy);
        return -6;
    }

    size_t length = std::strlen(word);
    int matches = 0;
    const rule_cmd_row *cmd = nullptr;
    for (const rule_cmd_row &row : rule_cmds)
        if (std::strlen(row.name) >= length && strncasecmp(row.name, word, length) == 0) {
            matches++;
            cmd = &row;
        }
    if (matches > 1) {
        print_msg("\a\aError: %s[%d]: Ambiguous command: %d:\n%s\n", file_name, static_cast<int>(line_number),
                  matches, line_copy);
        return -7;
    }
    if (matches == 0) {
        print_msg("\a\aError: %s[%d]: command %s invalid:\n%s\n", file_name, static_cast<int>(line_number), word,
                  line_copy);
        return -7;
    }

    switch (cmd->code) {
    case kind_implicit:
        return implicit_rule();
    case kind_destin:
    case kind_source:
        return call_rule(static_cast<uint8_t>(cmd->code));
    case kind_circle:
        return circle_rule();
    case kind_compass:
        return compass_rule();
    case kind_rectangle:
        return rectangle_rule();
    case kind_sector:
        return sector_rule();
    default:
        print_msg("\a\aError: Internal processing error 2: %s[%d]:\n%s\n", file_name,
                  static_cast<int>(line_number), line_copy);
        return -70;
    }
}

int rules_read(std::FILE *in, const char *name)
{
    file = in;
    file_name = name;
    line_read_begin();
    conf_image.implicit_action = implicit_pass;
    rule_lines = 0;
    conf_image.rule_count = 0;
    rules_processed = 0;
    implicit_lines = 0;
    line_number = 0;
    std::memset(rule_table, 0, sizeof rule_table);
    next_rec = rule_table;

    for (;;) {
        int got = line_read(file);
        if (line_number < INT32_MAX)
            line_number++;
        if (got == line_read_error) {
            print_msg("\a\aError: %s[%d]: read error: %s\n", file_name, static_cast<int>(line_number),
                      std::strerror(errno));
            return rules_read_failed;
        }
        if (got == line_end_of_file)
            break;
        int rc = process_line();
        if (rc != 0)
            return rc;
    }

    conf_image.rule_count = static_cast<uint16_t>(rule_lines - implicit_lines);
    rules_processed = 1;
    print_msg("Rules processed %d, implicit %d\n", static_cast<int>(conf_image.rule_count),
              static_cast<int>(implicit_lines));
    return 0;
}

int rules_process(const char *name)
{
    if (name == nullptr) {
        print_msg("rules_process: Error: param rfp is invalid\n");
        return -1;
    }
    std::FILE *in = open_input_file(name, "rb");
    if (in == nullptr) {
        print_msg("\a\aError: cannot open %s\n", name);
        return -2;
    }
    int rc = rules_read(in, name);
    std::fclose(in);
    return rc;
}

void cmd_rules()
{
    char *name = next_word(",\t");
    if (name == nullptr) {
        print_msg("\a\aError: missing argument: file_name\n");
        return;
    }
    if (rules_process(name) != 0)
        print_msg("\a\aError: Rule processing failed\n");
}
