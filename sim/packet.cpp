// The device's packet mode of a download.

#include "sim.h"

const sim_option packet_options[] = {
    {nullptr, nullptr, nullptr, nullptr, nullptr},
};

void packet_mode()
{
    sim_log("packet mode is not available in this simulator yet");
}
