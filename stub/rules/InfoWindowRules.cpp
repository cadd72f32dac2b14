#include "rules/InfoWindowRules.h"

#include <algorithm>

namespace info_window {

std::string TextFace(const std::string& font_name) {
  return font_name.empty() || font_name == "Tahoma" ? "Verdana" : font_name;
}

Layout LayoutFor(int client_width, int client_height, bool has_address) {
  Layout l{};
  const int band = has_address ? 43 : 0;
  l.text = {3, 0, std::max(0, client_width - 3), std::max(0, client_height - band)};
  if (has_address) l.button = {(client_width - 160) / 2, client_height - 33, 160, 25};
  return l;
}

}  // namespace info_window
