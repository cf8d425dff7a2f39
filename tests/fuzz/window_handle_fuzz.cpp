// Window handles from the command line: decimal digits wrapping modulo 2^32, checked against a
// plain reading of the same digits.
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <string>

#include "shell/command_line.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    std::string text(reinterpret_cast<const char*>(data), size);
    text = text.substr(0, text.find('\0'));
    std::uint64_t expected = 0;
    for (char c : text) {
        if (c < '0' || c > '9') break;
        expected = (expected * 10 + static_cast<std::uint64_t>(c - '0')) % 4294967296ull;
    }
    if (parseWindowHandle(text.c_str()) != expected) std::abort();
    return 0;
}
