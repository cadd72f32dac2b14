// The meridian menu as the viewer's own pop-up sub-window of the main window. GLUT's pop-up
// menus are drawn with a Latin bitmap font on every platform, so the GBK entry texts are drawn
// here with screen_font instead. It lives while the right button is held: opened at the pointer
// on the press, the entry under the pointer highlighted, chosen on release over an entry.
#pragma once

// Window pixels of the main window, origin top left.
void open_meridian_popup(int x, int y);
void track_meridian_popup(int x, int y);
// Closes the pop-up and calls on_meridian_menu when the release is over an entry.
void release_meridian_popup(int x, int y);
bool meridian_popup_open();
