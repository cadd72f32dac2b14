#include "atlas/pinyin_search.h"

#include <cstdint>
#include <cstring>

int find_pinyin_code(std::string& query, const AcupointRecord* table, int count) {
  if (query.empty()) return 0;
  for (int i = 0; i < count; ++i) {
    const AcupointRecord& r = table[i];
    if (std::strlen(r.pinyin) == query.size() &&
        std::memcmp(r.pinyin, query.data(), query.size()) == 0) {
      query.clear();
      // Wrapping arithmetic: the table file may hold any int, and overflow must not be undefined.
      return static_cast<int>(static_cast<uint32_t>(r.meridian) * 1000u +
                              static_cast<uint32_t>(r.number));
    }
  }
  return 0;
}

int find_code_index(int code, const AcupointRecord* table, int count) {
  int meridian = code / 1000;
  int number = code - meridian * 1000;
  for (int i = 0; i < count; ++i) {
    if (table[i].number == number && table[i].meridian == meridian) return i;
  }
  return 0;
}
