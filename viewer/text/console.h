// Console output of the viewer. Every text of the viewer is GBK; a Linux terminal usually is not,
// so there the bytes are converted to the terminal's encoding before they are written.
#pragma once

#include <cstdio>
#include <string>
#include <string_view>

// Writes a GBK text and a line end to out and flushes it: the GLUT loop never returns, so text
// left in a buffer would never reach a pipe.
void write_console_line(std::FILE* out, const char* gbk);

#ifndef _WIN32
// The character set of the user's locale (LC_ALL, LC_CTYPE, LANG), without changing the
// program's own locale: formatted reading of the data files must keep the C number format.
std::string terminal_codeset();

// The GBK text in codeset; the bytes unchanged when the codeset is unknown or cannot represent
// the whole text, so nothing of it is lost.
std::string gbk_to_codeset(std::string_view gbk, const char* codeset);
#endif
