#pragma once
#include <cstddef>
#include <string>

// Appends text as a JSON string, quotes included; bytes beyond ASCII are read as Latin-1, so any
// text (a script, a journal's argument, a lights configuration's path) gives valid JSON.
void appendJsonString(std::string& out, const char* text, std::size_t length);
