#pragma once
#include <string>
#include <string_view>

#include "settings/saver_settings.h"

// The settings file is four lines of text, one per setting in SaverSettings order, read the way a
// line reader of a C++ stream reads them: four reads into one reused line buffer. A read takes the
// characters up to the next LF (which it drops) or to the end of the file. A read that starts right
// at the end of the file empties the buffer and fails; a read after that, or after one that met the
// end, fails and leaves the buffer as it was. After each read its setting is true exactly when the
// buffer holds "true\r", so a last line without LF also stands for every setting after it.

// The four reads, fed the file's characters (after text-mode reading) piece by piece.
struct SettingsReading {
    SaverSettings settings = {false, false, false, false};
    int readsDone = 0;
    std::string line;  // the read under way, cut short once it cannot be "true\r" any more
};

// Takes the next piece of the file's characters.
void readSettingsText(SettingsReading& reading, std::string_view text);

// Whether all four reads are done, so the rest of the file cannot change anything.
inline bool settingsReadingDone(const SettingsReading& reading) { return reading.readsDone == 4; }

// The end of the file: the reads still to come meet it; gives the settings read.
SaverSettings endSettingsText(SettingsReading& reading);

// The settings that a whole file of stored bytes reads as.
SaverSettings settingsFromFileBytes(std::string_view stored);

// The bytes of the settings file that holds these settings: each line "true\r\n" or "false\r\n"
// written through text-mode translation, so each ends in CR CR LF.
std::string settingsFileBytes(const SaverSettings& settings);
