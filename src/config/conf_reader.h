#pragma once

#include <cstdio>

// Reads a configuration file into conf_image: 0, or a negative code after
// one message.
int conf_process(const char *file_name);

// The reading itself, on a file that is open (the caller closes it).
int conf_read(std::FILE *file, const char *file_name);

// The configure command: file_name.
void cmd_configure();
