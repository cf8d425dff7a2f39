#pragma once

// A process that ends by its own decision — the watchdog's cut, the fault guard — ends every thread
// at once. A part of the effects engine that drives devices (fans, rumble motors, a light stream a
// receiver holds on to) needs a moment first to bring them to rest. Such an engine names, for its
// process, an event it waits for and one it sets once its devices are at rest; the saver sets the
// first and waits at most kEffectsLastWordMs for the second. An engine that names neither costs
// nothing.
constexpr unsigned kEffectsLastWordMs = 250;
constexpr char kEffectsEndingEventPrefix[] = "Zovi effects ending ";  // then the process's identifier
constexpr char kEffectsEndedEventPrefix[] = "Zovi effects at rest ";

void giveEffectsTheirLastWord();
