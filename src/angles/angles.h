#pragma once

#include <limits>

// What dmctodeg returns on any error, after its message: the largest finite
// single-precision value, which no valid angle (-360..360) can equal.
constexpr double angle_error = std::numeric_limits<float>::max();

// Decimal degrees from a text in the Colon, Dotted or DMC notation, or
// angle_error after one message.
double dmctodeg(const char *text);

// The notation help that the angles command prints.
extern const char angles_help[];

// The angles command: writes angles_help and a newline to standard output.
void cmd_angles();
