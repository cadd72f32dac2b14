#include "atlas/atlas_files.h"

#include <cstddef>
#include <cstring>

#include "atlas/token_reader.h"

namespace {

constexpr size_t kNumberTokenLimit = 64;  // longer than any number a field can hold

enum class FieldKind { kFloat, kInt, kText };

struct Field {
  const char* name;
  FieldKind kind;
  size_t offset;
  size_t size;  // text fields: bytes including the terminating zero
};

#define FLOAT_FIELD(f) {#f, FieldKind::kFloat, offsetof(AcupointRecord, f), 0}
#define INT_FIELD(f) {#f, FieldKind::kInt, offsetof(AcupointRecord, f), 0}
#define TEXT_FIELD(f) \
  {#f, FieldKind::kText, offsetof(AcupointRecord, f), sizeof(AcupointRecord::f)}

// The table file's fifteen tokens per record, in order.
const Field kFields[] = {
    FLOAT_FIELD(x),          FLOAT_FIELD(y),          FLOAT_FIELD(z),
    FLOAT_FIELD(view_tx),    FLOAT_FIELD(view_ty),    FLOAT_FIELD(view_scale),
    FLOAT_FIELD(view_rot_x), FLOAT_FIELD(view_rot_y), INT_FIELD(number),
    TEXT_FIELD(pinyin),      TEXT_FIELD(name),        INT_FIELD(meridian),
    TEXT_FIELD(meridian_name), TEXT_FIELD(explanation), TEXT_FIELD(effects),
};

std::string record_place(const std::string& path, int record, const Field& field) {
  return path + ": record " + std::to_string(record + 1) + ", field " + field.name;
}

// Reads the count file's one number; -1 when there is none.
int read_count(const std::string& path, int capacity, std::vector<std::string>& messages) {
  TokenReader reader(path);
  if (!reader.is_open()) {
    messages.push_back("cannot open " + path + "; no acupoints loaded");
    return -1;
  }
  std::string token;
  bool cut = false;
  int count = 0;
  if (!reader.next(token, kNumberTokenLimit, cut) || cut || !parse_int_token(token, count)) {
    // A number too large for an int is still a count above capacity.
    bool digits = !token.empty() && token.find_first_not_of("0123456789") == std::string::npos;
    if (!digits) {
      messages.push_back(path + " holds no record count; no acupoints loaded");
      return -1;
    }
    count = capacity + 1;
  }
  if (count < 0) {
    messages.push_back(path + ": negative record count " + token + "; no acupoints loaded");
    return -1;
  }
  if (count > capacity) {
    messages.push_back(path + ": record count " + token + " is above " +
                       std::to_string(capacity) + "; only " + std::to_string(capacity) +
                       " are read");
    count = capacity;
  }
  return count;
}

}  // namespace

AtlasLoadResult load_atlas_dir(const std::string& dir, AcupointRecord* table, int capacity) {
  AtlasLoadResult result;
  int count = read_count(dir + "/dm.tz", capacity, result.messages);
  if (count <= 0) return result;

  const std::string path = dir + "/ptab.tz";
  TokenReader reader(path);
  if (!reader.is_open()) {
    result.messages.push_back("cannot open " + path + "; no acupoints loaded");
    return result;
  }
  result.count = count;
  std::string token;
  for (int i = 0; i < count; ++i) {
    auto* bytes = reinterpret_cast<unsigned char*>(&table[i]);
    for (const Field& field : kFields) {
      size_t limit = field.kind == FieldKind::kText ? field.size - 1 : kNumberTokenLimit;
      bool cut = false;
      if (!reader.next(token, limit, cut)) {
        result.messages.push_back(record_place(path, i, field) +
                                  ": the file ends early; the missing fields stay empty");
        return result;
      }
      bool fits = true;
      if (field.kind == FieldKind::kFloat) {
        float v = 0;
        fits = !cut && parse_float_token(token, v);
        if (fits) std::memcpy(bytes + field.offset, &v, sizeof v);
      } else if (field.kind == FieldKind::kInt) {
        int v = 0;
        fits = !cut && parse_int_token(token, v);
        if (fits) std::memcpy(bytes + field.offset, &v, sizeof v);
      } else {
        std::memcpy(bytes + field.offset, token.c_str(), token.size() + 1);
        if (cut) {
          result.messages.push_back(record_place(path, i, field) + ": longer than " +
                                    std::to_string(limit) + " bytes, cut");
        }
      }
      if (!fits) {
        result.messages.push_back(record_place(path, i, field) + ": \"" +
                                  token.substr(0, 20) + "\" is not a number; " +
                                  std::to_string(i) + " acupoints loaded");
        table[i] = AcupointRecord{};
        result.count = i;
        return result;
      }
    }
  }
  return result;
}

HelpText read_help_file(const std::string& path) {
  HelpText help;
  TokenReader reader(path);
  if (!reader.is_open()) {
    help.message = "cannot open " + path + "; the help panel stays empty";
    return help;
  }
  std::string token;
  bool cut = false;
  int count = 0;
  if (!reader.next(token, kNumberTokenLimit, cut) || cut || !parse_int_token(token, count) ||
      count < 0) {
    help.message = path + " holds no line count; the help panel stays empty";
    return help;
  }
  while (static_cast<int>(help.lines.size()) < count &&
         reader.next(token, kHelpLineField - 1, cut)) {
    help.lines.push_back(token);
  }
  if (static_cast<int>(help.lines.size()) < count) {
    help.message = path + " holds " + std::to_string(help.lines.size()) + " of its " +
                   std::to_string(count) + " lines";
  }
  return help;
}
