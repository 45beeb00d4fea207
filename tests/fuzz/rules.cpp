// The rules reader on any file: every stored record has a valid kind,
// action and ranges, the table past the records is empty, the count is
// right after a whole reading, and the display runs.

#include "fuzz.h"

#include "config/conf_image.h"
#include "rules/rule_table.h"
#include "rules/rules_reader.h"
#include "shell/state.h"

#include <cstring>

extern "C" int LLVMFuzzerInitialize(int *, char ***)
{
    fuzz_quiet();
    // Once, the ways around the reading: no name, a file that does not open,
    // and the rules command with and without its file.
    if (rules_process(nullptr) != -1 || rules_process("/nonexistent/dz-fuzz.rules") != -2)
        fuzz_fail("rules_process: wrong result for no name or a missing file");
    char none[] = "";
    words_begin(none);
    cmd_rules();
    char missing[] = "/nonexistent/dz-fuzz";
    words_begin(missing);
    cmd_rules();
    char line[64];
    std::snprintf(line, sizeof line, "%s", fuzz_temp_file("drop implicit\npass src AB1\n"));
    words_begin(line);
    cmd_rules();
    if (rules_processed != 1 || conf_image.rule_count != 1 || conf_image.implicit_action != implicit_drop)
        fuzz_fail("rules read no rule from its file");
    rules_display();
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    conf_reset();
    // Left over from an earlier reading: the reader must start afresh.
    std::memset(rule_table, 0x5A, sizeof rule_table);
    conf_image.rule_count = 77;
    conf_image.implicit_action = 0x1234;
    rules_processed = 0;

    std::FILE *f = fuzz_file(data, size);
    int rc = rules_read(f, "fuzz.rules");
    std::fclose(f);

    // No read error and no internal error can come here.
    if (rc > 0 || rc == rules_read_failed || rc == -70)
        fuzz_fail("rules_read returned %d", rc);
    if (rc == 0 && !plain_text(data, size))
        fuzz_fail("rules_read read a NUL byte or a stray CR without a word");
    if (rules_processed != (rc == 0))
        fuzz_fail("rules_processed %d after result %d", rules_processed, rc);
    if (rc != 0 && conf_image.rule_count != 0)
        fuzz_fail("rule count %u after a failed reading", conf_image.rule_count);
    check_rule_table(rc == 0);
    check_conf_image();
    rules_display();
    return 0;
}
