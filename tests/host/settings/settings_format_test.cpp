#include <gtest/gtest.h>

#include <random>
#include <sstream>
#include <string>
#include <vector>

#include "settings/settings_format.h"
#include "settings/text_mode.h"

namespace {
std::vector<bool> asList(const SaverSettings& s) {
    return {s.fadeToBackground, s.lightsEnabled, s.fansEnabled, s.rumblesEnabled};
}

SaverSettings fromList(unsigned bits) {
    SaverSettings s;
    s.fadeToBackground = bits & 8;
    s.lightsEnabled = bits & 4;
    s.fansEnabled = bits & 2;
    s.rumblesEnabled = bits & 1;
    return s;
}

std::vector<bool> read(const std::string& stored) { return asList(settingsFromFileBytes(stored)); }

// The settings file's meaning stated with the C++ library itself: four std::getline calls into one
// string on a stream of the characters the file reads as.
std::vector<bool> readWithGetline(const std::string& stored) {
    std::istringstream stream(textModeText(stored));
    std::string line;
    std::vector<bool> values;
    for (int i = 0; i < 4; ++i) {
        std::getline(stream, line);
        values.push_back(line == "true\r");
    }
    return values;
}

// Reads stored bytes in pieces of the given size, as the saver reads the file.
std::vector<bool> readInPieces(const std::string& stored, std::size_t pieceSize) {
    TextModeReading stream;
    SettingsReading lines;
    for (std::size_t at = 0; at < stored.size() && !settingsReadingDone(lines); at += pieceSize) {
        std::string text;
        readTextMode(stream, std::string_view(stored).substr(at, pieceSize), text);
        readSettingsText(lines, text);
    }
    std::string rest;
    endTextMode(stream, rest);
    readSettingsText(lines, rest);
    return asList(endSettingsText(lines));
}

const std::vector<bool> T4 = {true, true, true, true};
const std::vector<bool> F4 = {false, false, false, false};
}  // namespace

TEST(SettingsFileBytes, EachLineEndsInCrCrLfForEveryCombination) {
    EXPECT_EQ(settingsFileBytes(fromList(0b0110)), "false\r\r\ntrue\r\r\ntrue\r\r\nfalse\r\r\n");
    for (unsigned bits = 0; bits < 16; ++bits) {
        const SaverSettings settings = fromList(bits);
        std::string expected;
        for (bool value : asList(settings)) expected += value ? "true\r\r\n" : "false\r\r\n";
        const std::string bytes = settingsFileBytes(settings);
        EXPECT_EQ(bytes, expected) << bits;
        const int falses = 4 - __builtin_popcount(bits);
        EXPECT_EQ(bytes.size(), 28u + falses) << bits;
        EXPECT_EQ(read(bytes), asList(settings)) << "round trip of " << bits;
    }
}

TEST(SettingsReading, OnlyTrueFollowedByOneCrCountsAsTrue) {
    EXPECT_EQ(read("true\r\r\ntrue\r\r\ntrue\r\r\ntrue\r\r\n"), T4);
    EXPECT_EQ(read("true\r\ntrue\r\ntrue\r\ntrue\r\n"), F4);      // CR LF alone: the CR is eaten
    EXPECT_EQ(read("true\ntrue\ntrue\ntrue\n"), F4);
    EXPECT_EQ(read("true\r\r\r\ntrue\r\r\r\ntrue\r\r\r\ntrue\r\r\r\n"), F4);
    for (const char* line : {"TRUE", "True", " true", "true ", "\ttrue", "1", "yes", "truee", "tru"}) {
        const std::string wrong = std::string(line) + "\r\r\n";
        EXPECT_EQ(read(wrong + wrong + wrong + wrong), F4) << line;
    }
    EXPECT_EQ(read("true\r\r\nfalse\r\r\nTRUE\r\r\ntrue\r\r\n"),
              (std::vector<bool>{true, false, false, true}));
}

TEST(SettingsReading, AnEmptyFileIsAllFalseAndShortFilesEndInFalse) {
    EXPECT_EQ(read(""), F4);
    EXPECT_EQ(read("\x1a"), F4);
    EXPECT_EQ(read("true\r\r\ntrue\r\r\n"), (std::vector<bool>{true, true, false, false}));
    EXPECT_EQ(read("true\r\r\n"), (std::vector<bool>{true, false, false, false}));
    EXPECT_EQ(read("\r\n\r\n"), F4);
}

TEST(SettingsReading, ALastLineWithoutLfStandsForEverySettingAfterIt) {
    EXPECT_EQ(read("false\r\r\ntrue\r"), (std::vector<bool>{false, true, true, true}));
    EXPECT_EQ(read("true\r"), T4);
    EXPECT_EQ(read("true\r\r\nfalse\r"), (std::vector<bool>{true, false, false, false}));
    EXPECT_EQ(read("false\r\r\nfalse\r\r\nfalse\r\r\ntrue\r"),
              (std::vector<bool>{false, false, false, true}));
    EXPECT_EQ(read("true"), F4);                                // no CR: not "true\r"
    EXPECT_EQ(read("false\r\r\ntrue\r\x1a\r\n"), (std::vector<bool>{false, true, true, true}));
}

TEST(SettingsReading, NothingAfterTheFourthLineOrACtrlZCounts) {
    EXPECT_EQ(read("true\r\r\ntrue\r\r\ntrue\r\r\ntrue\r\r\nfalse\r\r\nfalse\r"), T4);
    EXPECT_EQ(read("false\r\r\nfalse\r\r\nfalse\r\r\nfalse\r\r\ntrue\r\r\ntrue\r"), F4);
    EXPECT_EQ(read("true\r\r\n\x1atrue\r\r\ntrue\r\r\ntrue\r\r\n"),
              (std::vector<bool>{true, false, false, false}));
}

TEST(SettingsReading, LongLinesReadFalseAndDoNotShiftTheLinesAfterThem) {
    const std::string longLine = std::string(100000, 'x');
    EXPECT_EQ(read(longLine + "\r\r\ntrue\r\r\nfalse\r\r\ntrue\r\r\n"),
              (std::vector<bool>{false, true, false, true}));
    EXPECT_EQ(read("true\r" + longLine + "\r\r\ntrue\r"), (std::vector<bool>{false, true, true, true}));
    EXPECT_EQ(read("true\r\r\n" + longLine), (std::vector<bool>{true, false, false, false}));
}

TEST(SettingsReading, AgreesWithStdGetlineWhateverTheBytesAndHoweverTheyArrive) {
    const std::vector<std::string> parts = {"true", "false", "\r", "\r", "\n", "\x1a", "t", " ", "TRUE"};
    std::mt19937 random(1789);
    for (int round = 0; round < 5000; ++round) {
        std::string stored;
        for (int n = random() % 14; n > 0; --n) stored += parts[random() % parts.size()];
        const std::vector<bool> expected = readWithGetline(stored);
        ASSERT_EQ(read(stored), expected) << testing::PrintToString(stored);
        const std::size_t pieceSize = 1 + random() % 7;
        ASSERT_EQ(readInPieces(stored, pieceSize), expected)
            << testing::PrintToString(stored) << " in pieces of " << pieceSize;
    }
}
