#pragma once

// The port listing of --list-ports.

// Prints the serial ports there are, each with its state: on Linux COM1 to
// COM20 with the devices they map to, then the other serial devices with a
// DIRIDUZEDE_COMn line ready to paste; on Windows the COM ports the system
// reports. Returns the count of entries listed.
int list_ports();
