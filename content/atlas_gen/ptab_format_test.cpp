#include "atlas_gen/ptab_format.h"

#include <gtest/gtest.h>

#include <string>

namespace {

ShippedRecord sample() {
  ShippedRecord r;
  r.x = -0.563333f;
  r.y = 1.353333f;
  r.z = -0.0f;
  r.view_ty = -3.299999f;
  r.view_scale = 3;
  r.number = 1;
  r.pinyin = "ZHONGFU";
  r.name = "\xD6\xD0\xB8\xAE";  // 中府
  r.meridian = 1;
  r.meridian_name = "M";
  r.explanation = "E";
  r.effects = "F";
  return r;
}

TEST(TableFormat, SixDecimalsFifteenTokensCrLfBetweenRecords) {
  const std::string out = format_table({sample(), sample()});
  const std::string first =
      "-0.563333 1.353333 0.000000 0.000000 -3.299999 3.000000 0.000000 0.000000 1 ZHONGFU "
      "\xD6\xD0\xB8\xAE 1 M E F";
  EXPECT_EQ(out, first + "\r\n" + first);  // no line end after the last record
}

TEST(TableFormat, CountAndHelpFiles) {
  EXPECT_EQ(format_count(309), "309");
  EXPECT_EQ(format_help({"a", "b"}), "2\r\na\r\nb\r\n");
}

TEST(TableFormat, RecordProblems) {
  EXPECT_EQ(record_problem(sample()), "");
  struct Case {
    const char* what;
    void (*spoil)(ShippedRecord&);
  } cases[] = {
      {"space in a name", [](ShippedRecord& r) { r.name = "a b"; }},
      {"tab in the effects", [](ShippedRecord& r) { r.effects = "a\tb"; }},
      {"empty pinyin", [](ShippedRecord& r) { r.pinyin.clear(); }},
      {"pinyin of 100 bytes", [](ShippedRecord& r) { r.pinyin.assign(100, 'A'); }},
      {"explanation of 500 bytes", [](ShippedRecord& r) { r.explanation.assign(500, 'x'); }},
      {"line end in the meridian name", [](ShippedRecord& r) { r.meridian_name = "a\r\n"; }},
  };
  for (const Case& c : cases) {
    ShippedRecord r = sample();
    c.spoil(r);
    EXPECT_NE(record_problem(r), "") << c.what;
  }
  ShippedRecord longest = sample();
  longest.pinyin.assign(99, 'A');
  longest.effects.assign(499, 'x');
  EXPECT_EQ(record_problem(longest), "") << "99 and 499 bytes leave room for the zero";
}

}  // namespace
