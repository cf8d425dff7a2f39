#include <gtest/gtest.h>

#include <string>

#include "shell/command_line.h"

namespace {
const char* nextByte(const char* text) { return *text ? text + 1 : text; }
// Code page 932's lead bytes 0x81..0x9F take the next byte with them.
const char* nextDoubleByteChar(const char* text) {
    const unsigned char c = static_cast<unsigned char>(*text);
    return c >= 0x81 && c <= 0x9F && text[1] ? text + 2 : nextByte(text);
}
}  // namespace

TEST(CommandTail, SkipsTheProgramNameQuotedOrNotAndTheBlanksAfterIt) {
    const struct { const char* line; const char* tail; NextCharFn next = nextByte; } cases[] = {
        {"zovi.scr /s", "/s"}, {"\"C:\\Program Files\\zovi.scr\" /p 123", "/p 123"},
        {"\"C:\\a b\\zovi.scr\"/s", "/s"},           // the option straight after the quote
        {"\"C:\\no closing quote /s", ""},              // an unclosed quote swallows the line
        {"zovi.scr \t \x01 /c", "/c"},                   // tabs and control bytes are blanks here
        {"zovi.scr", ""}, {"", ""}, {"   /s", "/s"},     // no name at all
        {"z\xe9ro.scr /s", "/s"},                        // bytes from 0x80 up belong to the name
        // 0x81 0x22 is one double-byte character whose second byte happens to be a quote.
        {"\"C:\\\x81\"x.scr\" /s", "/s", nextDoubleByteChar}, {"\"C:\\\x81\"x.scr\" /s", "x.scr\" /s"},
    };
    for (const auto& c : cases) EXPECT_EQ(std::string(commandTailStart(c.line, c.next)), c.tail) << c.line;
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
    using M = SaverMode;
    const struct { const char* tail; SaverMode mode; std::uint32_t handle; } cases[] = {
        {"", M::ConfigureAlone, 0}, {"/", M::ConfigureAlone, 0}, {" -/ -", M::ConfigureAlone, 0},
        {"-S", M::FullScreen, 0}, {"/ s", M::FullScreen, 0}, {"/saver", M::FullScreen, 0},  // only the letter counts
        {"/x", M::Invalid, 0}, {"/\xf3", M::Invalid, 0},
        {"/\ts", M::Invalid, 0},  // a tab after the separators is a character like any other
        {"/c", M::Configure, 0}, {"/C:1234", M::Configure, 1234},
        {"/c 1234", M::Configure, 0}, {"/c: 1234", M::Configure, 0},  // a colon, then the number at once
        {"/P   1234", M::Preview, 1234}, {"/p1234", M::Preview, 1234}, {"/p", M::Preview, 0},
        {"/p\t1234", M::Preview, 0},  // only spaces are skipped after the letter
        {"/l 77", M::Preview, 77}, {"/L 4294967298", M::Preview, 2}, {"/a 55", M::ChangePassword, 55},
        {"/A", M::ChangePassword, 0},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(decideCommand(c.tail).mode, c.mode) << '"' << c.tail << '"';
        EXPECT_EQ(decideCommand(c.tail).handle, c.handle) << '"' << c.tail << '"';
    }
}
