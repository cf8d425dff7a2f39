#pragma once
// What the real-lights output (lights_output.cpp) needs of the system under it: one implementation
// for Windows (lights_platform_win32.cpp), one for POSIX systems (lights_platform_posix.cpp). Paths
// and texts are UTF-8.
#include <cstdint>
#include <string>
#include <vector>

#include "lights_packets.h"

// The status file's line ends, as the system's editors expect them.
extern const char kStatusLineEnd[];

std::int64_t lightsNowUs();            // a steady clock
std::string lightsLocalTimeText();     // "YYYY-MM-DD hh:mm:ss"
std::string lightsConfigPath();        // empty where no place can be named
std::string lightsStatusPath(const std::string& config);
// The file's text; false with the reason ("no configuration" when there is none) otherwise.
bool readLightsConfigText(const std::string& path, std::string& text, std::string& reason);
// Written whole to a new file that then takes the old one's place, so a reader never sees half of it.
void writeLightsStatus(const std::string& path, const std::string& text);
// A preview gives the lights to a full-screen run whenever one holds them.
bool lightsPreviewProcess();
// One source per process, the same for the process's life.
E131Source lightsSourceOfThisProcess();

// Around the output in force; made once, before any script.
void makeLightsLock();
void takeLightsLock();
void leaveLightsLock();

// One run of the output: its socket, its thread and what wakes that thread.
struct LightsLink;
// Opens a non-blocking UDP socket to the address; null with the reason when it cannot.
// opened: whether a socket was made (the journal counts them).
LightsLink* openLightsLink(std::uint32_t address, std::uint16_t port, bool& opened, std::string& why);
// Runs body(argument) on a thread of its own; false with the reason (the link is then freed).
bool runLightsThread(LightsLink* link, void (*body)(void*), void* argument, std::string& why);
// True when the whole packet went; otherwise the system's error number (0 for a part sent).
bool sendLightsPacket(LightsLink* link, const std::vector<std::uint8_t>& packet, int& error);
// Waits at most waitUs; true when the run is to end (stopped, or the process ending).
bool waitLightsTick(LightsLink* link, std::int64_t waitUs);
bool lightsStopAsked(LightsLink* link);
// The lights of the machine have one owner at a time: a full-screen run claims them for as long as
// it sends; a preview looks each frame whether one holds them.
void claimLights(LightsLink* link);
bool lightsHeldElsewhere(LightsLink* link);
// At the thread's end: the claim given up and the socket closed; then, last of all, whoever waits
// for the devices to come to rest is told.
void closeLightsLink(LightsLink* link);
void lightsAtRest(LightsLink* link);
// From another thread: asks the thread to end and waits at most ms for it; true when it ended, and
// then the link is freed (otherwise the thread keeps it and finishes by itself).
bool stopLightsThread(LightsLink* link, unsigned ms);
