// The configuration reader on any file: a known result, every image field
// within its range, the rule count and implicit action kept, and the
// display runs.

#include "fuzz.h"

#include "config/conf_image.h"
#include "config/conf_reader.h"
#include "shell/state.h"

extern "C" int LLVMFuzzerInitialize(int *, char ***)
{
    fuzz_quiet();
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    conf_reset();
    // As a rules reading leaves them: the configuration reader keeps both.
    conf_image.rule_count = 42;
    conf_image.implicit_action = implicit_drop;
    conf_processed = 0;

    std::FILE *f = fuzz_file(data, size);
    int rc = conf_read(f, "fuzz.cfg");
    std::fclose(f);

    // No name, no open, no read error and no internal error can come here.
    if (rc > 0 || rc == -1 || rc == -2 || rc == -3 || rc == -70)
        fuzz_fail("conf_read returned %d", rc);
    if (conf_processed != (rc == 0))
        fuzz_fail("conf_processed %d after result %d", conf_processed, rc);
    if (conf_image.rule_count != 42 || conf_image.implicit_action != implicit_drop)
        fuzz_fail("rule count %u and implicit action 0x%x not kept", conf_image.rule_count,
                  conf_image.implicit_action);
    check_conf_image();
    conf_display();
    return 0;
}
