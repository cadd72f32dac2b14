// Mouse and keyboard callbacks of the main window, and the interaction state they keep.
#pragma once

extern bool help_shown;    // F1 flips it
extern bool detail_shown;  // a click sets it to whether the last hover pick hit a marker
extern bool move_mode;     // drags move the body instead of turning it
extern int last_mouse_x, last_mouse_y;      // window pixels, origin top left
extern double drag_anchor_x, drag_anchor_y;  // scene point under the pointer at the last button
extern double drag_start_tx, drag_start_ty;  // active view's translation at the last button

void mouse_button(int button, int state, int x, int y);
void mouse_drag(int x, int y);
// Also the bars' keyboard: typing reaches the search line wherever the pointer is.
void keyboard(unsigned char key, int x, int y);
void special_key(int key, int x, int y);
// The wheel's notches (GLUT buttons 3 and 4) zoom the active view like "." and ","; false for
// any other button.
bool wheel_zoom(int button, int state);

// The scene point under window position (x, y) of the main window (origin top left); false
// when the current matrices cannot be inverted.
bool pointer_to_scene(int x, int y, double& scene_x, double& scene_y);
