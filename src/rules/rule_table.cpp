#include "rules/rule_table.h"

#include "config/conf_image.h"
#include "shell/console.h"

#include <cstdio>
#include <cstring>

const rule_cmd_row rule_cmds[rule_cmd_count] = {
    {"implicit", kind_implicit},
    {"destin", kind_destin},
    {"dst", kind_destin},
    {"source", kind_source},
    {"src", kind_source},
    {"circle", kind_circle},
    {"compass", kind_compass},
    {"rectangle", kind_rectangle},
    {"sector", kind_sector},
};

const rule_action_row rule_actions[rule_action_count] = {
    {"drop", action_drop},
    {"d", action_drop},
    {"pass", action_pass},
    {"p", action_pass},
};

const char *const compass_names[compass_count] = {"Error", "N", "NE", "E", "SE", "S", "SW", "W", "NW"};

rule_rec rule_table[rule_max];

float rule_get_float(const rule_rec &rec, int n)
{
    float value;
    std::memcpy(&value, rec.args[n - 1], sizeof value);
    return value;
}

void rule_set_float(rule_rec &rec, int n, float value)
{
    std::memcpy(rec.args[n - 1], &value, sizeof value);
}

const char *rule_cmd_name(int code)
{
    for (const rule_cmd_row &row : rule_cmds)
        if (row.code == code)
            return row.name;
    return "?";
}

// Each argument text of a row holds at most 19 characters.
constexpr size_t arg_text_size = 20;

namespace {

// A radius or range: "%-.3f" followed by the label, or, when that would not
// fit (values from about 1e9 up), the same in exponent form.
void format_amount(char *text, float value, const char *label)
{
    int n = std::snprintf(text, arg_text_size, "%-.3f%s", static_cast<double>(value), label);
    if (n < 0 || static_cast<size_t>(n) >= arg_text_size)
        std::snprintf(text, arg_text_size, "%.3e%s", static_cast<double>(value), label);
}

void format_call(char *text, const rule_rec &rec)
{
    char call[rule_call_size + 1];
    std::memcpy(call, rec.args[0], rule_call_size);
    call[rule_call_size] = '\0';
    int mods = rec.action & ~action_mask;
    if (mods & mod_any)
        std::snprintf(text, arg_text_size, "*");
    else if (mods & mod_prefix)
        std::snprintf(text, arg_text_size, "%-*s*", rule_call_size, call);
    else if (mods & mod_ssid)
        std::snprintf(text, arg_text_size, "%-*s-%d", rule_call_size, call, rec.args[1][0]);
    else
        std::snprintf(text, arg_text_size, "%-*s", rule_call_size, call);
}

void display_rule(const rule_rec &rec)
{
    char t[4][arg_text_size] = {};
    double f1 = rule_get_float(rec, 1), f2 = rule_get_float(rec, 2);
    double f3 = rule_get_float(rec, 3), f4 = rule_get_float(rec, 4);

    switch (rec.kind) {
    case kind_destin:
    case kind_source:
        format_call(t[0], rec);
        break;
    case kind_circle:
        format_amount(t[0], rule_get_float(rec, 1), " mi R,");
        std::snprintf(t[1], arg_text_size, "%-10.6f D Lat,", f2);
        std::snprintf(t[2], arg_text_size, "%-11.5f D Lon", f3);
        break;
    case kind_compass: {
        int dir = rec.args[0][0];
        const char *name = dir >= 1 && dir < compass_count ? compass_names[dir] : compass_names[0];
        std::snprintf(t[0], arg_text_size, "%-2s Dir,", name);
        std::snprintf(t[1], arg_text_size, "%-10.6f D Lat,", f2);
        std::snprintf(t[2], arg_text_size, "%-11.5f D Lon", f3);
        break;
    }
    case kind_rectangle:
        std::snprintf(t[0], arg_text_size, "%-10.6f D Lat1,", f1);
        std::snprintf(t[1], arg_text_size, "%-11.5f D Lon1,", f2);
        std::snprintf(t[2], arg_text_size, "%-10.6f D Lat2,", f3);
        std::snprintf(t[3], arg_text_size, "%-11.5f D Lon2", f4);
        break;
    case kind_sector:
        std::snprintf(t[0], arg_text_size, "%-.3f D Ang1,", f1);
        std::snprintf(t[1], arg_text_size, "%-.3f D Ang2,", f2);
        format_amount(t[2], rule_get_float(rec, 3), " In R,");
        format_amount(t[3], rule_get_float(rec, 4), " Out R");
        break;
    default:
        break;
    }

    int code = rec.action & action_mask;
    const char *action = code == action_pass ? "Pass" : code == action_drop ? "Drop" : "?";
    print_msg("%-6s %-9s %02x   %s %s %s %s\n", action, rule_cmd_name(rec.kind), rec.action & ~action_mask & 0xFF,
              t[0], t[1], t[2], t[3]);
}

} // namespace

void rules_display()
{
    if (conf_image.rule_count == 0) {
        const char *action = conf_image.implicit_action == implicit_drop   ? "Drop"
                             : conf_image.implicit_action == implicit_pass ? "Pass"
                                                                           : "?";
        print_msg("No Rules are configured!  Implicit Rule Action is %s\n", action);
        return;
    }
    print_msg("Rule count %d plus Implicit\n", conf_image.rule_count);
    print_msg("\n%-6s %-9s %-s Arguments\n", "Action", "Command", "Mods");
    print_msg("%-6s %-9s\n", conf_image.implicit_action == implicit_drop ? "Drop" : "Pass", "Implicit");
    // The table holds no more than rule_max records, whatever the count says.
    int count = conf_image.rule_count < rule_max ? conf_image.rule_count : rule_max;
    for (int i = 0; i < count; i++)
        display_rule(rule_table[i]);
}
