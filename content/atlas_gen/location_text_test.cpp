#include "atlas_gen/location_text.h"

#include "atlas_gen/gbk_convert.h"

#include <gtest/gtest.h>

#include <string>

namespace {

// A table line's location columns read as a rule, the way the table is read.
LocationRule rule_of(const std::string& columns) {
  const std::string line = "XX1\tA\tA\t1\tA\t" + columns + "\t-\t【释义】甲\t【功能】乙";
  SourcePoint p;
  std::string error;
  EXPECT_TRUE(parse_source_line(line, &p, &error)) << error;
  return p.rule;
}

// The words say what the rule says: its landmarks, its cun and its sides.
TEST(LocationText, WordsFollowTheRule) {
  const struct {
    const char* columns;
    const char* text;
  } cases[] = {
      {"LN\tknee_eye_lateral>ankle_front/16\t3\t0\t0\t-",
       "【定位】犊鼻至踝关节前横纹中点作16寸，其连线上距犊鼻3寸。"},
      {"LN\tradial_styloid>cubital_crease_radial+elbow_lateral/12\t1.5\t0\t0\t90",
       "【定位】桡骨茎突至肘横纹桡侧端与肱骨外上髁的中点作12寸，其连线上距桡骨茎突1.5寸。"},
      {"LN\tgreater_trochanter>coccyx/1\t0.33\t0\t0\t160",
       "【定位】股骨大转子与尾骨连线上，距股骨大转子全长的1/3处。"},
      {"LN\twrist_crease_radial>cubital_crease_radial/12\t0\t0\t0\t-", "【定位】腕掌侧横纹桡侧端处。"},
      {"TR\tnavel\t-3\t2\t0\t0", "【定位】脐中下3寸，前正中线旁开2寸。"},
      {"TR\tnavel\t0\t0\t0.8\t75", "【定位】平脐中，躯干侧面正中向前0.8寸。"},
      {"TR\tt3\t0\t1.5\t0\t180", "【定位】第3胸椎棘突下，后正中线旁开1.5寸。"},
      {"AT\tmalleolus_lateral\t-1.5\t0\t-1\t90", "【定位】外踝尖下1.5寸、向后1寸。"},
      {"AT\tcoracoid\t0\t0\t0\t0", "【定位】锁骨下窝处。"},
      {"HD\thairline_front\t0.5\t1.5\t0\t-", "【定位】前发际正中直上0.5寸，旁开1.5寸。"},
      {"NL\tfinger1\t0.3\t0.25\t0\t-",
       "【定位】拇指末节桡侧，距指尖0.3寸、偏桡侧0.25寸，指甲根角旁。"},
      {"NL\ttoe5\t0.3\t-0.25\t0\t-",
       "【定位】小趾末节外侧，距趾尖0.3寸、偏外侧0.25寸，趾甲根角旁。"},
  };
  for (const auto& c : cases) {
    std::string text, error;
    ASSERT_TRUE(location_text(rule_of(c.columns), &text, &error)) << c.columns << ": " << error;
    EXPECT_EQ(text, c.text) << c.columns;
  }
}

TEST(LocationText, LandmarkWithoutATermIsAnError) {
  std::string text, error;
  EXPECT_FALSE(location_text(rule_of("AT\tnowhere\t0\t0\t0\t-"), &text, &error));
  EXPECT_NE(error.find("nowhere"), std::string::npos);
}

// The explanation gains its location; a record whose texts no longer fit is refused, not cut.
TEST(LocationText, RecordTextsRefuseWhatDoesNotFit) {
  SourcePoint p;
  p.pinyin = "A";
  p.name = "甲";
  p.meridian_name = "乙";
  p.effects = "【功能】丙";
  p.rule = rule_of("TR\tnavel\t-3\t2\t0\t0");
  const std::string location = "【定位】脐中下3寸，前正中线旁开2寸。";  // 36 GBK bytes
  for (const int chars : {200, 227, 228, 240}) {  // two GBK bytes each, after the 8-byte label
    p.explanation = "【释义】";
    for (int i = 0; i < chars; ++i) p.explanation += "名";
    ShippedRecord r;
    std::string error;
    const bool fits = 8 + 2 * chars + 36 < 500;
    EXPECT_EQ(record_texts(p, &r, &error), fits) << chars << ": " << error;
    if (fits) {
      EXPECT_EQ(r.explanation.size(), size_t(8 + 2 * chars + 36));
      std::string utf8;
      ASSERT_TRUE(gbk_to_utf8(r.explanation, &utf8));
      EXPECT_EQ(utf8.substr(utf8.size() - location.size()), location);
    } else {
      EXPECT_NE(error.find("explanation"), std::string::npos) << error;
    }
  }
}

// The table's own words stand for the made ones, but only when they name a landmark the rule
// measures from (a level of the sternum by its intercostal space, the scalp by a hairline).
TEST(LocationText, TableWordsMustNameALandmarkOfTheRule) {
  const struct {
    const char* columns;
    const char* words;
    bool named;
  } cases[] = {
      {"TR\tnavel\t-3\t0\t0\t0", "【定位】在下腹部，脐中下3寸，前正中线上。", true},
      {"TR\tnavel\t-3\t0\t0\t0", "【定位】在下腹部，前正中线上。", false},
      {"TR\tsternal_notch\t-6.8\t0\t0\t0", "【定位】在胸部，横平第4肋间隙，前正中线上。", true},
      {"TR\tsternal_notch\t-6.8\t0\t0\t0", "【定位】在胸部，横平第3肋间隙，前正中线上。", false},
      {"TR\tl2\t0\t0\t0\t180", "【定位】在脊柱区，第2腰椎棘突下凹陷中。", true},
      {"TR\tl2\t0\t0\t0\t180", "【定位】在脊柱区，第3腰椎棘突下凹陷中。", false},
      {"HD\thairline_front\t11\t0\t0\t-", "【定位】在颈后区，后发际正中直上1寸。", true},
      {"LN\tsubnasale>lip_upper/3\t1\t0\t0\t-", "【定位】人中沟中，鼻中隔下缘下1/3处。", true},
      {"LN\tsubnasale>lip_upper/3\t1\t0\t0\t-", "【定位】在面部，人中沟中。", false},
  };
  for (const auto& c : cases) {
    SourcePoint p;
    p.pinyin = "A";
    p.name = "甲";
    p.meridian_name = "乙";
    p.explanation = "【释义】丁";
    p.effects = "【功能】丙";
    p.rule = rule_of(c.columns);
    p.location = c.words;
    ShippedRecord r;
    std::string error, utf8;
    EXPECT_EQ(unnamed_landmark(p.rule, p.location).empty(), c.named) << c.words;
    ASSERT_EQ(record_texts(p, &r, &error), c.named) << c.words << ": " << error;
    if (!c.named) continue;
    ASSERT_TRUE(gbk_to_utf8(r.explanation, &utf8));
    EXPECT_EQ(utf8, "【释义】丁" + std::string(c.words));
  }
}

}  // namespace
