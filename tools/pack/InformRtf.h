// The inform window hands its body to a RichEdit control as text, so the builder writes the
// message boxes' markup (<B>, <P>, <T>, "\n", "\t") as RTF: formatted news then shows formatted.
#pragma once

#include <string>

namespace pack {

// markup is in the bytes of code page `code_page` (936: GBK, whose double-byte characters are
// written whole as \'hh pairs). Bytes from 0x80 become \'hh; "\", "{" and "}" are escaped.
// A text that already starts with "{\rtf" is returned as it stands.
std::string MarkupToRtf(const std::string& markup, int code_page);

// The code page of a character-set name: 936 for GBK and its aliases, N for "CPN" or
// "WINDOWS-N", 1252 for an empty name. Throws PackError for any other name.
int CodePageOfCharset(const std::string& charset);

}  // namespace pack
