#include "atlas_gen/source_table.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace {

// 【定位】, 【释义】 and 【功能】 with a short text after each, as UTF-8.
const std::string kLocation = "\xE3\x80\x90\xE5\xAE\x9A\xE4\xBD\x8D\xE3\x80\x91z";
const std::string kExplanation = "\xE3\x80\x90\xE9\x87\x8A\xE4\xB9\x89\xE3\x80\x91x";
const std::string kEffects = "\xE3\x80\x90\xE5\x8A\x9F\xE8\x83\xBD\xE3\x80\x91y";

std::string line(const std::string& code, int meridian, const std::string& rule,
                 const std::string& words = "-") {
  return code + "\tPINYIN\tname\t" + std::to_string(meridian) + "\tmeridian\t" + rule + "\t" +
         words + "\t" + kExplanation + "\t" + kEffects;
}

TEST(SourceLine, ReadsEveryFrameAndFace) {
  SourcePoint p;
  std::string error;
  ASSERT_TRUE(parse_source_line(line("LU3", 1, "LN\ta>b/9\t3\t0\t0\t-"), &p, &error)) << error;
  EXPECT_EQ(p.code, "LU3");
  EXPECT_EQ(p.number, 3);
  EXPECT_EQ(p.meridian, 1);
  EXPECT_EQ(p.rule.frame, Frame::kLine);
  EXPECT_EQ(p.rule.ref, "a");
  EXPECT_EQ(p.rule.ref_to, "b");
  EXPECT_DOUBLE_EQ(p.rule.span, 9);
  EXPECT_DOUBLE_EQ(p.rule.along, 3);
  EXPECT_TRUE(p.rule.face_normal);

  ASSERT_TRUE(parse_source_line(line("GB21", 11, "AT\tacromion\t0.5\t-2.5\t1\t180/-30"), &p, &error));
  EXPECT_EQ(p.rule.frame, Frame::kAt);
  EXPECT_DOUBLE_EQ(p.rule.lat, -2.5);
  EXPECT_DOUBLE_EQ(p.rule.fwd, 1);
  EXPECT_FALSE(p.rule.face_normal);
  EXPECT_DOUBLE_EQ(p.rule.yaw, 180);
  EXPECT_DOUBLE_EQ(p.rule.pitch, -30);

  ASSERT_TRUE(parse_source_line(line("LU11", 1, "NL\tfinger1\t0.3\t0.25\t0\t-"), &p, &error));
  EXPECT_EQ(p.rule.frame, Frame::kNail);
  EXPECT_EQ(p.rule.ref, "finger1");
  EXPECT_TRUE(p.location.empty());  // "-": the words come from the rule

  ASSERT_TRUE(parse_source_line(line("GV20", 14, "HD\thairline_front\t5\t0\t0\t-", kLocation), &p,
                                &error)) << error;
  EXPECT_EQ(p.meridian, 14);
  EXPECT_EQ(p.location, kLocation);
}

TEST(SourceLine, RejectsMalformedLines) {
  const std::vector<std::pair<const char*, std::string>> cases = {
      {"too few columns", "LU1\tZHONGFU"},
      {"space inside a text", line("LU1", 1, "TR\tnavel\t0\t2\t0\t0").replace(4, 1, " ")},
      {"code without number", line("LU", 1, "TR\tnavel\t0\t2\t0\t0")},
      {"code without letters", line("12", 1, "TR\tnavel\t0\t2\t0\t0")},
      {"meridian 15", line("LU1", 15, "TR\tnavel\t0\t2\t0\t0")},
      {"unknown frame", line("LU1", 1, "XX\tnavel\t0\t2\t0\t0")},
      {"line without span", line("LU1", 1, "LN\ta>b\t0\t0\t0\t-")},
      {"line with zero span", line("LU1", 1, "LN\ta>b/0\t0\t0\t0\t-")},
      {"offset not a number", line("LU1", 1, "TR\tnavel\t1x\t2\t0\t0")},
      {"pitch beyond straight up", line("LU1", 1, "TR\tnavel\t0\t2\t0\t0/95")},
      {"explanation without its label", "LU1\tP\tn\t1\tm\tTR\tnavel\t0\t2\t0\t0\t-\tx\t" + kEffects},
      {"location without its label", line("LU1", 1, "TR\tnavel\t0\t2\t0\t0", "z")},
  };
  for (const auto& c : cases) {
    SourcePoint p;
    std::string error;
    EXPECT_FALSE(parse_source_line(c.second, &p, &error)) << c.first;
    EXPECT_FALSE(error.empty()) << c.first;
  }
}

std::vector<SourcePoint> table(const std::vector<std::pair<std::string, int>>& codes) {
  std::vector<SourcePoint> out;
  for (const auto& c : codes) {
    SourcePoint p;
    std::string error;
    EXPECT_TRUE(parse_source_line(line(c.first, c.second, "TR\tnavel\t0\t2\t0\t0"), &p, &error));
    out.push_back(p);
  }
  return out;
}

std::vector<std::pair<std::string, int>> all_meridians() {
  std::vector<std::pair<std::string, int>> codes;
  for (int m = 1; m <= kLastMeridian; ++m) {
    const std::string letters(2, char('A' + m));
    codes.push_back({letters + "1", m});
    codes.push_back({letters + "2", m});
  }
  return codes;
}

TEST(SourceTable, AcceptsEveryMeridianNumberedFromOne) {
  std::string error;
  EXPECT_TRUE(check_source_table(table(all_meridians()), &error)) << error;
}

TEST(SourceTable, RejectsBadOrderAndNumbers) {
  auto gap = all_meridians();
  gap[1].first = "BB3";  // 1, 3
  auto repeat = all_meridians();
  repeat[1].first = "BB1";  // the same code twice
  auto split = all_meridians();
  std::swap(split[1], split[2]);  // meridian 1, 2, 1
  auto short_table = all_meridians();
  short_table.resize(24);  // ends at meridian 12, without the two vessels
  for (const auto& codes : {gap, repeat, split, short_table}) {
    std::string error;
    EXPECT_FALSE(check_source_table(table(codes), &error));
    EXPECT_FALSE(error.empty());
  }
  auto lower = table(all_meridians());
  lower[0].pinyin = "Zhongfu";
  std::string error;
  EXPECT_FALSE(check_source_table(lower, &error));
}

}  // namespace
