#include "settings/settings_format.h"

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

SaverSettings settingsFromFileBytes(std::string_view stored) {
    SettingsReading reading;
    readSettingsText(reading, textModeText(stored));
    return endSettingsText(reading);
}

std::string settingsFileBytes(const SaverSettings& settings) {
    std::string text;
    for (const bool value : {settings.fadeToBackground, settings.lightsEnabled,
                             settings.fansEnabled, settings.rumblesEnabled}) {
        text += value ? "true\r\n" : "false\r\n";
    }
    return textModeBytes(text);
}
