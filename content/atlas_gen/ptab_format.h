// The three files of the viewer's data folder, as bytes: the count "dm.tz", the acupoint table
// "ptab.tz" and the help text "help.tz". Texts are GBK already; lines end in CR LF.
#pragma once

#include <string>
#include <vector>

struct ShippedRecord {
  float x = 0, y = 0, z = 0;
  float view_tx = 0, view_ty = 0, view_scale = 1, view_rot_x = 0, view_rot_y = 0;
  int number = 0;
  std::string pinyin, name;  // GBK
  int meridian = 0;
  std::string meridian_name, explanation, effects;  // GBK
};

// Field capacities of the viewer's record, terminating zero included.
constexpr size_t kShortCapacity = 100;
constexpr size_t kLongCapacity = 500;

// Empty when the record can be written and read back token for token; else what is wrong.
std::string record_problem(const ShippedRecord& record);

std::string format_count(int count);  // decimal, no line end
// Fifteen tokens per record, floats with six decimals, one record per line and no line end
// after the last.
std::string format_table(const std::vector<ShippedRecord>& records);
// The count, then the lines, each on a line of its own.
std::string format_help(const std::vector<std::string>& lines);
