#include "atlas/pinyin_search.h"

#include <gtest/gtest.h>

#include <cstring>

namespace {

AcupointRecord make(const char* pinyin, int meridian, int number) {
  AcupointRecord r{};
  std::strcpy(r.pinyin, pinyin);
  r.meridian = meridian;
  r.number = number;
  return r;
}

// Shaped like the shipped table's awkward corners: a pinyin twice, two records sharing one
// meridian and number, and a lower-case entry.
const AcupointRecord kTable[] = {
    make("ZHONGFU", 1, 1), make("FUTU", 2, 18),   make("FUTU", 3, 32),
    make("JULIAO", 3, 35), make("DICANG", 3, 35), make("zusanli", 3, 36),
};
constexpr int kCount = 6;

TEST(PinyinSearch, FindsTheFirstMatchAndEmptiesTheQuery) {
  struct Case {
    const char* query;
    int code;
  } cases[] = {{"ZHONGFU", 1001}, {"FUTU", 2018}, {"DICANG", 3035}};
  for (const Case& c : cases) {
    std::string query = c.query;
    EXPECT_EQ(find_pinyin_code(query, kTable, kCount), c.code) << c.query;
    EXPECT_EQ(query, "") << c.query;
  }
}

TEST(PinyinSearch, MissesKeepTheQuery) {
  for (const char* q : {"ZUSANLI", "zusanli_", "FUT", "FUTUX", "NOTHING"}) {
    std::string query = q;
    EXPECT_EQ(find_pinyin_code(query, kTable, kCount), 0) << q;
    EXPECT_EQ(query, q);
  }
  std::string empty;
  EXPECT_EQ(find_pinyin_code(empty, kTable, kCount), 0);
  std::string beyond = "zusanli";  // exact bytes match, but only within the count
  EXPECT_EQ(find_pinyin_code(beyond, kTable, 5), 0);
}

TEST(PinyinSearch, CodeLeadsToTheFirstRecordWithThatMeridianAndNumber) {
  EXPECT_EQ(find_code_index(1001, kTable, kCount), 0);
  EXPECT_EQ(find_code_index(3032, kTable, kCount), 2);
  EXPECT_EQ(find_code_index(3035, kTable, kCount), 3) << "DICANG's code names JULIAO";
  EXPECT_EQ(find_code_index(9999, kTable, kCount), 0);
  EXPECT_EQ(find_code_index(3036, kTable, 5), 0);
}

TEST(PinyinSearch, CodeArithmeticOfHugeFieldsWraps) {
  AcupointRecord odd[] = {make("ODD", 2147483647, 2147483647)};
  std::string query = "ODD";
  int code = find_pinyin_code(query, odd, 1);  // defined, whatever the value
  EXPECT_EQ(query, "");
  (void)find_code_index(code, odd, 1);
}

}  // namespace
