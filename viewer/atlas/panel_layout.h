// What the help and detail panels and the bottom bar's tip say, and where: positions are
// draw_text arguments in the 800 x 600 reference frame (reference point at twice the argument).
#pragma once

#include <string>
#include <vector>

#include "atlas/acupoint_record.h"

struct PlacedText {
  int x, y;
  std::string text;
};

// Bytes per detail line: window_width * 86 / 800, but at least one two-byte character, since a
// window narrower than 10 pixels would otherwise give lines of no bytes.
int detail_line_bytes(int window_width);

// Heading, explanation lines, effects lines and close hint of record r. The close hint stands
// 30 below the last line drawn, which is the heading when both texts are empty.
std::vector<PlacedText> detail_panel_texts(const AcupointRecord& r, int window_width);

// Title, then one line per help word.
std::vector<PlacedText> help_panel_texts(const std::vector<std::string>& lines);

// The bottom bar's tip for the acupoint under the pointer.
std::string acupoint_tip(const AcupointRecord& r);

// A record's text field up to its zero, never past the field.
template <size_t N>
std::string field_text(const char (&field)[N]) {
  size_t n = 0;
  while (n < N && field[n] != '\0') ++n;
  return std::string(field, n);
}
