// GBK (code page 936) text to Unicode, for font engines that index glyphs by code point.
#pragma once

#include <cstddef>
#include <string>

// Every byte of the input is used; a byte that does not start a valid GBK character, or a lead
// byte cut off at the end, becomes U+FFFD on its own, so the rest of the text still shows.
std::u32string decode_gbk(const char* text, std::size_t length);

std::string utf32_to_utf8(const std::u32string& text);
