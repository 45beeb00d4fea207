#include "config/conf_reader.h"

#include "angles/angles.h"
#include "config/conf_image.h"
#include "link/baud.h"
#include "shell/console.h"
#include "shell/lines.h"
#include "shell/state.h"
#include "shell/words.h"

#include <cerrno>
#include <cstring>
#include <iterator>

namespace {

enum conf_item {
    item_dstar = 2,
    item_tnc = 3,
    item_host = 4,
    item_call = 9,
    item_ssid = 10,
    item_position = 11,
    item_widemax = 14,
    item_widetotal = 15,
    item_haltonerr = 16,
    item_dropmangld = 17,
    item_fixvalid = 18,
    item_relay = 19,
    item_nsr = 20,
    item_log = 32,
    item_dupewin = 34,
    item_digipath = 35,
};

struct conf_keyword {
    const char *keyword;
    int item;
};

constexpr conf_keyword conf_keywords[] = {
    {"call", item_call},           {"ssid", item_ssid},         {"position", item_position},
    {"base", item_position},       {"log", item_log},           {"dropmangld", item_dropmangld},
    {"haltonerr", item_haltonerr}, {"fixvalid", item_fixvalid}, {"host", item_host},
    {"tnc", item_tnc},             {"dstar", item_dstar},       {"nsr", item_nsr},
    {"relay", item_relay},         {"widemax", item_widemax},   {"widetotal", item_widetotal},
    {"dupewin", item_dupewin},     {"digipath", item_digipath},
};
static_assert(std::size(conf_keywords) == 17);

// Result codes of conf_process.
constexpr int conf_no_name = -1;
constexpr int conf_cannot_open = -2;
constexpr int conf_read_failed = -3;
constexpr int conf_nul_byte = -4;
constexpr int conf_stray_cr = -5;
constexpr int conf_bad_keyword = -7;
constexpr int conf_in_comment = -8;
constexpr int conf_bad_argument = -11;
constexpr int conf_no_handler = -70;

constexpr const char *keyword_delims = " \t,";
constexpr const char *argument_delims = "#/; \t,";
constexpr const char *digi_path_delims = "#/; \t";

constexpr int call_max = 6;
constexpr int digi_component_max = 8;
constexpr int digi_slots = 8;
constexpr int wide_limit = 6;

int line_number;

// The next argument of the line, or nullptr after the "missing" message with
// its code in *result: -11 when there is none, -8 when it stands only inside
// the line's comment.
char *take_argument(const char *what, const char *delimiters, int *result)
{
    char *token = line_word(delimiters);
    if (token == nullptr || after_comment(token)) {
        print_msg("\a\aError: line %d: missing %s argument: %s\n", line_number, what, line_copy);
        *result = token == nullptr ? conf_bad_argument : conf_in_comment;
        return nullptr;
    }
    return token;
}

int take_baud(uint32_t *field)
{
    int result;
    const char *token = take_argument("Baud", argument_delims, &result);
    if (token == nullptr)
        return result;
    int baud = read_int(token, int_skip_blanks);
    if (get_baud(baud) == nullptr) {
        print_msg("\a\aError: line %d: invalid Baud argument: %d: %s\n", line_number, baud, line_copy);
        return conf_bad_argument;
    }
    *field = static_cast<uint32_t>(baud);
    return 0;
}

int take_call()
{
    int result;
    const char *token = take_argument("Call Sign", argument_delims, &result);
    if (token == nullptr)
        return result;
    size_t length = std::strlen(token);
    if (length > call_max) {
        print_msg("\a\aError: line %d: invalid Call Sign argument: too long: %s\n", line_number, line_copy);
        return conf_bad_argument;
    }
    // Over the start of the field with its zero byte; the tail stays.
    for (size_t i = 0; i <= length; i++)
        conf_image.call[i] = ascii_upper(token[i]);
    return 0;
}

int take_position()
{
    // The latitude ends only at a blank, tab or comma: a comment character
    // does not end it and is left for dmctodeg to refuse.
    const char *token = line_word(keyword_delims);
    if (token == nullptr) {
        print_msg("\a\aError: line %d: missing Station Latitude argument: %s\n", line_number, line_copy);
        return conf_bad_argument;
    }
    double lat = dmctodeg(token);
    if (lat == angle_error) {
        print_msg("\a\aError: line %d: invalid Station Latitude argument: %s: %s\n", line_number, token,
                  line_copy);
        return conf_bad_argument;
    }
    conf_image.base_lat = static_cast<float>(lat);

    int result;
    token = take_argument("Station Longitude", argument_delims, &result);
    if (token == nullptr)
        return result;
    double lon = dmctodeg(token);
    if (lon == angle_error) {
        print_msg("\a\aError: line %d: invalid Station Longitude argument: %s: %s\n", line_number, token,
                  line_copy);
        return conf_bad_argument;
    }
    conf_image.base_lon = static_cast<float>(lon);
    return 0;
}

// A whole number in low..high (SSID, n, seconds).
int take_number(const char *what, uint16_t *field, int low, int high, bool prefixed)
{
    int result;
    const char *token = take_argument(what, argument_delims, &result);
    if (token == nullptr)
        return result;
    int value = read_int(token, int_skip_blanks | (prefixed ? int_prefixed : 0));
    if (value < low || value > high) {
        print_msg("\a\aError: line %d: invalid %s argument range [%d..%d]: %d: %s\n", line_number, what, low,
                  high, value, line_copy);
        return conf_bad_argument;
    }
    *field = static_cast<uint16_t>(value);
    return 0;
}

int take_flag(uint16_t *field)
{
    int result;
    const char *token = take_argument("y | n", argument_delims, &result);
    if (token == nullptr)
        return result;
    *field = std::strchr("1tTyYeE", token[0]) != nullptr ? 1 : 0;
    return 0;
}

int take_digi_path()
{
    int result;
    char *token = take_argument("Digi Path", digi_path_delims, &result);
    if (token == nullptr)
        return result;
    std::memset(conf_image.digi_path, 0, sizeof conf_image.digi_path);
    // The count follows the slots as they fill, so it never names a cleared one.
    digi_path_count = 0;
    int component = 0;
    char *p = token;
    while (digi_path_count < digi_slots) {
        p += std::strspn(p, ",");
        if (*p == '\0')
            break;
        char *piece = p;
        size_t length = std::strcspn(piece, ",");
        p += length;
        if (*p != '\0')
            *p++ = '\0';
        component++;
        if (length > digi_component_max) {
            print_msg("\a\aError: line %d: Digi Path component %d: %s exceeds length %d: %s\n", line_number,
                      component, piece, digi_component_max, line_copy);
            return conf_bad_argument;
        }
        for (size_t i = 0; i < length; i++)
            conf_image.digi_path[digi_path_count][i] = ascii_upper(piece[i]);
        digi_path_count++;
    }
    return 0;
}

int run_item(int item)
{
    conf_image_t &c = conf_image;
    switch (item) {
    case item_call:
        return take_call();
    case item_ssid:
        return take_number("SSID", &c.ssid, 0, 15, true);
    case item_position:
        return take_position();
    case item_log:
        return take_flag(&c.log_port);
    case item_dropmangld:
        return take_flag(&c.drop_mangled);
    case item_haltonerr:
        return take_flag(&c.halt_on_error);
    case item_fixvalid:
        return take_flag(&c.fix_valid);
    case item_nsr:
        return take_flag(&c.nsr);
    case item_relay:
        return take_flag(&c.relay);
    case item_host:
        return take_baud(&c.host_baud);
    case item_tnc:
        return take_baud(&c.tnc_baud);
    case item_dstar:
        return take_baud(&c.dstar_baud);
    case item_widemax:
        return take_number("n", &c.wide_max, 1, wide_limit, false);
    case item_widetotal:
        return take_number("n", &c.wide_total, 1, wide_limit, false);
    case item_dupewin:
        return take_number("seconds", &c.dupe_window, 5, 500, false);
    case item_digipath:
        return take_digi_path();
    default:
        print_msg("\a\aError: internal processing error 2: line %d: %s\n", line_number, line_copy);
        return conf_no_handler;
    }
}

// One line in line_buf: 0 to go on, or the code of its failure.
int process_line(int length, int *items)
{
    // Binary content: a NUL byte would hide the rest of the line.
    if (std::memchr(line_buf, '\0', static_cast<size_t>(length)) != nullptr) {
        print_msg("\a\aError: line %d: line holds a NUL byte: %s\n", line_number, line_copy);
        return conf_nul_byte;
    }
    // A CR belongs to the line end only right before the LF: any other one
    // ends a line the reader would otherwise take for part of this one.
    if (const void *cr = std::memchr(line_buf, '\r', static_cast<size_t>(length))) {
        int shown = static_cast<int>(static_cast<const char *>(cr) - line_buf);
        print_msg("\a\aError: line %d: carriage return without line feed after: %.*s\n", line_number, shown,
                  line_copy);
        return conf_stray_cr;
    }
    line_words_begin();

    const char *token = line_word(keyword_delims);
    if (token == nullptr || std::strchr("#/;", token[0]) != nullptr)
        return 0;

    int found = -1;
    int matches = 0;
    for (int i = 0; i < static_cast<int>(std::size(conf_keywords)); i++) {
        if (prefix_matches(token, conf_keywords[i].keyword)) {
            matches++;
            found = i;
        }
    }
    if (matches > 1) {
        print_msg("\a\aError: line %d: Ambiguous command: %s: %s\n", line_number, token, line_copy);
        return conf_bad_keyword;
    }
    if (matches == 0) {
        print_msg("\a\aError: line %d: command %s invalid: %s\n", line_number, token, line_copy);
        return conf_bad_keyword;
    }
    ++*items;
    return run_item(conf_keywords[found].item);
}

} // namespace

int conf_process(const char *file_name)
{
    if (file_name == nullptr) {
        print_msg("conf_process: Error: param rfp is invalid\n");
        return conf_no_name;
    }
    // Binary mode: line ends are handled by line_read on every platform, and
    // no byte of the file ends the reading early.
    std::FILE *file = open_input_file(file_name, "rb");
    if (file == nullptr) {
        print_msg("\a\aError: cannot open %s\n", file_name);
        return conf_cannot_open;
    }

    int result = conf_read(file, file_name);
    std::fclose(file);
    return result;
}

int conf_read(std::FILE *file, const char *file_name)
{
    uint16_t rule_count = conf_image.rule_count;
    uint16_t implicit_action = conf_image.implicit_action;
    conf_reset();
    conf_image.rule_count = rule_count;
    conf_image.implicit_action =
        implicit_action == implicit_drop || implicit_action == implicit_pass ? implicit_action : implicit_pass;

    line_read_begin();
    line_number = 0;
    int items = 0;
    int result = 0;
    for (;;) {
        int length = line_read(file);
        if (length == line_end_of_file)
            break;
        if (length == line_read_error) {
            print_msg("\a\aError: line %d: cannot read %s: %s\n", line_number + 1, file_name,
                      std::strerror(errno));
            result = conf_read_failed;
            break;
        }
        line_number++;
        result = process_line(length, &items);
        if (result != 0)
            break;
    }
    if (result == 0) {
        conf_processed = 1;
        print_msg("Configuration items processed %d\n", items);
    }
    return result;
}

void cmd_configure()
{
    const char *file_name = next_word(",\t");
    if (file_name == nullptr) {
        print_msg("\a\aError: missing argument: file_name\n");
        return;
    }
    if (conf_process(file_name) != 0)
        print_msg("\a\aError: Configuration processing failed\n");
}
