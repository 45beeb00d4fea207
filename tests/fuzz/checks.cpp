// What every reading must leave in the image and the table, whatever the
// file held and wherever the reading stopped.

#include "fuzz.h"

#include "config/conf_image.h"
#include "link/baud.h"
#include "rules/rule_table.h"

#include <cmath>
#include <cstring>

namespace {

bool is_rate(uint32_t rate)
{
    for (const int32_t *b = baud_table; *b != 0; b++)
        if (static_cast<uint32_t>(*b) == rate)
            return true;
    return false;
}

bool within(float v, float lo, float hi) { return std::isfinite(v) && v >= lo && v <= hi; }

bool has_lower(const char *p, size_t n)
{
    for (size_t i = 0; i < n && p[i] != '\0'; i++)
        if (p[i] >= 'a' && p[i] <= 'z')
            return true;
    return false;
}

bool all_zero(const uint8_t *p, size_t n)
{
    for (size_t i = 0; i < n; i++)
        if (p[i] != 0)
            return false;
    return true;
}

// A text field: what follows its first zero byte is zero too.
bool padded(const uint8_t *p, size_t n)
{
    const void *z = std::memchr(p, 0, n);
    return z == nullptr || all_zero(static_cast<const uint8_t *>(z), n - (static_cast<const uint8_t *>(z) - p));
}

} // namespace

void check_conf_image()
{
    const conf_image_t &c = conf_image;
    if (!is_rate(c.host_baud) || !is_rate(c.dstar_baud) || !is_rate(c.tnc_baud))
        fuzz_fail("a baud rate outside the table: %u %u %u", c.host_baud, c.dstar_baud, c.tnc_baud);
    if (!within(c.base_lat, -360, 360) || !within(c.base_lon, -360, 360))
        fuzz_fail("station position out of range: %g %g", c.base_lat, c.base_lon);
    if (std::memchr(c.call, 0, 7) == nullptr)
        fuzz_fail("call sign without its zero byte: %.8s", c.call);
    if (has_lower(c.call, 7))
        fuzz_fail("call sign not upper case: %.8s", c.call);
    if (c.ssid > 15)
        fuzz_fail("ssid %u", c.ssid);
    if (c.wide_max < 1 || c.wide_max > 6 || c.wide_total < 1 || c.wide_total > 6)
        fuzz_fail("wide max %u, wide total %u", c.wide_max, c.wide_total);
    if (c.dupe_window < 5 || c.dupe_window > 500)
        fuzz_fail("dupe window %u", c.dupe_window);
    const uint16_t flags[] = {c.relay, c.nsr, c.log_port, c.halt_on_error, c.drop_mangled, c.fix_valid};
    for (uint16_t f : flags)
        if (f > 1)
            fuzz_fail("a flag holds %u", f);
    if (c.link_on_dstar != 1 || c.pass_no_position != 0)
        fuzz_fail("a flag without a keyword changed: %u %u", c.link_on_dstar, c.pass_no_position);
    if (c.implicit_action != implicit_drop && c.implicit_action != implicit_pass)
        fuzz_fail("implicit action 0x%x", c.implicit_action);
    if (c.rule_count > rule_max)
        fuzz_fail("rule count %u", c.rule_count);
    if (digi_path_count < 0 || digi_path_count > 8)
        fuzz_fail("digi_path_count %d", digi_path_count);
    for (int i = 0; i < 8; i++) {
        const auto *slot = reinterpret_cast<const uint8_t *>(c.digi_path[i]);
        bool used = i < digi_path_count;
        if (used ? slot[0] == 0 || !padded(slot, 8) || has_lower(c.digi_path[i], 8) : !all_zero(slot, 8))
            fuzz_fail("digi path slot %d of %d: %.8s", i, digi_path_count, c.digi_path[i]);
    }
}

void check_rule_table(bool read_to_end)
{
    int stored = 0;
    while (stored < rule_max && rule_table[stored].kind != 0)
        stored++;
    for (int i = stored; i < rule_max; i++)
        if (!all_zero(reinterpret_cast<const uint8_t *>(&rule_table[i]), sizeof(rule_rec)))
            fuzz_fail("record %d after the last one is not empty", i);
    if (read_to_end && conf_image.rule_count != stored)
        fuzz_fail("rule count %u, %d records stored", conf_image.rule_count, stored);
    int last_line = 0;
    for (int i = 0; i < stored; i++) {
        const rule_rec &r = rule_table[i];
        const uint8_t *a = r.args[0];
        int action = r.action & action_mask;
        int mods = r.action & 0xF0;
        if (action != action_drop && action != action_pass)
            fuzz_fail("record %d: action 0x%02x", i, r.action);
        if (r.line_no <= last_line)
            fuzz_fail("record %d: line %u after line %d", i, r.line_no, last_line);
        last_line = r.line_no;
        bool call = r.kind == kind_destin || r.kind == kind_source;
        if (!call && mods != 0)
            fuzz_fail("record %d: mods 0x%02x on kind 0x%02x", i, mods, r.kind);
        // The two bytes after each float are zero.
        if (!call && r.kind != kind_compass)
            for (int s = 0; s < 4; s++)
                if (a[6 * s + 4] != 0 || a[6 * s + 5] != 0)
                    fuzz_fail("record %d: slot %d has bytes after its float", i, s + 1);
        float f1 = rule_get_float(r, 1), f2 = rule_get_float(r, 2), f3 = rule_get_float(r, 3),
              f4 = rule_get_float(r, 4);
        switch (r.kind) {
        case kind_destin:
        case kind_source:
            if (mods != 0 && mods != mod_prefix && mods != (mod_prefix | mod_any) && mods != mod_ssid)
                fuzz_fail("record %d: mods 0x%02x", i, mods);
            if (!padded(a, 6) || ((mods & mod_any) && !all_zero(a, 6)))
                fuzz_fail("record %d: call sign %.6s with mods 0x%02x", i, reinterpret_cast<const char *>(a), mods);
            if (a[6] > 15 || ((mods & mod_ssid) == 0 && a[6] != 0))
                fuzz_fail("record %d: ssid %u with mods 0x%02x", i, a[6], mods);
            if (!all_zero(a + 7, 17))
                fuzz_fail("record %d: bytes after the ssid", i);
            break;
        case kind_circle:
            if (!(f1 >= 0) || !within(f2, -90, 90) || !within(f3, -180, 180) || f4 != 0 ||
                !all_zero(a + 18, 6))
                fuzz_fail("record %d: circle %g %g %g", i, f1, f2, f3);
            break;
        case kind_compass:
            if (a[0] < 1 || a[0] > 8 || !all_zero(a + 1, 5) || !within(f2, -90, 90) ||
                !within(f3, -180, 180) || !all_zero(a + 18, 6))
                fuzz_fail("record %d: compass %u %g %g", i, a[0], f2, f3);
            break;
        case kind_rectangle:
            if (!within(f1, -90, 90) || !within(f2, -180, 180) || !within(f3, -90, 90) ||
                !within(f4, -180, 180))
                fuzz_fail("record %d: rectangle %g %g %g %g", i, f1, f2, f3, f4);
            break;
        case kind_sector:
            if (!within(f1, 0, 360) || !within(f2, 0, 360) || !(f3 >= 0) || !(f4 == 0 || f4 >= f3))
                fuzz_fail("record %d: sector %g %g %g %g", i, f1, f2, f3, f4);
            break;
        default:
            fuzz_fail("record %d: kind 0x%02x", i, r.kind);
        }
    }
}
