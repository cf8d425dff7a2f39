#pragma once
#include <cstddef>
#include <functional>
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

// Fills buffer with the next piece of the file's stored bytes and gives how many it put there; 0 at
// the end of the file, and on a read error, which ends the file where it happens.
using ReadSettingsPiece = std::function<std::size_t(char* buffer, std::size_t capacity)>;

// The settings a file reads as, read one piece of stored bytes after another and no further than
// the four lines go, so the file's size does not matter.
SaverSettings readSettingsFile(const ReadSettingsPiece& readPiece);

// The settings that stored bytes read as, handed over pieceSize bytes at a time.
SaverSettings settingsFromFileBytes(std::string_view stored, std::size_t pieceSize = 512);

// The bytes of the settings file that holds these settings: each line "true\r\n" or "false\r\n"
// written through text-mode translation, so each ends in CR CR LF.
std::string settingsFileBytes(const SaverSettings& settings);
