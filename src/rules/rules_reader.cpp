#include "rules/rules_reader.h"

#include "angles/angles.h"
#include "config/conf_image.h"
#include "rules/rule_table.h"
#include "shell/console.h"
#include "shell/lines.h"
#include "shell/state.h"
#include "shell/words.h"

#include <cerrno>
#include <cfloat>
#include <climits>
#include <cmath>
#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <strings.h>

// Result codes of a reading, one for each way a line can fail.
enum rules_result {
    rr_no_name = -1,
    rr_cannot_open = -2,
    rr_bad_action = -3,
    rr_action_not_handled = -4,
    rr_missing_command = -5,
    rr_rule_limit = -6,
    rr_bad_command = -7,
    rr_destin_in_comment = -8,
    rr_bad_ssid = -9,
    rr_destin_too_long = -10,
    rr_no_destin = -11,
    rr_source_too_long = -11,
    rr_source_in_comment = -12,
    rr_no_source = -13,
    rr_range_in_comment = -14,
    rr_bad_radius = -16,
    rr_circle_lat_in_comment = -17,
    rr_circle_lat_range = -19,
    rr_circle_lon_in_comment = -20,
    rr_circle_lon_range = -22,
    rr_circle_no_lon = -23,
    rr_circle_no_lat = -24,
    rr_no_radius = -25,
    rr_direction_in_comment = -26,
    rr_bad_direction = -27,
    rr_compass_lat_in_comment = -29,
    rr_compass_lat_range = -31,
    rr_compass_lon_in_comment = -32,
    rr_compass_lon_range = -34,
    rr_compass_no_lon = -35,
    rr_compass_no_lat = -36,
    rr_no_direction = -37,
    rr_lat1_in_comment = -38,
    rr_lat1_range = -40,
    rr_lon1_in_comment = -41,
    rr_lon1_range = -43,
    rr_lat2_in_comment = -44,
    rr_lat2_range = -46,
    rr_lon2_in_comment = -47,
    rr_lon2_range = -49,
    rr_no_lon2 = -50,
    rr_no_lat2 = -51,
    rr_no_lon1 = -52,
    rr_no_lat1 = -53,
    rr_angle1_in_comment = -54,
    rr_angle1_range = -57,
    rr_angle2_in_comment = -58,
    rr_angle2_range = -60,
    rr_inner_in_comment = -61,
    rr_bad_inner = -62,
    rr_bad_outer = -66,
    rr_no_inner = -67,
    rr_no_angle2 = -68,
    rr_no_angle1 = -69,
    rr_kind_not_handled = -70,
    rr_missing_arguments = -71,
    rr_nul_byte = -73,
    rr_stray_cr = -74,
};
static_assert(rules_read_failed == -72);

namespace {

// Working state of one reading.
const char *file_name;
std::FILE *file;
int32_t line_number; // counts up to INT32_MAX and stays there
int32_t rule_lines;
int32_t implicit_lines;
rule_rec *next_rec;
uint8_t action_code;

const char comment_chars[] = "#/;";

// "\a\aError: file[line]: text:\n" and the line.
int fail(int code, const char *text)
{
    print_msg("\a\aError: %s[%d]: %s:\n%s\n", file_name, static_cast<int>(line_number), text, line_copy);
    return code;
}

// The same with the number that was read.
int fail_value(int code, const char *text, double value)
{
    print_msg("\a\aError: %s[%d]: %s: %f:\n%s\n", file_name, static_cast<int>(line_number), text, value,
              line_copy);
    return code;
}

// A plain decimal number: optional sign, digits with an optional fraction,
// an optional exponent. Text that does not begin with a number reads as 0;
// nothing else (no blanks, hexadecimal, infinity or NaN) is taken.
double plain_number(const char *text)
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

// A value that a float holds without overflow.
bool fits_float(double value) { return std::fabs(value) <= FLT_MAX; }

void start_record(uint8_t kind)
{
    next_rec->kind = kind;
    next_rec->action = action_code;
    // The record holds 16 bits; a later line keeps the largest number it can.
    next_rec->line_no = static_cast<uint16_t>(line_number < UINT16_MAX ? line_number : UINT16_MAX);
}

void store_rule()
{
    next_rec++;
    rule_lines++;
}

// destin and source.
int call_rule(uint8_t kind)
{
    bool destin = kind == kind_destin;
    char *word = line_word(" \t,#/;");
    if (word == nullptr)
        return destin ? fail(rr_no_destin, "missing Destination") : fail(rr_no_source, "missing Source");
    if (after_comment(word))
        return destin ? fail(rr_destin_in_comment, "missing Destination string") : fail(rr_source_in_comment, "missing Source string");
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
        int ssid = read_int(dash + 1, int_decimal);
        if (ssid < 0 || ssid > 15) {
            print_msg("\a\aError: %s[%d]: invalid SSID range [0..15]: %d:\n%s\n", file_name,
                      static_cast<int>(line_number), ssid, line_copy);
            return rr_bad_ssid;
        }
        next_rec->action |= mod_ssid;
        next_rec->args[1][0] = static_cast<uint8_t>(ssid);
    }
    size_t length = std::strlen(word);
    if (length > rule_call_size) {
        print_msg("\a\aError: %s[%d]: %s is too long: %s:\n%s\n", file_name, static_cast<int>(line_number),
                  destin ? "Destination" : "Source", word, line_copy);
        return destin ? rr_destin_too_long : rr_source_too_long;
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
int read_angle(const angle_arg &arg, double *value, uint8_t begin_kind = 0)
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

const char lat_end[] = "\t,";
const char lon_end[] = "\t,#/;";

// The latitude and longitude that end a circle or compass rule, into the
// record's third and fourth values; the rule is stored when both are good.
int position_tail(const angle_arg &lat_arg, const angle_arg &lon_arg)
{
    double lat, lon;
    int rc = read_angle(lat_arg, &lat);
    if (rc)
        return rc;
    rule_set_float(*next_rec, 2, static_cast<float>(lat));
    rc = read_angle(lon_arg, &lon);
    if (rc)
        return rc;
    rule_set_float(*next_rec, 3, static_cast<float>(lon));
    store_rule();
    return 0;
}

int circle_rule()
{
    char *word = line_word(" \t,");
    if (word == nullptr)
        return fail(rr_no_radius, "missing Radius");
    if (after_comment(word))
        return fail(rr_range_in_comment, "missing Range");
    start_record(kind_circle);
    double radius = plain_number(word);
    // Checked as stored too: a float must hold it and it must not round to 0.
    if (!(radius > 0) || !fits_float(radius) || !(static_cast<float>(radius) > 0))
        return fail_value(rr_bad_radius, "invalid Circle Radius, must be > 0", radius);
    rule_set_float(*next_rec, 1, static_cast<float>(radius));
    return position_tail({lat_end, rr_circle_no_lat, rr_circle_lat_in_comment, "missing Latitude", rr_circle_lat_range,
                          "invalid Latitude range [-90..90]", -90, 90},
                         {lon_end, rr_circle_no_lon, rr_circle_lon_in_comment, "missing Longitude",
                          rr_circle_lon_range, "invalid Longitude range [-180..180]", -180, 180});
}

int compass_rule()
{
    char *word = line_word(" \t,");
    if (word == nullptr)
        return fail(rr_no_direction, "missing Compass Direction");
    if (after_comment(word))
        return fail(rr_direction_in_comment, "missing Direction");
    int dir = 0;
    for (int i = 1; i < compass_count && dir == 0; i++)
        if (strcasecmp(word, compass_names[i]) == 0)
            dir = i;
    if (dir == 0) {
        print_msg("\a\aError: %s[%d]: invalid compass Direction %s:\n%s\n", file_name,
                  static_cast<int>(line_number), word, line_copy);
        return rr_bad_direction;
    }
    start_record(kind_compass);
    next_rec->args[0][0] = static_cast<uint8_t>(dir);
    return position_tail({lat_end, rr_compass_no_lat, rr_compass_lat_in_comment, "missing Latitude",
                          rr_compass_lat_range, "invalid Latitude range [-90..90]", -90, 90},
                         {lon_end, rr_compass_no_lon, rr_compass_lon_in_comment, "missing Longitude",
                          rr_compass_lon_range, "invalid Longitude range [-180..180]", -180, 180});
}

int rectangle_rule()
{
    const angle_arg corners[4] = {
        {lat_end, rr_no_lat1, rr_lat1_in_comment, "missing Latitude1", rr_lat1_range, "invalid Latitude1 range [-90..90]", -90, 90},
        {lat_end, rr_no_lon1, rr_lon1_in_comment, "missing Longitude1", rr_lon1_range, "invalid Longitude1 range [-180..180]", -180, 180},
        {lat_end, rr_no_lat2, rr_lat2_in_comment, "missing Latitude2", rr_lat2_range, "invalid Latitude2 range [-90..90]", -90, 90},
        {lon_end, rr_no_lon2, rr_lon2_in_comment, "missing Longitude2", rr_lon2_range, "invalid Longitude2 range [-180..180]", -180, 180},
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

int sector_rule()
{
    double angle1, angle2;
    int rc = read_angle({lat_end, rr_no_angle1, rr_angle1_in_comment, "missing Angle1", rr_angle1_range, "invalid Angle1, range [0..360]", 0, 360}, &angle1,
                        kind_sector);
    if (rc)
        return rc;
    rule_set_float(*next_rec, 1, static_cast<float>(angle1));
    rc = read_angle({lat_end, rr_no_angle2, rr_angle2_in_comment, "missing Angle2", rr_angle2_range, "invalid Angle2, range [0..360]", 0, 360}, &angle2);
    if (rc)
        return rc;
    rule_set_float(*next_rec, 2, static_cast<float>(angle2));

    char *word = line_word(" \t,#/;");
    if (word == nullptr)
        return fail(rr_no_inner, "missing Inner Range");
    if (after_comment(word))
        return fail(rr_inner_in_comment, "missing Inner Range");
    if (word[0] < '0' || word[0] > '9')
        return fail(rr_bad_inner, "invalid or missing Inner Range");
    double inner = plain_number(word);
    if (!fits_float(inner))
        return fail(rr_bad_inner, "invalid or missing Inner Range");
    float stored_inner = static_cast<float>(inner);
    rule_set_float(*next_rec, 3, stored_inner);

    word = line_word(" \t,#/;");
    if (word != nullptr && !after_comment(word)) {
        double outer = plain_number(word);
        // Compared as stored, so that the outer range stays above the inner one.
        if (!fits_float(outer) || !(static_cast<float>(outer) > stored_inner))
            return fail_value(rr_bad_outer, "invalid Outer Range, must be > Inner Range", outer);
        rule_set_float(*next_rec, 4, static_cast<float>(outer));
    }
    store_rule();
    return 0;
}

int implicit_rule()
{
    conf_image.implicit_action = action_code == action_drop ? implicit_drop : implicit_pass;
    implicit_lines++;
    rule_lines++;
    return 0;
}

// One line already in line_buf: 0 when it is accepted or skipped.
int process_line(int length)
{
    // A NUL byte would hide the rest of the line.
    if (std::memchr(line_buf, '\0', static_cast<size_t>(length)) != nullptr) {
        print_msg("\a\aError: %s[%d]: line holds a NUL byte:\n%s\n", file_name, static_cast<int>(line_number),
                  line_copy);
        return rr_nul_byte;
    }
    // A CR belongs to the line end only right before the LF: any other one
    // ends a line the reader would otherwise take for part of this one.
    if (const void *cr = std::memchr(line_buf, '\r', static_cast<size_t>(length))) {
        int shown = static_cast<int>(static_cast<const char *>(cr) - line_buf);
        print_msg("\a\aError: %s[%d]: carriage return without line feed after:\n%.*s\n", file_name,
                  static_cast<int>(line_number), shown, line_copy);
        return rr_stray_cr;
    }
    line_words_begin();

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
        return rr_bad_action;
    }
    if (action->code != action_drop && action->code != action_pass) {
        print_msg("\a\aInternal Error: processing error 1: %s[%d]:\n%s\n", file_name,
                  static_cast<int>(line_number), line_copy);
        return rr_action_not_handled;
    }
    action_code = static_cast<uint8_t>(action->code);

    word = line_word(" \t,");
    if (word == nullptr)
        return fail(rr_missing_arguments, "missing arguments");
    if (std::strchr(comment_chars, word[0]) != nullptr)
        return fail(rr_missing_command, "missing command");

    if (rule_lines >= rule_max) {
        print_msg("\a\aError: %s[%d]: rule limit (%d) exceeded:\n%s\n", file_name, static_cast<int>(line_number),
                  rule_max, line_copy);
        return rr_rule_limit;
    }

    int matches = 0;
    const rule_cmd_row *cmd = nullptr;
    for (const rule_cmd_row &row : rule_cmds)
        if (prefix_matches(word, row.name)) {
            matches++;
            cmd = &row;
        }
    if (matches > 1) {
        print_msg("\a\aError: %s[%d]: Ambiguous command: %d:\n%s\n", file_name, static_cast<int>(line_number),
                  matches, line_copy);
        return rr_bad_command;
    }
    if (matches == 0) {
        print_msg("\a\aError: %s[%d]: command %s invalid:\n%s\n", file_name, static_cast<int>(line_number), word,
                  line_copy);
        return rr_bad_command;
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
        return rr_kind_not_handled;
    }
}

} // namespace

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
        int rc = process_line(got);
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
        return rr_no_name;
    }
    std::FILE *in = open_input_file(name, "rb");
    if (in == nullptr) {
        print_msg("\a\aError: cannot open %s\n", name);
        return rr_cannot_open;
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
