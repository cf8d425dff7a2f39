// Host micro-benchmarks of the saver's own work on its hot paths (Google Benchmark): one frame's
// colour, alpha and vertex arithmetic for both passes without the GL calls, decoding the four stored
// scripts, preparing the light script, and reading the settings bytes.
#include <benchmark/benchmark.h>

#include "effects/effect_scripts.h"
#include "effects/effects_playback.h"
#include "effects/stored_scripts.h"
#include "logo/colour.h"
#include "logo/frame_shading.h"
#include "logo/logo_animation.h"
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

// What drawLogo computes for a frame, point by point, with the values going where the GL calls
// would take them.
void frameArithmetic(benchmark::State& state) {
    LogoAnimation& animation = logo();
    animation.sweepPosition = 90;
    for (auto _ : state) {
        hueToColour(animation);
        const float red = animation.red, green = animation.green, blue = animation.blue;
        const std::int32_t sweep = animation.sweepPosition;
        float sum = 0.0f;
        for (int i = 0; i < kOutlinePointCount; ++i) {
            const float alpha = spriteAlphaAt(i);
            if (!(alpha > 0.0f)) continue;
            const float distance = pointDistance(i, sweep);
            const float x = animation.outlineX[i], y = animation.outlineY[i];
            sum += shadedChannel(red, distance) + shadedChannel(green, distance) +
                   shadedChannel(blue, distance) + alpha + (x + kSpriteHalfSize) + (x - kSpriteHalfSize) +
                   (y + kSpriteHalfSize) + (y - kSpriteHalfSize);
        }
        for (int i = 0; i < kOutlinePointCount; ++i) {
            const float distance = pointDistance(i, sweep);
            sum += shadedChannel(red, distance) + shadedChannel(green, distance) +
                   shadedChannel(blue, distance) + lineAlphaAt(i) + animation.outlineX[i] + animation.outlineY[i];
        }
        benchmark::DoNotOptimize(sum);
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
