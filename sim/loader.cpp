// The device's firmware loader.

#include "sim.h"

const sim_option loader_options[] = {
    {nullptr, nullptr, nullptr, nullptr, nullptr},
};

void loader_mode()
{
    sim_log("the firmware loader is not available in this simulator yet");
}
