#include "shell/viewer_windows.h"

int main_window;
int top_bar;
int bottom_bar;
int window_width;
int window_height;
float top_bar_half_width, top_bar_half_height;
float bottom_bar_half_width, bottom_bar_half_height;
