#pragma once
#include <optional>
#include <string>

#include "settings/saver_settings.h"

// "Zovi Logo Screensaver.txt" in the user's roaming application-data folder; no path when the
// folder is not known or the whole path would not fit the platform's path limit.
std::optional<std::string> settingsFilePath();

// The settings in the file; the defaults only when there is no file to open. Other programs may
// read and write the file meanwhile.
SaverSettings loadSettings();

// Writes the settings file anew. A file that cannot be written is left as it is, and nobody is
// told: the settings are not worth an error message.
void saveSettings(const SaverSettings& settings);
