// Mouse and keyboard callbacks of the main window, and the search line they feed.
#pragma once

void mouse_button(int button, int state, int x, int y);
void mouse_drag(int x, int y);
void hover_pick(int x, int y);
// Also the bars' keyboard: typing reaches the search line wherever the pointer is.
void keyboard(unsigned char key, int x, int y);
void special_key(int key, int x, int y);
void draw_search_line();
// The wheel's notches (GLUT buttons 3 and 4) zoom the active view like "." and ","; false for
// any other button.
bool wheel_zoom(int button, int state);

// The scene point under window position (x, y) of the main window (origin top left); false
// when the current matrices cannot be inverted.
bool pointer_to_scene(int x, int y, double& scene_x, double& scene_y);
