// Runs a fuzz target without libFuzzer: every file under the directories (or
// the files) given is fed to LLVMFuzzerTestOneInput once, in name order.
// The normal test suite replays the seed corpora and the regressions so.

#include "fuzz.h"

#include <algorithm>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <string>
#include <vector>

extern "C" __attribute__((weak)) int LLVMFuzzerInitialize(int *argc, char ***argv);

int main(int argc, char **argv)
{
    if (LLVMFuzzerInitialize != nullptr)
        LLVMFuzzerInitialize(&argc, &argv);
    namespace fs = std::filesystem;
    std::vector<fs::path> inputs;
    for (int i = 1; i < argc; i++) {
        fs::path p = argv[i];
        if (fs::is_directory(p)) {
            for (const auto &e : fs::recursive_directory_iterator(p))
                if (e.is_regular_file() && e.path().filename().string()[0] != '.')
                    inputs.push_back(e.path());
        } else if (fs::is_regular_file(p)) {
            inputs.push_back(p);
        } else {
            std::fprintf(stderr, "replay: no such file or directory: %s\n", argv[i]);
            return 2;
        }
    }
    std::sort(inputs.begin(), inputs.end());
    for (const fs::path &p : inputs) {
        std::ifstream in(p, std::ios::binary);
        std::vector<char> bytes((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
        std::fprintf(stderr, "replay: %s\n", p.c_str());
        // Never a null pointer, even for an empty input, as libFuzzer does.
        bytes.reserve(1);
        LLVMFuzzerTestOneInput(reinterpret_cast<const uint8_t *>(bytes.data()), bytes.size());
    }
    std::fprintf(stderr, "replay: %zu inputs passed\n", inputs.size());
    return 0;
}
