// Hover pick: the markers alone, drawn in selection mode through a 1-pixel pick matrix. Its hit
// drives the bottom bar's tip, and the detail panel after a click.
#pragma once

#include <cstdint>

constexpr int kSelectBufferSize = 200;
// The main window's selection buffer: a pick that hits nothing writes no record, so it keeps the
// records of the last pick that hit.
extern uint32_t select_buffer[kSelectBufferSize];
extern int hit_count;  // hit records of the last hover pick; -1 when the buffer overflowed

// Passive motion callback of the main window.
void hover_pick(int x, int y);

// The acupoint under the pointer at the last hover pick, or -1: the bottom bar's tip.
int hovered_acupoint();
// The acupoint of the records the buffer keeps, or -1: the detail panel's, which stays on the
// acupoint last hit while the pointer moves off it.
int detail_acupoint();
