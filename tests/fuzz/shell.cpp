// A whole console session as input: the prompt loop with its "." rule, the
// word splitter, prefix matching, every command and the questions of
// download and firmware. Every COM port points at a path that does not
// exist, and file names reach only the examples folder (an input with a '/'
// is passed over). The session must end at the end of its input (status 1)
// or at exit (status 0), never connected, with the image and the table as a
// reading leaves them.

#include "fuzz.h"

#include "config/conf_image.h"
#include "rules/rule_table.h"
#include "shell/commands.h"
#include "shell/state.h"

#include <csetjmp>
#include <cstdlib>
#include <cstring>
#include <string>
#include <fcntl.h>
#include <unistd.h>

namespace {

std::jmp_buf session_end;
bool in_session;

} // namespace

// The exit command ends the session, not the fuzzer (linked with --wrap=exit).
extern "C" [[noreturn]] void __real_exit(int status);
extern "C" [[noreturn]] void __wrap_exit(int status)
{
    if (in_session)
        std::longjmp(session_end, 100 + status);
    __real_exit(status);
}

extern "C" int LLVMFuzzerInitialize(int *, char ***)
{
    fuzz_quiet();
    for (int n = 1; n <= 20; n++) {
        std::string name = "DIRIDUZEDE_COM" + std::to_string(n);
        std::string path = "/nonexistent/dz-fuzz/com" + std::to_string(n);
        setenv(name.c_str(), path.c_str(), 1);
    }
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    if (std::memchr(data, '/', size) != nullptr)
        return 0;
    conf_reset();
    std::memset(rule_table, 0, sizeof rule_table);
    connected = conf_processed = rules_processed = 0;
    std::memset(last_cmd, 0, sizeof last_cmd);

    // The session runs in the examples folder; libFuzzer's paths stay relative to ours.
    int here = open(".", O_RDONLY | O_DIRECTORY);
    if (here < 0 || chdir(DZ_EXAMPLES) != 0)
        fuzz_fail("cannot change to %s", DZ_EXAMPLES);
    std::FILE *console = stdin;
    stdin = fuzz_file(data, size);
    int status;
    in_session = true;
    int jumped = setjmp(session_end);
    if (jumped == 0)
        status = shell_loop();
    else
        status = jumped - 100;
    in_session = false;
    std::fclose(stdin);
    stdin = console;
    if (fchdir(here) != 0)
        fuzz_fail("cannot change back");
    close(here);

    if (status != 0 && status != 1)
        fuzz_fail("session ended with status %d", status);
    if (connected != 0)
        fuzz_fail("connected without a port");
    check_conf_image();
    check_rule_table(false);
    return 0;
}
