#pragma once

#include "shell/options.h"

// Runs the checks of the command line in their order, each file read by the
// reader of its command with that command's messages, on the state a fresh
// prompt has. 0 when every file passed, exit_check_failed otherwise.
int run_checks(const cli_check *checks, int count);
