#include "InfoWindowRules.h"

#include <algorithm>

#include "UtilsText.h"

namespace info_window {

bool IsWebAddress(const std::string& address) {
  const std::string upper = UpperText(TrimText(address), NoLeadBytes);
  for (const char* scheme : {"HTTP://", "HTTPS://"}) {
    const std::string s(scheme);
    if (upper.size() > s.size() && upper.compare(0, s.size(), s) == 0) return true;
  }
  return false;
}

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
