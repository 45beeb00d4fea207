#include "shell/lines.h"

#include "shell/words.h"

#include <cstring>

char line_buf[line_size];
char line_copy[line_size];
int line_comment_at = no_comment;

namespace {

// Characters read ahead and given back, for the reading under way.
int held[2];
int held_count;

word_cursor line_words;

int get_char(std::FILE *file) { return held_count > 0 ? held[--held_count] : std::getc(file); }

void unget_char(int c)
{
    if (c != EOF)
        held[held_count++] = c;
}

} // namespace

void line_read_begin() { held_count = 0; }

// When a piece fills the buffer its line end is taken with it, so a line of
// exactly 255 characters is one line and the line numbers after it stay right.
int line_read(std::FILE *file)
{
    const int max = line_size - 1;
    int n = 0;
    bool ended = false;
    bool cr_taken = false; // the CR of a CR LF met after a full piece
    while (n < max) {
        int c = get_char(file);
        if (c == EOF)
            break;
        if (c == '\n') {
            ended = true;
            break;
        }
        line_buf[n++] = static_cast<char>(c);
    }
    if (!ended && n == max) {
        int c = get_char(file);
        if (c == '\n') {
            ended = true;
        } else if (c == '\r') {
            int d = get_char(file);
            if (d == '\n') {
                ended = true;
                cr_taken = true;
            } else {
                unget_char(d);
                unget_char(c);
            }
        } else {
            unget_char(c);
        }
    }
    if (std::ferror(file))
        return line_read_error;
    if (n == 0 && !ended)
        return line_end_of_file;
    if (ended && !cr_taken && n > 0 && line_buf[n - 1] == '\r')
        n--;
    line_buf[n] = '\0';
    std::memcpy(line_copy, line_buf, static_cast<size_t>(n) + 1);
    return n;
}

void line_words_begin()
{
    const char *comment = std::strpbrk(line_buf, "#/;");
    line_comment_at = comment != nullptr ? static_cast<int>(comment - line_buf) : no_comment;
    line_words.pos = line_buf;
}

char *line_word(const char *delimiters) { return split_word(line_words, delimiters); }

bool after_comment(const char *word) { return line_comment_at != no_comment && word - line_buf > line_comment_at; }
