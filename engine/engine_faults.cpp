#include "engine_faults.h"

#include <atomic>
#include <cerrno>
#include <cstdlib>

#include "engine_system.h"
#include "journal.h"

namespace {
// Decimal or 0x hex, up to 32 bits; HRESULTs such as 0x80004005 wrap to their signed value.
bool readNumber(const std::string& text, std::int32_t& value) {
    if (text.empty()) return false;
    const bool negative = text[0] == '-';
    const std::string digits = negative ? text.substr(1) : text;
    if (digits.empty() || digits[0] == '-' || digits[0] == '+') return false;
    char* end = nullptr;
    errno = 0;
    const unsigned long long parsed = std::strtoull(digits.c_str(), &end, 0);
    if (errno != 0 || *end != '\0' || parsed > 0xFFFFFFFFull) return false;
    const std::uint32_t bits = static_cast<std::uint32_t>(negative ? 0u - parsed : parsed);
    value = static_cast<std::int32_t>(bits);
    return true;
}
}  // namespace

EngineFaults parseEngineFaults(const std::string& text) {
    EngineFaults faults;
    std::size_t start = 0;
    while (start <= text.size()) {
        std::size_t end = text.find(',', start);
        if (end == std::string::npos) end = text.size();
        std::string item = text.substr(start, end - start);
        start = end + 1;
        while (!item.empty() && item.front() == ' ') item.erase(item.begin());
        while (!item.empty() && item.back() == ' ') item.pop_back();
        if (item.empty()) continue;

        const std::size_t equals = item.find('=');
        const std::string name = item.substr(0, equals);
        std::int32_t value = 0;
        const bool numbered = equals != std::string::npos && readNumber(item.substr(equals + 1), value);
        if (numbered && name == "create") faults.create = value;
        else if (numbered && name == "requestRoot") faults.requestRoot = value;
        else if (numbered && name == "reply") faults.reply = value;
        else if (numbered && name == "openEngine") faults.openEngine = value;
        else if (numbered && name == "createPlayer") faults.createPlayer = value;
        else if (numbered && name == "playScript") faults.playScript = value;
        else if (numbered && name == "delay" && value >= 0) faults.delayMs = static_cast<std::uint32_t>(value);
        else if (numbered && name == "delayFrom" && value >= 1) faults.delayFrom = static_cast<std::uint32_t>(value);
        else if (numbered && name == "holdRelease" && value >= 0) faults.holdReleaseMs = static_cast<std::uint32_t>(value);
        else if (numbered && name == "slowRelease" && value >= 0) faults.slowReleaseMs = static_cast<std::uint32_t>(value);
        else if (numbered && name == "sendOnRelease") faults.sendOnRelease = value != 0;
        else faults.ignored += (faults.ignored.empty() ? "" : ",") + item;
    }
    return faults;
}

EngineFaults currentFaults() {
    // The items last noted as not understood, so each change is journalled once.
    // Held only to compare and store a short text: a spin lock serves on every system.
    static std::atomic_flag notedLock = ATOMIC_FLAG_INIT;
    static std::string notedItems;
    const EngineFaults faults = parseEngineFaults(environmentText("ZOVI_EFFECTS_FAULTS"));
    if (!faults.ignored.empty()) {
        while (notedLock.test_and_set(std::memory_order_acquire)) {}
        const bool fresh = faults.ignored != notedItems;
        notedItems = faults.ignored;
        notedLock.clear(std::memory_order_release);
        if (fresh) JournalLine("faults", -1, "ignored").text("items", faults.ignored.c_str()).write(0);
    }
    return faults;
}

void delayCall(const EngineFaults& faults) {
    static std::atomic<std::uint32_t> callsSoFar{0};
    const std::uint32_t call = ++callsSoFar;
    if (!faults.delayMs || call < faults.delayFrom) return;
    // Said before the wait, so a test can see that a call is being held.
    JournalLine("faults", -1, "delay").number("call", call).number("ms", faults.delayMs).write(0);
    sleepMs(faults.delayMs);
}

void slowRelease(const EngineFaults& faults) {
    if (faults.slowReleaseMs) sleepMs(faults.slowReleaseMs);
}
