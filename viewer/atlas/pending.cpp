// Placeholders until the atlas lands: the body is drawn in the search view, nothing else.
#include <GL/glut.h>

#include "atlas/atlas.h"

void load_atlas() {}
void build_meridian_menu() {}
void on_meridian_menu(int) {}
void draw_meridian_view() {}
void draw_meridian_markers(int) {}
void draw_search_marker(int) {}
void draw_search_view() {}
void draw_help_panel() {}
void draw_detail_panel(int) {}
void display_top_bar() { glClear(GL_COLOR_BUFFER_BIT); glutSwapBuffers(); }
void display_bottom_bar() { glClear(GL_COLOR_BUFFER_BIT); glutSwapBuffers(); }
