#include "atlas_gen/ptab_format.h"

#include <cstdio>

namespace {

bool is_word(const std::string& text) {
  return !text.empty() && text.find_first_of(" \t\r\n\v\f") == std::string::npos &&
         text.find('\0') == std::string::npos;
}

std::string fixed6(float value) {
  // A negative zero would print as "-0.000000".
  const double v = value == 0.0f ? 0.0 : double(value);
  char text[64];
  std::snprintf(text, sizeof text, "%.6f", v);
  return text;
}

const char* const kLineEnd = "\r\n";

}  // namespace

std::string record_problem(const ShippedRecord& r) {
  const struct {
    const char* field;
    const std::string* text;
    size_t capacity;
  } texts[] = {{"pinyin", &r.pinyin, kShortCapacity},
               {"name", &r.name, kShortCapacity},
               {"meridian_name", &r.meridian_name, kShortCapacity},
               {"explanation", &r.explanation, kLongCapacity},
               {"effects", &r.effects, kLongCapacity}};
  for (const auto& t : texts) {
    if (!is_word(*t.text)) return std::string(t.field) + " is empty or holds whitespace";
    if (t.text->size() >= t.capacity) return std::string(t.field) + " exceeds its field";
  }
  return "";
}

std::string format_count(int count) { return std::to_string(count); }

std::string format_table(const std::vector<ShippedRecord>& records) {
  std::string out;
  for (size_t i = 0; i < records.size(); ++i) {
    const ShippedRecord& r = records[i];
    if (i > 0) out += kLineEnd;
    for (float f : {r.x, r.y, r.z, r.view_tx, r.view_ty, r.view_scale, r.view_rot_x,
                    r.view_rot_y})
      out += fixed6(f) + " ";
    out += std::to_string(r.number) + " " + r.pinyin + " " + r.name + " " +
           std::to_string(r.meridian) + " " + r.meridian_name + " " + r.explanation + " " +
           r.effects;
  }
  return out;
}

std::string format_help(const std::vector<std::string>& lines) {
  // Unlike the table, every help line ends in its line end, the last one too.
  std::string out = std::to_string(lines.size()) + kLineEnd;
  for (const std::string& line : lines) out += line + kLineEnd;
  return out;
}
