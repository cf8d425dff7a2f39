#include "settings/settings_format.h"

#include <algorithm>

#include "settings/text_mode.h"

namespace {
constexpr std::string_view kTrueLine = "true\r";

// One character more than "true\r" tells a longer line from it, so a line of any length costs no
// more memory than that.
constexpr std::size_t kLineKept = kTrueLine.size() + 1;

bool& settingOfRead(SaverSettings& settings, int read) {
    switch (read) {
    case 0: return settings.fadeToBackground;
    case 1: return settings.lightsEnabled;
    case 2: return settings.fansEnabled;
    default: return settings.rumblesEnabled;
    }
}

void finishRead(SettingsReading& reading) {
    settingOfRead(reading.settings, reading.readsDone) = reading.line == kTrueLine;
    reading.readsDone++;
}
}  // namespace

void readSettingsText(SettingsReading& reading, std::string_view text) {
    for (const char c : text) {
        if (settingsReadingDone(reading)) return;
        if (c == '\n') {
            finishRead(reading);
            reading.line.clear();
        } else if (reading.line.size() < kLineKept) {
            reading.line += c;
        }
    }
}

SaverSettings endSettingsText(SettingsReading& reading) {
    // A read that started right at the end empties the buffer; one that took characters keeps
    // them. Either way every later read fails and finds the buffer as that read left it.
    while (!settingsReadingDone(reading)) finishRead(reading);
    return reading.settings;
}

SaverSettings readSettingsFile(const ReadSettingsPiece& readPiece) {
    TextModeReading stream;
    SettingsReading lines;
    char piece[512];
    std::string text;
    while (!settingsReadingDone(lines) && !stream.ended) {
        const std::size_t got = readPiece(piece, sizeof piece);
        if (got == 0) break;
        text.clear();
        readTextMode(stream, std::string_view(piece, got), text);
        readSettingsText(lines, text);
    }
    text.clear();
    endTextMode(stream, text);
    readSettingsText(lines, text);
    return endSettingsText(lines);
}

SaverSettings settingsFromFileBytes(std::string_view stored, std::size_t pieceSize) {
    return readSettingsFile([&stored, pieceSize](char* buffer, std::size_t capacity) {
        const std::string_view piece = stored.substr(0, std::min(pieceSize, capacity));
        piece.copy(buffer, piece.size());
        stored.remove_prefix(piece.size());
        return piece.size();
    });
}

std::string settingsFileBytes(const SaverSettings& settings) {
    std::string text;
    for (const bool value : {settings.fadeToBackground, settings.lightsEnabled,
                             settings.fansEnabled, settings.rumblesEnabled}) {
        text += value ? "true\r\n" : "false\r\n";
    }
    return textModeBytes(text);
}
