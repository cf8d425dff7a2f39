// The settings file's bytes, whatever a user or another program left there. Invariants: reading in
// pieces of any size gives what reading the whole file gives, and the file this saver writes reads
// back as the settings it holds.
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <string_view>

#include "settings/settings_format.h"

static bool same(const SaverSettings& a, const SaverSettings& b) { return !std::memcmp(&a, &b, sizeof a); }

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    if (size == 0) return 0;
    const std::size_t piece = 1 + data[0] % 7;
    const std::string_view stored(reinterpret_cast<const char*>(data) + 1, size - 1);
    const SaverSettings whole = settingsFromFileBytes(stored, stored.size() + 1);
    if (!same(settingsFromFileBytes(stored, piece), whole)) std::abort();
    if (!same(settingsFromFileBytes(settingsFileBytes(whole)), whole)) std::abort();
    return 0;
}
