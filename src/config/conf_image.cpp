#include "config/conf_image.h"

#include "shell/console.h"

#include <cstring>

conf_image_t conf_image;
int32_t digi_path_count;

constexpr conf_image_t conf_defaults_value = {
    .host_baud = 57600,
    .dstar_baud = 9600,
    .tnc_baud = 19200,
    .base_lat = 39.5f,   // built-in station position until a file sets one
    .base_lon = -104.75f,
    .call = {'N', 'O', 'T', 'S', 'E', 'T', 0, 0},
    .ssid = 0,
    .wide_max = 3,
    .wide_total = 6,
    .relay = 1,
    .nsr = 0,
    .link_on_dstar = 1,
    .dupe_window = 28,
    .log_port = 1,
    .halt_on_error = 0,
    .drop_mangled = 1,
    .fix_valid = 1,
    .pass_no_position = 0,
    .implicit_action = implicit_pass,
    .rule_count = 0,
    .digi_path = {},
};
const conf_image_t conf_defaults = conf_defaults_value;

void conf_reset()
{
    std::memcpy(&conf_image, &conf_defaults, sizeof conf_image);
    digi_path_count = 0;
}

namespace {

const char *yes_no(uint16_t flag) { return flag ? "Yes" : "No"; }
const char *en_dis(uint16_t flag) { return flag ? "En" : "Dis"; }

const char *action_text(uint16_t action)
{
    if (action == implicit_drop)
        return "Drop";
    if (action == implicit_pass)
        return "Pass";
    return "?";
}

} // namespace

void conf_display()
{
    const conf_image_t &c = conf_image;
    char call[sizeof c.call + 1] = {};
    std::memcpy(call, c.call, sizeof c.call);

    print_msg("Configuration:\nStation Call\t%*s\tSSID 0x%02x\nBase Lat %10.6f\tLon %11.5f\n"
              "Host  baud\t%lu\nDSTAR baud\t%lu\nTNC   baud\t%lu\n"
              "WIDE Max %u\tWIDE Total %u\tDupe Window %u sec.\nNSR: %sabled\tRelay: %sabled\n",
              6, call, static_cast<unsigned>(c.ssid),
              static_cast<double>(c.base_lat), static_cast<double>(c.base_lon),
              static_cast<unsigned long>(c.host_baud), static_cast<unsigned long>(c.dstar_baud),
              static_cast<unsigned long>(c.tnc_baud),
              static_cast<unsigned>(c.wide_max), static_cast<unsigned>(c.wide_total),
              static_cast<unsigned>(c.dupe_window), en_dis(c.nsr), en_dis(c.relay));
    print_msg("Digi Path[%d]: ", static_cast<int>(digi_path_count));
    for (int i = 0; i < digi_path_count && i < 8; i++)
        print_msg("%.*s%s", 8, c.digi_path[i], i + 1 < digi_path_count ? "," : "");
    print_msg("\nLog Port: %s\nFix Valid: %s\tPass packets without valid position: %s\n"
              "Halt On Error: %s\tDrop Mangled Packet: %s\nRule count %u\tImplicit Rule Action: %s\n",
              yes_no(c.log_port), yes_no(c.fix_valid), yes_no(c.pass_no_position),
              yes_no(c.halt_on_error), yes_no(c.drop_mangled),
              static_cast<unsigned>(c.rule_count), action_text(c.implicit_action));
}

int default_connect_rate()
{
    return static_cast<int>(conf_image.link_on_dstar ? conf_image.dstar_baud : conf_image.host_baud);
}
