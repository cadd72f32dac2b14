// Pure decisions of the information window: which addresses it may open, which face its text
// takes and where its control and button sit.
#pragma once

#include <string>

namespace info_window {

// Only web addresses are opened: the address comes from a downloaded file, and handing any
// other text to the shell would let that file start a program or open a local document.
bool IsWebAddress(const std::string& address);

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
