// The meridian menu as the viewer's own pop-up sub-window of the main window. GLUT's pop-up
// menus are drawn with a Latin bitmap font on every platform, so the GBK entry texts are drawn
// here with screen_font instead. It behaves like a native pop-up menu (atlas/popup_menu_state.h):
// a right press opens it at the pointer, and while it is open every mouse and keyboard input of
// the viewer's windows is its own.
#pragma once

// Creates the pop-up as a hidden sub-window of the current window.
void build_meridian_menu();
// A chosen entry: its value (1..12) becomes current_meridian and the main window is redrawn.
void on_meridian_menu(int value);

// GLUT buttons 3 and 4: one notch of the wheel away from and towards the user.
constexpr int kWheelUpButton = 3;
constexpr int kWheelDownButton = 4;

// A GLUT mouse event of any viewer window, in main window pixels (origin top left). True when
// the pop-up took it: the right button always (in the main window its press opens the pop-up),
// every event while it is open. The caller then does nothing else with it.
bool meridian_popup_mouse(int button, int state, int x, int y, bool in_main_window);
// Pointer motion, with or without a button, in main window pixels; true when taken.
bool meridian_popup_motion(int x, int y);
// Keys while the pop-up is shown: Esc closes it, Enter chooses, Up and Down move; the others are
// swallowed. True when taken.
bool meridian_popup_keyboard(unsigned char key);
bool meridian_popup_special(int key);
// Closes it without a choice (the main window changed size).
void close_meridian_popup();
