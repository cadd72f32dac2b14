// The acupoint atlas as the viewer shell calls it: loading, the meridian menu, the two views'
// drawing, the search, the panels and the bars.
#pragma once

void load_atlas();
void build_meridian_menu();
void on_meridian_menu(int value);

void draw_meridian_view();
void draw_meridian_markers(int meridian);
void draw_search_marker(int index);
void draw_search_view();
// The search view takes record index's view values and puts the search marker on it.
void show_in_search_view(int index);

// Acupoint code of the first record whose pinyin is pending_query (emptying it), or 0.
int find_pending_query();
// Table index of the first record with the code's meridian and number, or 0.
int find_by_code(int code);

void draw_panel_background();
void draw_help_panel();
void draw_detail_panel(int index);
void display_top_bar();
void display_bottom_bar();
