// The two views of the main window (search view while current_meridian is 0, else the meridian
// view) and the operations the keyboard applies to them. None of them redraws: the caller asks.
#pragma once

#include "view/pose.h"

// The views' values: 0 = search view, 1..12 = meridian view of that meridian.
extern int current_meridian;
extern float search_rot_x, search_rot_y;  // degrees
extern double search_tx, search_ty;        // scene units
extern float search_scale;
extern float marker_position[3];  // starts outside the view volume: no marker before a search
extern int selected_acupoint;     // table index found by the last search
extern float meridian_tx, meridian_ty;
extern float meridian_rot_x, meridian_rot_y;
extern float meridian_scale;

bool meridian_view_active();

// Each view's values as a pose; the search view's double translation is passed on as floats.
Pose search_view_pose();
Pose meridian_view_pose();
Pose active_view_pose();

void zoom_in();   // active view's scale += 0.1
void zoom_out();  // active view's scale -= 0.1
// Both views back to the identity pose; the view mode, the search marker and the selected
// acupoint stay, so a shown marker keeps its spot on the body.
void reset_views();
// Back to the search view, with the meridian view's values returned to the identity pose.
void leave_meridian_view();
