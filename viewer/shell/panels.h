// The translucent help and detail panels over the centre of the main window.
#pragma once

void draw_panel_background();
void draw_help_panel();
// index: a table index in use (the pick's detail_acupoint).
void draw_detail_panel(int index);
