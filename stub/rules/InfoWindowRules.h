// Pure decisions of the information window: which face its text takes and where its control
// and button sit. Which addresses it may open: IsWebAddress (InformFile.h).
#pragma once

#include <string>

namespace info_window {

// "Verdana" unless a face other than the dialogs' default "Tahoma" is given.
std::string TextFace(const std::string& font_name);

struct Rect {
  int x, y, width, height;
};
struct Layout {
  Rect text;
  Rect button;  // zero-sized without an address
};
// The RichEdit from x 3 to the right edge, above a 43-pixel band when there is a button;
// the 160 x 25 button centred, its top 33 pixels above the bottom.
Layout LayoutFor(int client_width, int client_height, bool has_address);

}  // namespace info_window
