// Scrambled texts: "Scrambled=01" + key character + scrambled bytes.
#pragma once

#include <string>

extern const char kScrambleMarker[];  // "Scrambled=01"
std::string ScrambleText(const std::string& text, bool scramble);
// The same with a given key character (33..122 when scrambling); for tests and the builder.
std::string ScrambleTextWithKey(const std::string& text, bool scramble, unsigned char key);
