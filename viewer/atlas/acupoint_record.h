// One acupoint of the atlas table, fields in the order of the table file's tokens.
#pragma once

#include <cstdint>

constexpr int kAcupointCapacity = 500;
constexpr int kShortField = 100;  // pinyin, name, meridian_name
constexpr int kLongField = 500;   // explanation, effects

struct AcupointRecord {
  float x, y, z;  // marker position in model space
  float view_tx, view_ty, view_scale, view_rot_x, view_rot_y;  // search view that shows it
  int32_t number;
  char pinyin[kShortField];
  char name[kShortField];  // GBK
  int32_t meridian;        // 1..12, the meridian menu value
  char meridian_name[kShortField];
  char explanation[kLongField];
  char effects[kLongField];
};
