#pragma once
#include "effects/effects_playback.h"
#include "x11/program_options.h"

// Runs the saver until an end signal, the window's destruction, or (own window) a key, a button or
// mouse travel; gives the exit code. On the drawing thread, as on Windows: each tick draws a frame,
// wakes the animation thread and swaps. The effects go through the given client.
int runSaver(const ProgramOptions& options, const EffectsClient& effects);
