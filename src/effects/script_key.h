#pragma once

// The script key's four letters, each a constant of its own: decodeScript puts them together at run
// time, so the saver never holds the key in one piece. The build's encoder reads them from here.
constexpr unsigned char kScriptKeyByte0 = 'T';
constexpr unsigned char kScriptKeyByte1 = 'Q';
constexpr unsigned char kScriptKeyByte2 = 'W';
constexpr unsigned char kScriptKeyByte3 = 'H';
