// The one screen font of all windows. Each window makes it again with the same arguments; the
// font made last is the one it holds.
#pragma once

#include "text/screen_font.h"

extern ScreenFont screen_font;

constexpr const char* kFontFace = "\xCB\xCE\xCC\xE5";  // 宋体
constexpr int kFontHeight = 15;
constexpr int kFontWeight = 15;
