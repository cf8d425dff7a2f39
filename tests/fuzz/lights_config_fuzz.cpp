// The room's lights configuration, as a person may write it: read in the saver's own process by the
// engine, so it must never fault. Invariants: a refusal names a line of the file (0 for the file as
// a whole) and says why; an accepted file maps nothing beyond the 512 slots of a universe.
#include <cstddef>
#include <cstdint>
#include <cstdlib>

#include "lights_config.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const LightsConfigReading reading = readLightsConfig(reinterpret_cast<const char*>(data), size);
    if (!reading.ok) {
        if (reading.error.empty() || reading.errorLine < 0 || static_cast<std::size_t>(reading.errorLine) > size + 1)
            std::abort();
        return 0;
    }
    const LightsConfig& config = reading.config;
    if (config.rate < 1 || config.rate > kMostFramesPerSecond) std::abort();
    for (int at = 0; at < kRoomLocations; ++at)
        if (config.light[at].first + 3 * config.light[at].pixels - 1 > kDmxSlots || config.fan[at] > kDmxSlots ||
            config.rumble[at] > kDmxSlots)
            std::abort();
    return 0;
}
