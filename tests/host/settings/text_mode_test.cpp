#include <gtest/gtest.h>

#include <random>
#include <string>

#include "settings/text_mode.h"

using namespace std::string_literals;

namespace {
// What a text-mode read of a disk file gives, said the plain way: nothing from the first Ctrl-Z on,
// and each CR LF pair, taken from the left, read as one LF.
std::string plainTextModeRead(std::string stored) {
    stored = stored.substr(0, stored.find('\x1a'));
    std::string text;
    for (std::size_t i = 0; i < stored.size(); ++i) {
        if (stored[i] == '\r' && i + 1 < stored.size() && stored[i + 1] == '\n') continue;
        text += stored[i];
    }
    return text;
}

// Reads stored bytes the way the saver reads the file: in pieces of the given size.
std::string readInPieces(const std::string& stored, std::size_t pieceSize) {
    TextModeReading reading;
    std::string text;
    for (std::size_t at = 0; at < stored.size(); at += pieceSize)
        readTextMode(reading, std::string_view(stored).substr(at, pieceSize), text);
    endTextMode(reading, text);
    return text;
}

std::string randomBytes(std::mt19937& random, const std::string& alphabet, std::size_t maxLength) {
    std::string bytes(random() % (maxLength + 1), ' ');
    for (char& c : bytes) c = alphabet[random() % alphabet.size()];
    return bytes;
}
}  // namespace

TEST(TextModeReading, TurnsCrLfIntoLfAndKeepsEveryOtherCr) {
    EXPECT_EQ(textModeText("true\r\n"), "true\n");
    EXPECT_EQ(textModeText("true\n"), "true\n");
    EXPECT_EQ(textModeText("true\r\r\n"), "true\r\n");      // as the settings file is written
    EXPECT_EQ(textModeText("true\r\r\r\n"), "true\r\r\n");
    EXPECT_EQ(textModeText("a\rb\n\rc"), "a\rb\n\rc");         // CR before anything but LF stays
    EXPECT_EQ(textModeText("\n\r"), "\n\r");                   // LF CR is not a pair
    EXPECT_EQ(textModeText("true\r"), "true\r");               // a CR as the very last byte
    EXPECT_EQ(textModeText("\r\r"), "\r\r");
    EXPECT_EQ(textModeText("a\0b\r\n"s), "a\0b\n"s);           // NUL is a character like any other
    EXPECT_EQ(textModeText(""), "");
}

TEST(TextModeReading, EndsTheFileAtTheFirstCtrlZ) {
    EXPECT_EQ(textModeText("true\r\r\n\x1atrue\r\r\n"), "true\r\n");
    EXPECT_EQ(textModeText("\x1a" "true\r\r\n"), "");
    EXPECT_EQ(textModeText("true\r\x1a"), "true\r");           // the CR before it has no LF partner
    EXPECT_EQ(textModeText("true\r\x1a\n"), "true\r");         // nor does one with the LF beyond it
    EXPECT_EQ(textModeText("a\x1a\x1a" "b"), "a");
}

TEST(TextModeReading, GivesTheSameWhereverTheFileIsCutIntoPieces) {
    // A CR at the end of one piece and its LF at the start of the next is still one line end.
    const std::string stored = "false\r\r\ntrue\r\r\n\r\nx\r\x1a\r\n";
    const std::string whole = textModeText(stored);
    EXPECT_EQ(whole, "false\r\ntrue\r\n\nx\r");
    for (std::size_t pieceSize = 1; pieceSize <= stored.size(); ++pieceSize)
        EXPECT_EQ(readInPieces(stored, pieceSize), whole) << "pieces of " << pieceSize;

    std::mt19937 random(20240611);
    for (int round = 0; round < 3000; ++round) {
        const std::string bytes = randomBytes(random, "\r\r\n\x1a" "ab", 24);
        const std::size_t pieceSize = 1 + random() % 5;
        ASSERT_EQ(readInPieces(bytes, pieceSize), plainTextModeRead(bytes))
            << testing::PrintToString(bytes) << " in pieces of " << pieceSize;
    }
}

TEST(TextModeWriting, PutsACrBeforeEveryLfAndChangesNothingElse) {
    EXPECT_EQ(textModeBytes("true\r\n"), "true\r\r\n");
    EXPECT_EQ(textModeBytes("a\nb\n\n"), "a\r\nb\r\n\r\n");
    EXPECT_EQ(textModeBytes("\r\x1a\0z"s), "\r\x1a\0z"s);
    EXPECT_EQ(textModeBytes(""), "");
}

TEST(TextModeWriting, ReadsBackAsWrittenForAnyTextWithoutCtrlZ) {
    std::mt19937 random(7);
    for (int round = 0; round < 3000; ++round) {
        const std::string text = randomBytes(random, "\r\n\nab\0"s, 20);
        ASSERT_EQ(textModeText(textModeBytes(text)), text) << testing::PrintToString(text);
    }
}
