#pragma once

#include <cstdio>

// Dumps length bytes of buf to stream in rows of 16 with hex and text
// columns, the column header every rows_per_header rows (0: never).
// flags bit 0: short title with name; bit 1 (without bit 0): length only;
// other non-zero flags: no title.
void hexdump(FILE *stream, int flags, const char *name, const void *buf, int length,
             int rows_per_header);
