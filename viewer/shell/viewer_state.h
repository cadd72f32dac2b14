// The viewer's global state: every viewer part talks to the others through these.
// Callbacks change them and ask for a redisplay; only display callbacks draw.
#pragma once

#include <cstdint>
#include <string>

#include "atlas/acupoint_record.h"
#include "model/model.h"
#include "model/model_reader.h"
#include "text/screen_font.h"

// Constructed before main in this order, destroyed in reverse.
extern ModelReader model_reader;
extern Model body_model;
extern ScreenFont screen_font;
extern std::string search_line;
extern std::string pending_query;

// Windows.
extern int main_window;
extern int top_bar;
extern int bottom_bar;
extern int window_width;   // 0 until the first reshape of the main window
extern int window_height;
extern float top_bar_half_width, top_bar_half_height;        // scene units (pixels / 200)
extern float bottom_bar_half_width, bottom_bar_half_height;

// Atlas.
extern AcupointRecord acupoints[kAcupointCapacity];
extern int acupoint_count;

// Views: 0 = search view, 1..12 = meridian view of that meridian.
extern int current_meridian;
extern float search_rot_x, search_rot_y;
extern double search_tx, search_ty;
extern float search_scale;
extern float marker_position[3];  // starts outside the view volume: no marker before a search
extern int selected_acupoint;
extern float meridian_tx, meridian_ty;
extern float meridian_rot_x, meridian_rot_y;
extern float meridian_scale;

// Interaction.
extern bool help_shown;
extern bool detail_shown;
extern bool move_mode;
extern int last_mouse_x, last_mouse_y;      // window pixels, origin top left
extern double drag_anchor_x, drag_anchor_y;  // scene point under the pointer at the last button
extern double drag_start_tx, drag_start_ty;  // active view's translation at the last button
constexpr int kSelectBufferSize = 200;
extern uint32_t select_buffer[kSelectBufferSize];
extern int hit_count;  // hit records of the last hover pick; -1 when the buffer overflowed

// Fixed colours (RGBA).
constexpr float kMainBackground[4] = {0.227f, 0.321f, 0.353f, 0.0f};
constexpr float kBarBackground[4] = {0.172f, 0.239f, 0.270f, 0.0f};
