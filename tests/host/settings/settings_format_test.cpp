#include <gtest/gtest.h>

#include <random>
#include <sstream>
#include <string>

#include "settings/settings_format.h"
#include "settings/text_mode.h"

namespace {
// The four settings in file order as "T" and "F": fadeToBackground, lights, fans, rumbles.
std::string letters(const SaverSettings& s) {
    return {s.fadeToBackground ? 'T' : 'F', s.lightsEnabled ? 'T' : 'F', s.fansEnabled ? 'T' : 'F', s.rumblesEnabled ? 'T' : 'F'};
}

std::string read(const std::string& stored, std::size_t piece = 512) { return letters(settingsFromFileBytes(stored, piece)); }

// The settings file's meaning stated with the C++ library itself: four std::getline calls into one
// string on a stream of the characters the file reads as.
std::string readWithGetline(const std::string& stored) {
    std::istringstream stream(textModeText(stored));
    std::string line, values;
    for (int i = 0; i < 4; ++i) {
        std::getline(stream, line);
        values += line == "true\r" ? 'T' : 'F';
    }
    return values;
}
}  // namespace

TEST(TextMode, ReadsCrLfAsLfKeepsEveryOtherCrAndEndsAtCtrlZ) {
    using namespace std::string_literals;
    const struct { std::string stored, text; } cases[] = {
        {"true\r\n", "true\n"}, {"true\r\r\n", "true\r\n"}, {"true\r\r\r\n", "true\r\r\n"},
        {"a\rb\n\rc", "a\rb\n\rc"}, {"\n\r", "\n\r"}, {"true\r", "true\r"}, {"a\0b\r\n"s, "a\0b\n"s},
        {"true\r\r\n\x1atrue\r\r\n", "true\r\n"}, {"true\r\x1a\n", "true\r"}, {"a\x1a\x1a" "b", "a"},
    };
    // Read in pieces, as the file is, in SettingsReading below.
    for (const auto& c : cases) EXPECT_EQ(textModeText(c.stored), c.text) << testing::PrintToString(c.stored);
    EXPECT_EQ(textModeBytes("a\nb\r\n\x1a\0"s), "a\r\nb\r\r\n\x1a\0"s);
}

TEST(SettingsFileBytes, EachLineEndsInCrCrLfAndReadsBack) {
    EXPECT_EQ(settingsFileBytes(SaverSettings{false, true, true, false}),
              "false\r\r\ntrue\r\r\ntrue\r\r\nfalse\r\r\n");
    for (unsigned bits = 0; bits < 16; ++bits) {
        const SaverSettings settings{(bits & 8) != 0, (bits & 4) != 0, (bits & 2) != 0, (bits & 1) != 0};
        EXPECT_EQ(read(settingsFileBytes(settings)), letters(settings)) << bits;
    }
}

TEST(SettingsReading, WhatAFileReadsAsAndAgreementWithStdGetline) {
    const std::string x(100000, 'x'), t = "true\r\r\n";
    const struct { std::string stored, expected; } cases[] = {
        {t + t + t + t, "TTTT"}, {"true\r\ntrue\r\ntrue\r\ntrue\r\n", "FFFF"},  // CR LF alone: the CR is eaten
        {"true\ntrue\ntrue\ntrue\n", "FFFF"}, {"true\r\r\r\ntrue\r\r\r\ntrue\r\r\r\ntrue\r\r\r\n", "FFFF"},
        {"TRUE\r\r\n true\r\r\ntrue \r\r\n1\r\r\n", "FFFF"}, {t + "false\r\r\nTRUE\r\r\n" + t, "TFFT"},
        {"", "FFFF"}, {"\x1a", "FFFF"}, {t + t, "TTFF"}, {"\r\n\r\n", "FFFF"},  // empty: all false, not the defaults
        // A last line without LF stands for every setting after it.
        {"false\r\r\ntrue\r", "FTTT"}, {"true\r", "TTTT"}, {t + "false\r", "TFFF"}, {"true", "FFFF"},
        {"false\r\r\ntrue\r\x1a\r\n", "FTTT"},
        // Nothing after the fourth line or a Ctrl-Z counts.
        {t + t + t + t + "false\r\r\nfalse\r", "TTTT"}, {t + "\x1a" + t + t + t, "TFFF"},
        // Long lines read false and shift nothing after them.
        {x + "\r\r\n" + t + "false\r\r\n" + t, "FTFT"}, {"true\r" + x + "\r\r\ntrue\r", "FTTT"}, {t + x, "TFFF"},
        // A CR that ends one 512-byte piece and the LF that starts the next are still one line end.
        {std::string(505, 'x') + "\r\ntrue\r\r\ntrue\r\r\nfalse\r\r\n", "FTTF"},
    };
    for (const auto& c : cases) EXPECT_EQ(read(c.stored), c.expected) << testing::PrintToString(c.stored);
    const std::string parts[] = {"true", "false", "\r", "\r", "\n", "\x1a", "t", " ", "TRUE"};
    std::mt19937 random(1789);
    for (int round = 0; round < 5000; ++round) {
        std::string stored;
        for (int n = random() % 14; n > 0; --n) stored += parts[random() % 9];
        const std::size_t pieceSize = 1 + random() % 7;
        ASSERT_EQ(read(stored, pieceSize), readWithGetline(stored))
            << testing::PrintToString(stored) << " in pieces of " << pieceSize;
    }
}

TEST(SettingsReading, StopsReadingTheFileAfterTheFourthLine) {
    const std::string stored = "true\r\r\ntrue\r\r\ntrue\r\r\ntrue\r\r\n" + std::string(100000, 'x');
    std::string_view rest = stored;
    int pieces = 0;
    readSettingsFile([&](char* buffer, std::size_t capacity) {
        ++pieces;
        const std::size_t got = rest.copy(buffer, capacity);
        rest.remove_prefix(got);
        return got;
    });
    EXPECT_EQ(pieces, 1);
}
