#pragma once

#include <cstdio>

// Reads a rules file into rule_table, rule_count and implicit_action.
// 0 when the whole file was read, otherwise the negative code of the failure.
int rules_process(const char *name);

// The file could not be read to its end (a read error partway).
constexpr int rules_read_failed = -72;

// The part of rules_process after the file is open: reads it to its end or to
// its first bad line. The caller closes the file.
int rules_read(std::FILE *file, const char *name);

// The rules command.
void cmd_rules();
