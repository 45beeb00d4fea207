#pragma once

// The console print routine: every message of the utility goes through here,
// so one call's text reaches the console in one piece.
int print_msg(const char *fmt, ...) __attribute__((format(printf, 1, 2)));
