// Host micro-benchmarks of the saver's own work on its hot paths (Google Benchmark): one frame's
// colour, alpha and vertex arithmetic for both passes without the GL calls, decoding the four stored
// scripts, preparing the light script, and reading the settings bytes.
#include <benchmark/benchmark.h>

#include "effects/effect_scripts.h"
#include "effects/effects_playback.h"
#include "effects/stored_scripts.h"
#include "logo/frame_geometry.h"
#include "settings/settings_format.h"

namespace {
std::uint32_t fixedTick() { return 0; }
int fixedDraw() { return 2731; }
EffectsCode noEngine(EffectsRoot**, std::int32_t*) { return 2011; }
void noDisconnect() {}

LogoAnimation& logo() {
    static LogoAnimation animation(SaverSettings{false, true, true, true}, LogoClock{fixedTick, fixedDraw},
                                   EffectsClient{noEngine, noDisconnect});
    return animation;
}

// What drawLogo computes for a frame, the very code it sends to GL.
void frameArithmetic(benchmark::State& state) {
    LogoAnimation& animation = logo();
    animation.sweepPosition = 90;
    FrameGeometry frame;
    for (auto _ : state) {
        hueToColour(animation);
        computeFrameGeometry(animation, frame);
        benchmark::DoNotOptimize(frame);
    }
}
BENCHMARK(frameArithmetic);

template <std::size_t N>
void decodeStored(const char (&stored)[N]) {
    std::string decoded = decodeScript(stored, N - 1);
    benchmark::DoNotOptimize(decoded);
}

void decodeTheFourScripts(benchmark::State& state) {
    for (auto _ : state) {
        decodeStored(kStoredLightScriptFadeToBlack);
        decodeStored(kStoredLightScriptFadeToBackground);
        decodeStored(kStoredFanScript);
        decodeStored(kStoredRumbleScript);
    }
}
BENCHMARK(decodeTheFourScripts);

void prepareTheLightScript(benchmark::State& state) {
    LogoAnimation& animation = logo();
    for (auto _ : state) {
        std::string prepared =
            prepareLightScript(animation.effects, animation.red, animation.green, animation.blue);
        benchmark::DoNotOptimize(prepared);
    }
}
BENCHMARK(prepareTheLightScript);

void readTheSettingsBytes(benchmark::State& state) {
    const std::string bytes = settingsFileBytes(SaverSettings{false, true, true, false});
    for (auto _ : state) {
        SaverSettings settings = settingsFromFileBytes(bytes);
        benchmark::DoNotOptimize(settings);
    }
}
BENCHMARK(readTheSettingsBytes);
}  // namespace

BENCHMARK_MAIN();
