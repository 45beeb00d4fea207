#pragma once

// The port listing of --list-ports.

#include "link/sys/sys.h"

// The most entries listed.
constexpr int port_list_max = 64;

// Prints the serial ports there are, each with its state: on Linux COM1 to
// COM20 with the devices they map to, then the other serial devices with a
// DIRIDUZEDE_COMn line ready to paste; on Windows the COM ports the system
// reports. Returns the count of entries listed.
int list_ports();

// Prints a listing of entries as list_ports does (at most port_list_max).
void print_port_listing(const sys_port_entry *list, int count);
