#pragma once

// What the fuzz targets share. Each target defines LLVMFuzzerTestOneInput
// and checks what the code under test left behind; a failed check names the
// fault and aborts, which libFuzzer reports like a crash and keeps the input.

#include <cstddef>
#include <cstdint>
#include <cstdio>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size);
extern "C" int LLVMFuzzerInitialize(int *argc, char ***argv);

[[noreturn]] void fuzz_fail(const char *fmt, ...) __attribute__((format(printf, 1, 2)));

// Standard output goes nowhere: the targets print a lot, and only their
// checks matter.
void fuzz_quiet();

// The input as a file open for reading.
std::FILE *fuzz_file(const uint8_t *data, size_t size);

// Checks of the configuration image and of the rule table, as any reading
// must leave them (checks.cpp).
void check_conf_image();
void check_rule_table(bool read_to_end);

// A file holding text, made once for the whole run and removed at its end.
const char *fuzz_temp_file(const char *text);

// A file a reader may read to its end: no NUL byte, and no CR but the one
// right before an LF (or at the very end).
bool plain_text(const uint8_t *data, size_t size);
