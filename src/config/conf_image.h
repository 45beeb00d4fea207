#pragma once

#include <bit>
#include <cstddef>
#include <cstdint>

static_assert(std::endian::native == std::endian::little,
              "the images are sent as stored and must be little-endian");

// The 120-byte station configuration, laid out exactly as the device takes it.
struct conf_image_t {
    uint32_t host_baud;
    uint32_t dstar_baud;
    uint32_t tnc_baud;
    float base_lat;
    float base_lon;
    char call[8];
    uint16_t ssid;
    uint16_t wide_max;
    uint16_t wide_total;
    uint16_t relay;
    uint16_t nsr;
    uint16_t link_on_dstar;
    uint16_t dupe_window;
    uint16_t log_port;
    uint16_t halt_on_error;
    uint16_t drop_mangled;
    uint16_t fix_valid;
    uint16_t pass_no_position;
    uint16_t implicit_action;
    uint16_t rule_count;
    char digi_path[8][8];
};

static_assert(sizeof(conf_image_t) == 120);
static_assert(offsetof(conf_image_t, host_baud) == 0);
static_assert(offsetof(conf_image_t, dstar_baud) == 4);
static_assert(offsetof(conf_image_t, tnc_baud) == 8);
static_assert(offsetof(conf_image_t, base_lat) == 12);
static_assert(offsetof(conf_image_t, base_lon) == 16);
static_assert(offsetof(conf_image_t, call) == 20);
static_assert(offsetof(conf_image_t, ssid) == 28);
static_assert(offsetof(conf_image_t, wide_max) == 30);
static_assert(offsetof(conf_image_t, wide_total) == 32);
static_assert(offsetof(conf_image_t, relay) == 34);
static_assert(offsetof(conf_image_t, nsr) == 36);
static_assert(offsetof(conf_image_t, link_on_dstar) == 38);
static_assert(offsetof(conf_image_t, dupe_window) == 40);
static_assert(offsetof(conf_image_t, log_port) == 42);
static_assert(offsetof(conf_image_t, halt_on_error) == 44);
static_assert(offsetof(conf_image_t, drop_mangled) == 46);
static_assert(offsetof(conf_image_t, fix_valid) == 48);
static_assert(offsetof(conf_image_t, pass_no_position) == 50);
static_assert(offsetof(conf_image_t, implicit_action) == 52);
static_assert(offsetof(conf_image_t, rule_count) == 54);
static_assert(offsetof(conf_image_t, digi_path) == 56);

constexpr uint16_t implicit_drop = 0x64; // 'd'
constexpr uint16_t implicit_pass = 0x70; // 'p'

extern conf_image_t conf_image;          // the working copy
extern const conf_image_t conf_defaults;
extern int32_t digi_path_count;          // components held in digi_path, never sent

void conf_reset();
void conf_display();

// The rate connect uses when none is given: read from the image each time.
int default_connect_rate();
