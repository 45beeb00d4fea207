#pragma once

#include <cstdint>

// Every line rate the serial layer can set, ended by a 0 row.
inline constexpr int baud_table[] = {110,   300,   600,   1200,  2400,  4800,   9600,
                                         14400, 19200, 38400, 56000, 57600, 115200, 0};

// The row of baud_table holding rate, or nullptr. A rate of 0 is reported.
const int *get_baud(int rate);
