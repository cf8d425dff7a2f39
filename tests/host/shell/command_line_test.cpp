#include <gtest/gtest.h>

#include <cstring>
#include <string>

#include "shell/command_line.h"

namespace {
const char* nextByte(const char* text) { return *text ? text + 1 : text; }

// A double-byte code page: lead bytes 0x81..0x9F take the next byte with them (as code page 932).
const char* nextDoubleByteChar(const char* text) {
    const unsigned char c = static_cast<unsigned char>(*text);
    if (c == 0) return text;
    if (c >= 0x81 && c <= 0x9F && text[1] != '\0') return text + 2;
    return text + 1;
}

std::string tailOf(const char* commandLine, NextCharFn next = nextByte) {
    return commandTailStart(commandLine, next);
}
}  // namespace

TEST(CommandTail, SkipsTheProgramNameQuotedOrNotAndTheBlanksAfterIt) {
    EXPECT_EQ(tailOf("zovi.scr /s"), "/s");
    EXPECT_EQ(tailOf("\"C:\\Program Files\\zovi.scr\" /p 123"), "/p 123");
    EXPECT_EQ(tailOf("\"C:\\a b\\zovi.scr\"/s"), "/s");   // the option straight after the quote
    EXPECT_EQ(tailOf("\"C:\\no closing quote /s"), "");    // an unclosed quote swallows the line
    EXPECT_EQ(tailOf("zovi.scr \t \x01 /c"), "/c");         // tabs and control bytes are blanks here
    EXPECT_EQ(tailOf("zovi.scr"), "");
    EXPECT_EQ(tailOf(""), "");
    EXPECT_EQ(tailOf("   /s"), "/s");                       // no name at all
    EXPECT_EQ(tailOf("z\xe9ro.scr /s"), "/s");               // bytes from 0x80 up belong to the name
}

TEST(CommandTail, StepsOverDoubleByteCharactersWhole) {
    // 0x81 0x22 is one character whose second byte happens to be a quote: it does not end the name.
    EXPECT_EQ(tailOf("\"C:\\\x81\"x.scr\" /s", nextDoubleByteChar), "/s");
    EXPECT_EQ(tailOf("\"C:\\\x81\"x.scr\" /s", nextByte), "x.scr\" /s");
}

TEST(WindowHandle, ReadsDecimalDigitsWrappingModulo2To32) {
    EXPECT_EQ(parseWindowHandle("1234"), 1234u);
    EXPECT_EQ(parseWindowHandle("1234 99"), 1234u);
    EXPECT_EQ(parseWindowHandle("4294967295"), 4294967295u);
    EXPECT_EQ(parseWindowHandle("4294967296"), 0u);
    EXPECT_EQ(parseWindowHandle("4294967297"), 1u);
    EXPECT_EQ(parseWindowHandle("99999999999999999999"), 1661992959u);  // 10^20 - 1 mod 2^32
    EXPECT_EQ(parseWindowHandle(" 12"), 0u);
    EXPECT_EQ(parseWindowHandle("-12"), 0u);
    EXPECT_EQ(parseWindowHandle("+12"), 0u);
    EXPECT_EQ(parseWindowHandle("\xb2\xb3"), 0u);  // superscript digits in Latin-1 are not digits
    EXPECT_EQ(parseWindowHandle(""), 0u);
}

TEST(Dispatch, OptionTable) {
    const struct {
        const char* tail;
        SaverMode mode;
        std::uint32_t handle;
    } cases[] = {
        {"", SaverMode::ConfigureAlone, 0},
        {"/", SaverMode::ConfigureAlone, 0},
        {" -/ -", SaverMode::ConfigureAlone, 0},
        {"s", SaverMode::FullScreen, 0},
        {"-S", SaverMode::FullScreen, 0},
        {"/s", SaverMode::FullScreen, 0},
        {"/ s", SaverMode::FullScreen, 0},
        {"--s", SaverMode::FullScreen, 0},
        {"/saver", SaverMode::FullScreen, 0},  // only the letter counts
        {"/x", SaverMode::Invalid, 0},
        {"/\ts", SaverMode::Invalid, 0},  // a tab after the separators is a character like any other
        {"/\xf3", SaverMode::Invalid, 0},
        {"/c", SaverMode::Configure, 0},
        {"/C:1234", SaverMode::Configure, 1234},
        {"/c:0", SaverMode::Configure, 0},
        {"/c 1234", SaverMode::Configure, 0},   // no colon: the number is not read
        {"/c: 1234", SaverMode::Configure, 0},  // nothing is skipped after the colon
        {"/p 1234", SaverMode::Preview, 1234},
        {"/P   1234", SaverMode::Preview, 1234},
        {"/p1234", SaverMode::Preview, 1234},
        {"/p\t1234", SaverMode::Preview, 0},  // only spaces are skipped after the letter
        {"/p", SaverMode::Preview, 0},
        {"/l 77", SaverMode::Preview, 77},
        {"/L 4294967298", SaverMode::Preview, 2},
        {"/a 55", SaverMode::ChangePassword, 55},
        {"/A", SaverMode::ChangePassword, 0},
    };
    for (const auto& c : cases) {
        const CommandDecision decision = decideCommand(c.tail);
        EXPECT_EQ(decision.mode, c.mode) << '"' << c.tail << '"';
        EXPECT_EQ(decision.handle, c.handle) << '"' << c.tail << '"';
    }
}
