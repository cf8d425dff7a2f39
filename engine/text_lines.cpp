#include "text_lines.h"

#include <cstdio>

std::vector<std::string> textLines(const char* text, std::size_t length) {
    std::vector<std::string> lines;
    std::size_t start = 0;
    do {
        std::size_t end = start;
        while (end < length && text[end] != '\n') ++end;
        lines.emplace_back(text + start, end - start);
        if (!lines.back().empty() && lines.back().back() == '\r') lines.back().pop_back();
        start = end + 1;
    } while (start < length);
    return lines;
}

std::vector<std::string> lineWords(const std::string& line) {
    std::vector<std::string> words;
    std::size_t i = 0;
    while (i < line.size()) {
        while (i < line.size() && (line[i] == ' ' || line[i] == '\t')) ++i;
        const std::size_t start = i;
        while (i < line.size() && line[i] != ' ' && line[i] != '\t') ++i;
        if (i > start) words.push_back(line.substr(start, i - start));
    }
    return words;
}

std::string unexpectedByte(const std::string& line) {
    for (char c : line) {
        const unsigned char byte = static_cast<unsigned char>(c);
        if ((byte < 0x20 && c != '\t') || byte > 0x7E) {
            char why[32];
            std::snprintf(why, sizeof why, "unexpected byte 0x%02X", byte);
            return why;
        }
    }
    return "";
}
