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
    const struct { const char* line; const char* tail; } cases[] = {
        {"zovi.scr /s", "/s"},
        {"\"C:\\Program Files\\zovi.scr\" /p 123", "/p 123"},
        {"\"C:\\a b\\zovi.scr\"/s", "/s"},           // the option straight after the quote
        {"\"C:\\no closing quote /s", ""},              // an unclosed quote swallows the line
        {"zovi.scr \t \x01 /c", "/c"},                   // tabs and control bytes are blanks here
        {"zovi.scr", ""}, {"", ""}, {"   /s", "/s"},     // no name at all
        {"z\xe9ro.scr /s", "/s"},                        // bytes from 0x80 up belong to the name
    };
    for (const auto& c : cases) EXPECT_EQ(tailOf(c.line), c.tail) << c.line;
    // 0x81 0x22 is one double-byte character whose second byte happens to be a quote.
    EXPECT_EQ(tailOf("\"C:\\\x81\"x.scr\" /s", nextDoubleByteChar), "/s");
    EXPECT_EQ(tailOf("\"C:\\\x81\"x.scr\" /s", nextByte), "x.scr\" /s");
}

TEST(WindowHandle, ReadsDecimalDigitsWrappingModulo2To32) {
    const struct { const char* text; std::uint32_t handle; } cases[] = {
        {"1234", 1234}, {"1234 99", 1234}, {"4294967295", 4294967295u}, {"4294967296", 0}, {"4294967297", 1},
        {"99999999999999999999", 1661992959u},  // 10^20 - 1 mod 2^32
        {" 12", 0}, {"-12", 0}, {"+12", 0}, {"\xb2\xb3", 0}, {"", 0}, {"09", 9}, {"/9", 0}, {":9", 0},
    };
    for (const auto& c : cases) EXPECT_EQ(parseWindowHandle(c.text), c.handle) << c.text;
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
