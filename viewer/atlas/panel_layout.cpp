#include "atlas/panel_layout.h"

#include <algorithm>
#include <cstdint>

#include "atlas/gbk_text.h"
#include "atlas/gbk_texts.h"

namespace {
constexpr int kLeft = 40;
constexpr int kHeadingY = 255;
constexpr int kFirstLineY = 225;
constexpr int kPitch = 15;
}  // namespace

int detail_line_bytes(int window_width) {
  int64_t per = static_cast<int64_t>(window_width) * 86 / 800;
  return static_cast<int>(std::clamp<int64_t>(per, 2, 1 << 20));
}

std::vector<PlacedText> detail_panel_texts(const AcupointRecord& r, int window_width) {
  std::vector<PlacedText> out;
  out.push_back({kLeft, kHeadingY,
                 field_text(r.name) + "  " + field_text(r.pinyin) + "  " +
                     field_text(r.meridian_name)});
  size_t per = detail_line_bytes(window_width);
  std::vector<std::string> explanation = cut_gbk_lines(field_text(r.explanation), per);
  std::vector<std::string> effects = cut_gbk_lines(field_text(r.effects), per);
  int last_y = kHeadingY;
  int n1 = static_cast<int>(explanation.size());
  for (int i = 0; i < n1; ++i) {
    last_y = kFirstLineY - kPitch * i;
    out.push_back({kLeft, last_y, explanation[i]});
  }
  for (int j = 0; j < static_cast<int>(effects.size()); ++j) {
    last_y = kFirstLineY - kPitch * (2 * n1 - 1) - kPitch * j;
    out.push_back({kLeft, last_y, effects[j]});
  }
  out.push_back({kLeft, last_y - 30, kCloseHint});
  return out;
}

std::vector<PlacedText> help_panel_texts(const std::vector<std::string>& lines) {
  std::vector<PlacedText> out;
  out.push_back({kLeft, kHeadingY, kHelpTitle});
  for (size_t i = 0; i < lines.size(); ++i) {
    out.push_back({kLeft, kFirstLineY - kPitch * static_cast<int>(i), lines[i]});
  }
  return out;
}

std::string acupoint_tip(const AcupointRecord& r) {
  return std::string(kTipBeforeName) + field_text(r.name) + kTipAfterName +
         field_text(r.meridian_name) + kTipAfterMeridian;
}
