#pragma once

#include <cstdio>

// A stream that gives the first left bytes of text and then fails with EIO,
// as a disk or network file can. Closing it frees it.
std::FILE *failing_stream(const char *text, size_t left);
