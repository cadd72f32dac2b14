// Pointer arithmetic of the main window without GL: drag turns, move mode, the scene point under
// the pointer and the reading of selection hit records.
#pragma once

#include <cstdint>

// GLUT's modifier bits: Shift 1, Ctrl 2, Alt 4. Move mode flips only for Ctrl alone.
inline bool is_ctrl_only(int modifiers) { return modifiers == 2; }

// One motion event turns each axis by 2 degrees at most, by the direction of the motion only.
void turn_for_motion(int last_x, int last_y, int x, int y, float& rot_x, float& rot_y);

// Move mode: the view's translation that keeps the anchored scene point under the pointer.
inline double moved_translation(double scene, double anchor, double start) {
  return scene - anchor + start;
}

// Unprojects window point (wx, wy, wz) with column-major 4x4 matrices and viewport (x, y, w, h),
// as OpenGL lays them out; false when the matrices cannot be inverted.
bool unproject_point(double wx, double wy, double wz, const double model_view[16],
                     const double projection[16], const int viewport[4], double out[3]);

// The window row of OpenGL's bottom-up y for a top-down pointer y.
inline int gl_window_y(int viewport_height, int pointer_y) { return viewport_height - pointer_y; }

// The pick rule. Records in a selection buffer: name count, minimum depth, maximum depth, names;
// each marker is drawn with one name, its table index.
//
// The first name of the buffer's first record, when that record is whole, holds a name and the
// name is a table index in [0, count); else -1. A pick that hits nothing writes no record, so the
// buffer keeps the records of the last pick that hit.
int recorded_index(const uint32_t* buffer, int buffer_size, int count);
// The acupoint a pick hit: its recorded_index when hits, what switching back to render mode
// returned, is above 0; -1 for no hit (0) and for an overflow (-1).
int first_hit_index(const uint32_t* buffer, int buffer_size, int hits, int count);
