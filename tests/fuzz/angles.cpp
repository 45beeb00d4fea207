// dmctodeg on any text: angle_error, or a finite angle within -360..360.

#include "fuzz.h"

#include "angles/angles.h"

#include <cmath>
#include <string>

extern "C" int LLVMFuzzerInitialize(int *, char ***)
{
    fuzz_quiet();
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    // The readers hand over words of a line: a C string, cut at any zero byte.
    std::string text(reinterpret_cast<const char *>(data), size);
    double v = dmctodeg(text.c_str());
    if (v != angle_error && !(std::isfinite(v) && v >= -360 && v <= 360))
        fuzz_fail("dmctodeg(\"%s\") = %.17g", text.c_str(), v);
    return 0;
}
