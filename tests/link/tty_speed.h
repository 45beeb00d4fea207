#pragma once

#include <cstdint>

// The output rate of the tty open on fd as a number (0 when unknown), read
// apart from the code under test.
uint32_t tty_speed(int fd);
