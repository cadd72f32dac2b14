// GBK byte rules: a byte below 0x80 is a character of its own, any other byte leads a two-byte
// character. Lengths and cuts are counted in bytes and never split a two-byte character.
#pragma once

#include <cstddef>
#include <string>
#include <vector>

// Length of the longest prefix of text[0, len) that is at most limit bytes and ends on a
// character boundary (a lead byte without its trail at the very end counts as one character).
size_t gbk_safe_prefix(const char* text, size_t len, size_t limit);

// Cuts text into lines of at most per bytes, each ending on a character boundary. A line always
// takes at least one character, so a per below 2 cannot stall on a two-byte character.
std::vector<std::string> cut_gbk_lines(const std::string& text, size_t per);
