// The two 35-pixel sub-windows laid over the main window: title bar at the top, tip bar at the
// bottom.
#pragma once

void init_top_bar();
void init_bottom_bar();
void reshape_top_bar(int width, int height);
void reshape_bottom_bar(int width, int height);
// Keyboard, mouse and motion callbacks of the current bar.
void register_bar_input(bool bottom);

void display_top_bar();
void display_bottom_bar();
