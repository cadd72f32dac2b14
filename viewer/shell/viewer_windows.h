// The main window and the two bars laid over its top and bottom edge: GLUT ids, written when
// they are created, and sizes, written by their reshape callbacks.
#pragma once

extern int main_window;
extern int top_bar;
extern int bottom_bar;
extern int window_width;   // 0 until the first reshape of the main window
extern int window_height;
extern float top_bar_half_width, top_bar_half_height;  // scene units (pixels / 200)
extern float bottom_bar_half_width, bottom_bar_half_height;

// Background colours (RGBA).
constexpr float kMainBackground[4] = {0.227f, 0.321f, 0.353f, 0.0f};
constexpr float kBarBackground[4] = {0.172f, 0.239f, 0.270f, 0.0f};
