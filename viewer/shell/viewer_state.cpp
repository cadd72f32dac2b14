#include "shell/viewer_state.h"

// One translation unit keeps the construction order of the global objects fixed.
ModelReader model_reader;
Model body_model;
ScreenFont screen_font;
std::string search_line;
std::string pending_query;

int main_window;
int top_bar;
int bottom_bar;
int window_width;
int window_height;
float top_bar_half_width, top_bar_half_height;
float bottom_bar_half_width, bottom_bar_half_height;

AcupointRecord acupoints[kAcupointCapacity];
int acupoint_count;

int current_meridian;
float search_rot_x, search_rot_y;
double search_tx, search_ty;
float search_scale = 1.0f;
float marker_position[3] = {100, 100, 100};
int selected_acupoint;
float meridian_tx, meridian_ty;
float meridian_rot_x, meridian_rot_y;
float meridian_scale = 1.0f;

bool help_shown;
bool detail_shown;
bool move_mode;
int last_mouse_x, last_mouse_y;
double drag_anchor_x, drag_anchor_y;
double drag_start_tx, drag_start_ty;
uint32_t select_buffer[kSelectBufferSize];
int hit_count;
