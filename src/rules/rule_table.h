#pragma once

#include <cstddef>
#include <cstdint>

// One packet filter rule, 28 bytes, sent to the device exactly as it lies in
// memory. Every field is a byte or byte array except line_no, which sits on an
// even offset, so the record has no padding and an alignment of 2; the floats
// in the argument slots start at offsets 6 and 18 and are only ever reached
// through rule_get_float/rule_set_float.
struct rule_rec {
    uint8_t args[4][6]; // argument slots 1 to 4
    uint8_t kind;       // code of the command in rule_cmds
    uint8_t action;     // low half: action code; high half: mods (destin, source)
    uint16_t line_no;   // rules-file line that gave the rule, little-endian
};

static_assert(sizeof(rule_rec) == 28);
static_assert(offsetof(rule_rec, args) == 0);
static_assert(offsetof(rule_rec, args[0]) == 0);
static_assert(offsetof(rule_rec, args[1]) == 6);
static_assert(offsetof(rule_rec, args[2]) == 12);
static_assert(offsetof(rule_rec, args[3]) == 18);
static_assert(offsetof(rule_rec, kind) == 24);
static_assert(offsetof(rule_rec, action) == 25);
static_assert(offsetof(rule_rec, line_no) == 26);

// destin and source: the call sign fills slot 1, the SSID is byte 0 of slot 2.
constexpr int rule_call_size = 6;

// The float in the first 4 bytes of argument slot n (1..4).
float rule_get_float(const rule_rec &rec, int n);
void rule_set_float(rule_rec &rec, int n, float value);

// Kind codes.
constexpr uint8_t kind_implicit = 0x24;
constexpr uint8_t kind_destin = 0x25;
constexpr uint8_t kind_source = 0x26;
constexpr uint8_t kind_circle = 0x27;
constexpr uint8_t kind_compass = 0x28;
constexpr uint8_t kind_rectangle = 0x29;
constexpr uint8_t kind_sector = 0x2A;

// Action codes (low half of action) and mods bits (high half).
constexpr uint8_t action_drop = 4;
constexpr uint8_t action_pass = 8;
constexpr uint8_t action_mask = 0x0F;
constexpr uint8_t mod_prefix = 0x10;
constexpr uint8_t mod_any = 0x20;
constexpr uint8_t mod_ssid = 0x40;

struct rule_cmd_row {
    const char *name;
    int code;
};
constexpr int rule_cmd_count = 9;
extern const rule_cmd_row rule_cmds[rule_cmd_count];

struct rule_action_row {
    const char *word;
    int code;
};
constexpr int rule_action_count = 4;
extern const rule_action_row rule_actions[rule_action_count];

// Indexed by direction code 1..8, clockwise from north; 0 names a bad code.
constexpr int compass_count = 9;
extern const char *const compass_names[compass_count];

constexpr int rule_max = 100;
extern rule_rec rule_table[rule_max];

// Name of the first rule_cmds row with this code, "?" when none has it.
const char *rule_cmd_name(int code);

// The drules command.
void rules_display();
