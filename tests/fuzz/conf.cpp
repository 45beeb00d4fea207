// The configuration reader on any file: a known result, every image field
// within its range, the rule count and implicit action kept, and the
// display runs.

#include "fuzz.h"

#include "config/conf_image.h"
#include "config/conf_reader.h"
#include "shell/state.h"

#include <cstring>

extern "C" int LLVMFuzzerInitialize(int *, char ***)
{
    fuzz_quiet();
    // Once, the ways around the reading: no name, a file that does not open,
    // and the configure command with and without its file.
    if (conf_process(nullptr) != -1 || conf_process("/nonexistent/dz-fuzz.cfg") != -2)
        fuzz_fail("conf_process: wrong result for no name or a missing file");
    char none[] = "";
    words_begin(none);
    cmd_configure();
    char missing[] = "/nonexistent/dz-fuzz";
    words_begin(missing);
    cmd_configure();
    char line[64];
    std::snprintf(line, sizeof line, "%s", fuzz_temp_file("call ab1\n"));
    words_begin(line);
    conf_processed = 0;
    cmd_configure();
    if (conf_processed != 1 || std::strcmp(conf_image.call, "AB1") != 0)
        fuzz_fail("configure read no call sign from its file");
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    conf_reset();
    // As a rules reading leaves them: the configuration reader keeps both.
    const uint16_t action = size % 2 ? implicit_pass : implicit_drop;
    conf_image.rule_count = 42;
    conf_image.implicit_action = action;
    conf_processed = 0;

    std::FILE *f = fuzz_file(data, size);
    int rc = conf_read(f, "fuzz.cfg");
    std::fclose(f);

    // No name, no open, no read error and no internal error can come here.
    if (rc > 0 || rc == -1 || rc == -2 || rc == -3 || rc == -70)
        fuzz_fail("conf_read returned %d", rc);
    if (rc == 0 && !plain_text(data, size))
        fuzz_fail("conf_read read a NUL byte or a stray CR without a word");
    if (conf_processed != (rc == 0))
        fuzz_fail("conf_processed %d after result %d", conf_processed, rc);
    if (conf_image.rule_count != 42 || conf_image.implicit_action != action)
        fuzz_fail("rule count %u and implicit action 0x%x not kept", conf_image.rule_count,
                  conf_image.implicit_action);
    check_conf_image();
    conf_display();
    return 0;
}
