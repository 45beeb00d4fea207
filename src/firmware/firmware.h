#pragma once

#include <cstdint>

// The firmware update: the `firmware` command and the loader exchange.

extern char fw_file_name[256];  // the command's file name argument
extern int64_t fw_start_time;   // wall-clock seconds when the record transfer began

// Flashes the Intel HEX file through the device's loader on COM<port>.
// 0 when every record line was acknowledged, else a negative code; past
// the loader's own, -15 a read of the file failed and -16 the file could not
// be rewound or is no longer what the verifier passed.
int firmware(int port, const char *file_name);

// Redraws the progress line: done of total record lines acknowledged.
void fw_progress(unsigned long done, unsigned long total);

// The progress line for elapsed seconds, into line (at least fw_progress_size
// bytes); returns its length.
constexpr int fw_progress_size = 96;
int fw_progress_text(char *line, int64_t elapsed, unsigned long done, unsigned long total);

// The shell's `firmware` command: com_port file_name.
void cmd_firmware();
