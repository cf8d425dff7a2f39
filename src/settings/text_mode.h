#pragma once
#include <string>
#include <string_view>

// A Windows text-mode stream translates between the bytes a file holds and the characters a program
// reads or writes, and the settings file is defined by what that translation gives. The saver opens
// the file in binary and translates here, over bytes, so the same code runs on every platform and
// its tests run on the host.

// Reading, one piece of the file after another. CR LF reads as LF; any other CR reads as itself,
// also the very last byte of the file; the first Ctrl-Z (0x1A) ends the file, whatever follows it.
struct TextModeReading {
    bool crHeld = false;  // the last piece ended in a CR: only the next byte tells what it reads as
    bool ended = false;   // a Ctrl-Z has been read
};

// Appends to text the characters that the next piece of stored bytes reads as.
void readTextMode(TextModeReading& reading, std::string_view stored, std::string& text);

// The end of the file: a CR still held reads as itself.
void endTextMode(TextModeReading& reading, std::string& text);

// The characters a whole file of stored bytes reads as.
std::string textModeText(std::string_view stored);

// The bytes that writing text through a text-mode stream stores: every LF goes out as CR LF, and
// nothing else changes.
std::string textModeBytes(std::string_view text);
