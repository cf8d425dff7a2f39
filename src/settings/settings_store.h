#pragma once
#include <optional>
#include <string>

#include "settings/saver_settings.h"

// "Zovi Logo Screensaver.txt" in the user's roaming application-data folder; no path when the
// folder is not known or the whole path would not fit the platform's path limit. Wide, so a profile
// path outside the ANSI code page works; on the older family it is the ANSI path, widened.
std::optional<std::wstring> settingsFilePath();

// The settings in the file; the defaults only when there is no file to open. Other programs may
// read, write and replace the file meanwhile.
SaverSettings loadSettings();

// Writes the settings to a new file beside the old one and then puts it in the old one's place,
// so a failure at any step leaves the old file whole. False when the settings were not saved; each
// failure is told to the debugger's output with the system's reason, never in a window.
bool saveSettings(const SaverSettings& settings);
