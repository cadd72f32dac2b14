// The meridian view and the red acupoint markers, each drawn with its table index as its
// selection name so that the hover pick runs the same routines.
#pragma once

void draw_meridian_view();
void draw_meridian_markers(int meridian);
void draw_search_marker(int index);
