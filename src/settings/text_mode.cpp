#include "settings/text_mode.h"

namespace {
constexpr char kCarriageReturn = '\r';
constexpr char kLineFeed = '\n';
constexpr char kEndOfFileMark = '\x1a';
}  // namespace

void readTextMode(TextModeReading& reading, std::string_view stored, std::string& text) {
    for (const char byte : stored) {
        if (reading.ended) return;
        if (reading.crHeld) {
            reading.crHeld = false;
            if (byte == kLineFeed) {
                text += kLineFeed;
                continue;
            }
            text += kCarriageReturn;
        }
        if (byte == kEndOfFileMark) {
            reading.ended = true;
        } else if (byte == kCarriageReturn) {
            reading.crHeld = true;
        } else {
            text += byte;
        }
    }
}

void endTextMode(TextModeReading& reading, std::string& text) {
    if (reading.crHeld) text += kCarriageReturn;
    reading.crHeld = false;
    reading.ended = true;
}

std::string textModeText(std::string_view stored) {
    TextModeReading reading;
    std::string text;
    readTextMode(reading, stored, text);
    endTextMode(reading, text);
    return text;
}

std::string textModeBytes(std::string_view text) {
    std::string stored;
    stored.reserve(text.size() + text.size() / 4);
    for (const char c : text) {
        if (c == kLineFeed) stored += kCarriageReturn;
        stored += c;
    }
    return stored;
}
