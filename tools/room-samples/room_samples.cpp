// The room model over a run, for tools/room: reads the scripts the engine was handed and prints,
// as JSON lines, what became of each and then the room every STEP_MS from 0 through UNTIL_MS.
//
//   zovi-room-samples UNTIL_MS STEP_MS < scripts
//
// Each script comes as a line "script AT_MS RESULT LENGTH" followed by LENGTH bytes of text and a
// line end. Only scripts the engine took (result 1000) move the room.
#include <cstdio>
#include <cstdlib>
#include <iostream>
#include <string>
#include <utility>

#include "room_model.h"

namespace {
constexpr long long kTaken = 1000;

void printLevels(const char* name, const float* levels, int count) {
    std::printf(",\"%s\":[", name);
    for (int i = 0; i < count; ++i) std::printf(i ? ",%.4g" : "%.4g", static_cast<double>(levels[i]));
    std::printf("]");
}
}  // namespace

int main(int argc, char** argv) {
    if (argc != 3 || std::atoll(argv[2]) <= 0) {
        std::fprintf(stderr, "usage: zovi-room-samples UNTIL_MS STEP_MS < scripts\n");
        return 2;
    }
    const long long untilMs = std::atoll(argv[1]), stepMs = std::atoll(argv[2]);

    std::vector<ScriptAt> taken;
    std::string word;
    long long atMs = 0, result = 0;
    std::size_t length = 0;
    for (int index = 0; std::cin >> word >> atMs >> result >> length && word == "script"; ++index) {
        std::cin.get();
        std::string text(length, '\0');
        if (!std::cin.read(&text[0], static_cast<std::streamsize>(length))) {
            std::fprintf(stderr, "zovi-room-samples: script %d is cut short\n", index);
            return 1;
        }
        ParsedScript script = parseEffectsScript(text.data(), text.size());
        const bool played = result == kTaken && script.parsed;
        std::printf("{\"script\":%d,\"atMs\":%lld,\"result\":%lld,\"played\":%s,\"parsed\":%s}\n", index,
                    atMs, result, played ? "true" : "false", scriptSummaryJson(script).c_str());
        if (played) taken.push_back({atMs, std::move(script)});
    }

    const std::vector<RoomState> samples = sampleRoom(taken, untilMs, stepMs);
    for (std::size_t i = 0; i < samples.size(); ++i) {
        std::printf("{\"ms\":%lld", static_cast<long long>(i) * stepMs);
        printLevels("light", &samples[i].light[0][0], kRoomLocations * 3);
        printLevels("fan", samples[i].fan, kRoomLocations);
        printLevels("rumble", samples[i].rumble, kRoomLocations);
        std::printf("}\n");
    }
    return 0;
}
