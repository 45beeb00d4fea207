#include "shell/state.h"

#include "shell/console.h"
#include "shell/words.h"

#include <climits>
#include <cstdlib>

int connected;
int conf_processed;
int rules_processed;

char cmd_line[cmd_line_size];
char last_cmd[cmd_line_size];
char cmd_word[40];

namespace {

word_cursor cmd_words;

} // namespace

void words_begin(char *text) { cmd_words.pos = text; }

char *next_word(const char *delimiters) { return split_word(cmd_words, delimiters); }

bool is_device_baud(int rate)
{
    for (int b : device_bauds)
        if (b == rate)
            return true;
    return false;
}

int rate_arg(const char *word)
{
    long rate = std::strtol(word, nullptr, 10);
    return rate > INT_MAX ? INT_MAX : rate < INT_MIN ? INT_MIN : static_cast<int>(rate);
}

int port_number_arg(const char *word)
{
    long n = std::strtol(word, nullptr, 10);
    if (n == 0 && prefix_matches("com", word))
        n = std::strtol(word + 3, nullptr, 10);
    if (n < 1 || n > 20) {
        print_msg("\a\aError: invalid COM port number (1..20): %s\n", word);
        return 0;
    }
    return static_cast<int>(n);
}
