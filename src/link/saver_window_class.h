#pragma once

// The class of every saver window. The desktop finds a running saver by it, the program by it
// refuses a second full-screen saver, and an engine that wants to reach the saver's window (the
// substitute engine's send-on-release fault) looks for it by this name.
constexpr const char* kSaverWindowClassName = "WindowsScreenSaverClass";
