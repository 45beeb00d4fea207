#pragma once

// Byte strings for comparing what crossed the line.

#include <initializer_list>
#include <string>

inline std::string bytes(std::initializer_list<int> list)
{
    std::string s;
    for (int b : list)
        s.push_back(static_cast<char>(b));
    return s;
}

inline std::string framed(const unsigned char *pkt, int length)
{
    return std::string(reinterpret_cast<const char *>(pkt), static_cast<size_t>(length));
}
