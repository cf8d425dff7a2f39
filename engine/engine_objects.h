#pragma once
// The objects behind the handles the substitute engine hands out, and its COM server object.
#include <string>

#include "link/effects_interface.h"

// A root table for one connection, as requestRoot hands it out.
EffectsRoot* makeRoot();
std::string rootName(EffectsRoot* root);

// The release callback that accepted connections carry.
void ZOVI_EFFECTS_CALL engineReleaseCallback();

// A new server object with one reference, as the class factory hands it out.
EffectsServer* makeServer();
