#pragma once
// The room's real lights (docs/real-lights.md): while the engine is in use and a configuration
// exists, one thread renders the room model into DMX frames and sends them over UDP as E1.31 or
// Art-Net. The engine's calls only hand scripts to the model under a short lock.
#include <string>

#include "script_language.h"

// Made once, when the engine is loaded: the lock, nothing else.
void prepareLightsOutput();

// A script the engine took. The first of a run looks for the configuration and starts the output;
// gives the journal's account of that look (a JSON object), or nothing for every later script.
std::string lightsPlay(const ParsedScript& script);

// Every object that can still play or be released (server objects, roots, engines, players) is
// counted; when the last is released the output sends fans and rumble to 0 and ends its stream.
void lightsObjectMade();
void lightsObjectReleased();
