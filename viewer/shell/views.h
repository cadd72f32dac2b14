// The two views of the main window (search view while current_meridian is 0, else the meridian
// view) and the operations the keyboard applies to them. None of them redraws: the caller asks.
#pragma once

#include "shell/pose.h"

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
