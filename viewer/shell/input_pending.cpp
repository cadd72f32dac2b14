// Placeholders until mouse, picking and keyboard land.
#include "shell/input.h"

void mouse_button(int, int, int, int) {}
void mouse_drag(int, int) {}
void hover_pick(int, int) {}
void keyboard(unsigned char, int, int) {}
void special_key(int, int, int) {}
void draw_search_line() {}
