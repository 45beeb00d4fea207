// What the simulator's main.cpp gives its parts, for the targets that use
// the parts without it: no command runs beside them, no option is given.

#include "core.h"

#include <cstdlib>

core_settings core_opts;
void sim_finish(int status) { std::exit(status); }
void child_check() {}
