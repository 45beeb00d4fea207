#pragma once

// A scripted stand-in for the serial layer (link/port.h): records every
// write and answers each read from a list of replies. Linked before the
// libraries under test, it takes the place of the real port.

#include <string>
#include <vector>

struct fake_read {
    int size;
    int timeout_ms;
};

extern std::vector<std::string> fake_writes; // each write_port call's bytes
extern std::vector<fake_read> fake_reads;    // each read_port call
extern std::vector<int> fake_replies;        // next replies; -1 means silence
extern int fake_ack_rest;                    // reply ACK once fake_replies is used up
extern int fake_fail_write;                  // write number (from 1) that fails, 0 none
extern int fake_closes;
extern int fake_open_result;                 // what open_port returns

void fake_reset();
