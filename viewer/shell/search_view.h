// The search view: the body posed by the view of the acupoint found last, with its marker.
#pragma once

// Runs a committed search first, then draws the body and the search marker.
void draw_search_view();
// The search view takes record index's view values and puts the search marker on it.
void show_in_search_view(int index);

// Acupoint code of the first record whose pinyin is pending_query (emptying it), or 0.
int find_pending_query();
// Table index of the first record with the code's meridian and number, or 0.
int find_by_code(int code);
