#pragma once

#include <cstdint>
#include <cstdio>

// Intel HEX firmware files: record lines ":LLOOOOTT<data>CC", at most 128
// data bytes, data records on 4-byte-aligned offsets.

constexpr int fw_line_size = 512; // one read takes at most 511 characters

// Reads the next line of at most 511 characters (a longer line comes in pieces)
// into line, without its line end: one LF, with a CR before it, is removed.
// Returns the line's length, -1 at end of file, -2 on a read error.
int fw_read_line(FILE *file, char line[fw_line_size]);

// Value of a hexadecimal field at most width characters wide.
int hex_field(const char *text, int width);

// Sum modulo 256 of the two-character fields of text (the line after ':').
uint8_t inhex_sum(const char *text);

// The tests of one line as fw_read_line gave it (len bytes): 1 for a sound
// record line, 0 for a line that is no record (passed over), else the
// negative code of inhexverify for the first test it fails, with the
// message for line_no when report is set.
int inhex_check_line(const char *line, int len, unsigned long line_no, bool report);

// Rewinds and checks every line of the file. Returns the number of record
// lines (at least 1), or a negative code after printing why:
// -1 no file, -2 checksum, -3 type, -4 length, -5 length > 128,
// -6 data offset not a multiple of 4, -7 no record, -8 read error,
// -9 a NUL byte in a line.
int inhexverify(FILE *file);
