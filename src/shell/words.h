#pragma once

// Small pieces of text handling shared by the shell and both file readers.

// A position in a text that is split into words in place (strtok-like, but
// each user keeps its own cursor).
struct word_cursor {
    char *pos;
};

// Skips delimiters, cuts the word after them out in place and moves the
// cursor past it; nullptr when none is left.
char *split_word(word_cursor &cursor, const char *delimiters);

// word is a leading part of name, in any case (ASCII letters only: bytes
// above 0x7F are not letters). An empty word is a leading part of anything.
bool prefix_matches(const char *word, const char *name);

char ascii_lower(char c);
char ascii_upper(char c);

// An optional sign and digits; stops at the first other character, no
// digits read as 0. Values beyond an int are held at its limits.
// int_prefixed: 0x or 0X means hexadecimal and a leading 0 octal;
// int_skip_blanks: blanks, tabs, \v and \f before the number are skipped.
constexpr int int_decimal = 0;
constexpr int int_prefixed = 1;
constexpr int int_skip_blanks = 2;
int read_int(const char *text, int how);
