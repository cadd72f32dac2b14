// The search line at the top of the main window: the letters typed so far, and the line that
// Enter committed for the search view to find.
#pragma once

#include <string>

extern std::string search_line;
extern std::string pending_query;

// Drawn by the main display with the depth test, texturing and lighting off.
void draw_search_line();
