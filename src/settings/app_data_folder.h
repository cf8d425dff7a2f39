#pragma once
#include <string>

// The user's roaming application-data folder, from the shell's wide folder query, so a profile
// path with characters outside the ANSI code page comes back whole; empty when it is not known.
// shell32 has the query from Windows 2000 on, SHFOLDER.DLL before that. The saver's settings and
// the room engine's lights configuration both live there; the older family, whose wide calls are
// stubs, asks with the ANSI call instead (settings_store.cpp).
std::wstring roamingAppDataFolder();
