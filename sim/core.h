#pragma once

// The core's own internals, shared by main.cpp, line.cpp and device.cpp and
// by no part: the line's life, the device's power and the command of --com.

#include "sim.h"

// The pty path the host opens.
extern char pty_path[64];

// Readable when the command of --com may have ended; -1 standalone.
extern int child_fd;

bool log_open();
bool banner_load();           // device.cpp
bool line_open();
void line_close();
bool line_alive();
void wait_power_on();         // until the host opens the port
void power_off();
void device_session();        // device.cpp: from power-on until the power goes
void sim_finish(int status);  // main.cpp: ends with the command's status
void child_check();           // main.cpp: ends once the command has ended
long tty_rate(int fd);        // speed.cpp: 0 when the port tells none
