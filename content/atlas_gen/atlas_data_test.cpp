// The shipped atlas files, read back with the viewer's own loaders and compared with the table
// they were made from.
#include <gtest/gtest.h>

#include <algorithm>
#include <cstring>
#include <fstream>
#include <iterator>
#include <map>
#include <regex>
#include <set>
#include <sstream>
#include <string>
#include <vector>

#include "atlas/atlas_files.h"
#include "atlas_gen/gbk_convert.h"
#include "atlas_gen/location_text.h"
#include "atlas/meridian_menu_model.h"
#include "atlas/pinyin_search.h"
#include "view/record_pose.h"
#include "atlas_gen/ptab_format.h"
#include "atlas_gen/source_table.h"
#include "view/pose.h"

namespace {

const std::string kData = ATLAS_DATA_DIR;
constexpr int kShipped = 361;

std::string read_bytes(const std::string& path) {
  std::ifstream in(path, std::ios::binary);
  return std::string(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}

std::vector<std::string> split(const std::string& text, const std::string& by) {
  std::vector<std::string> out;
  size_t start = 0;
  for (;;) {
    const size_t at = text.find(by, start);
    out.push_back(text.substr(start, at == std::string::npos ? std::string::npos : at - start));
    if (at == std::string::npos) return out;
    start = at + by.size();
  }
}

class ShippedAtlas : public testing::Test {
 protected:
  static void SetUpTestSuite() {
    table = new std::vector<AcupointRecord>(kAcupointCapacity);  // zeroed, as the viewer's
    result = new AtlasLoadResult(load_atlas_dir(kData, table->data(), kAcupointCapacity));
    source = new std::vector<SourcePoint>;
    std::string error;
    ASSERT_TRUE(read_source_table(ATLAS_TABLE_DIR, source, &error)) << error;
  }
  static void TearDownTestSuite() {
    delete table;
    delete result;
    delete source;
  }
  static const AcupointRecord& at(int i) { return (*table)[i]; }

  static std::vector<AcupointRecord>* table;
  static AtlasLoadResult* result;
  static std::vector<SourcePoint>* source;
};
std::vector<AcupointRecord>* ShippedAtlas::table = nullptr;
AtlasLoadResult* ShippedAtlas::result = nullptr;
std::vector<SourcePoint>* ShippedAtlas::source = nullptr;

TEST_F(ShippedAtlas, LoadsAllRecordsWithoutComplaint) {
  EXPECT_EQ(read_bytes(kData + "/dm.tz"), "361");
  EXPECT_EQ(result->count, kShipped);
  EXPECT_TRUE(result->messages.empty()) << result->messages.front();
  ASSERT_EQ(int(source->size()), kShipped);
}

TEST_F(ShippedAtlas, MeridiansInOrderWithStandardCountsAndMenuNames) {
  const int counts[kMeridianCount] = {11, 20, 45, 21, 9, 19, 67, 27, 9, 23, 44, 14, 24, 28};
  int i = 0;
  for (int m = 0; m < kMeridianCount; ++m)
    for (int k = 0; k < counts[m]; ++k, ++i) {
      ASSERT_LT(i, result->count);
      EXPECT_EQ(at(i).meridian, kMeridianEntries[m].value) << i;
      EXPECT_STREQ(at(i).meridian_name, kMeridianEntries[m].text) << i;
    }
  EXPECT_EQ(i, result->count);
}

TEST_F(ShippedAtlas, NumbersRunFromOneInEachMeridianSoEveryCodeLeadsBack) {
  std::set<int> codes;
  int expected = 1;
  for (int i = 0; i < result->count; ++i) {
    if (i > 0 && at(i).meridian != at(i - 1).meridian) expected = 1;
    EXPECT_EQ(at(i).number, expected++) << i;
    const int code = at(i).meridian * 1000 + at(i).number;
    EXPECT_TRUE(codes.insert(code).second) << code;
    EXPECT_EQ(find_code_index(code, table->data(), result->count), i);
  }
}

// A search by pinyin shows the acupoint it names: DICANG follows JULIAO on the Stomach meridian
// and must not share its number, or its search would show JULIAO.
TEST_F(ShippedAtlas, SearchLeadsToTheNamedAcupoint) {
  for (const char* pinyin :
       {"DICANG", "JULIAO", "ZHONGFU", "ZHIYIN", "QIMEN", "BAIHUI", "SHENQUE", "SHUIGOU"}) {
    std::string query = pinyin;
    const int code = find_pinyin_code(query, table->data(), result->count);
    ASSERT_NE(code, 0) << pinyin;
    EXPECT_STREQ(at(find_code_index(code, table->data(), result->count)).pinyin, pinyin);
  }
}

// The twelve meridians hold only bilateral acupoints, all drawn on the body's right side; the
// two vessels' points lie on the midline, one marker each.
TEST_F(ShippedAtlas, AcupointsSitOnTheBodysRightSideOrOnTheMidline) {
  for (int i = 0; i < result->count; ++i) {
    if (at(i).meridian <= 12) {
      EXPECT_LT(at(i).x, 0.0f) << at(i).pinyin;
    } else {
      EXPECT_NEAR(at(i).x, 0.0f, 0.01f) << at(i).pinyin;
    }
  }
}

TEST_F(ShippedAtlas, PinyinSharedUnderTheStandardNamesIsOnBothMeridians) {
  const std::map<std::string, std::set<int>> shared = {
      {"FUTU", {2, 3}}, {"JULIAO", {3, 11}}, {"WANGU", {6, 11}},
      {"ZHONGZHU", {8, 10}}, {"ZHONGDU", {11, 12}}, {"YINJIAO", {13, 14}}};
  std::map<std::string, std::set<int>> found;
  std::map<std::string, int> uses;
  for (int i = 0; i < result->count; ++i) {
    found[at(i).pinyin].insert(at(i).meridian);
    ++uses[at(i).pinyin];
  }
  for (const auto& s : shared) EXPECT_EQ(found[s.first], s.second) << s.first;
  for (const auto& u : uses)
    if (!shared.count(u.first)) {
      EXPECT_EQ(u.second, 1) << u.first;
    }
  for (int i = 0; i < result->count; ++i)
    EXPECT_TRUE(std::regex_match(at(i).pinyin, std::regex("[A-Z]+"))) << i;
}

// A shared key finds the first acupoint in table order, as every lookup does: YINJIAO is CV7
// (not GV28), ZHONGDU is GB32 (not LR6); the other is shown by its meridian's menu entry.
TEST_F(ShippedAtlas, SharedKeyFindsTheFirstInTableOrder) {
  const std::pair<const char*, int> cases[] = {{"YINJIAO", 13007}, {"ZHONGDU", 11032}};
  for (const auto& c : cases) {
    std::string query = c.first;
    EXPECT_EQ(find_pinyin_code(query, table->data(), result->count), c.second) << c.first;
    EXPECT_TRUE(query.empty());
  }
}

TEST_F(ShippedAtlas, FirstRecordCarriesTheClassicTexts) {
  EXPECT_STREQ(at(0).pinyin, "ZHONGFU");
  EXPECT_STREQ(at(0).name, "\xD6\xD0\xB8\xAE");  // 中府
  EXPECT_EQ(at(0).number, 1);
  EXPECT_EQ(at(0).meridian, 1);
  // The classic explanation, then its location.
  EXPECT_EQ(std::string(at(0).explanation).find(
               "\xA1\xBE\xCA\xCD\xD2\xE5\xA1\xBF\xCA\xD6\xCC\xAB\xD2\xF5\xBE\xAD\xD6\xAE\xC2\xF6"
               "\xC6\xF0\xD3\xDA\xD6\xD0\xBD\xB9\xA3\xAC\xB1\xBE\xD1\xA8\xCA\xC7\xD6\xD0\xC6\xF8"
               "\xB8\xAE\xBE\xDB\xD6\xAE\xCB\xF9\xA3\xAC\xD3\xD6\xCE\xAA\xB7\xCE\xD6\xAE\xC4\xBC"
               "\xD1\xA8\xA3\xAC\xB9\xCA\xC3\xFB\xD6\xD0\xB8\xAE\xA1\xA3\xB8\xC3\xD1\xA8\xD3\xD0"
               "\xCB\xE0\xBD\xB5\xB7\xCE\xC6\xF8\xA1\xA2\xBA\xCD\xCE\xB8\xC0\xFB\xCB\xAE\xD6\xAE"
               "\xB9\xA6\xA1\xA3\xA1\xBE\xB6\xA8\xCE\xBB\xA1\xBF"),  // ...之功。【定位】
            0u);
  EXPECT_STREQ(at(0).effects,
               "\xA1\xBE\xB9\xA6\xC4\xDC\xA1\xBF\xD6\xB9\xBF\xC8\xC6\xBD\xB4\xAD\xA3\xAC\xC7\xE5"
               "\xD0\xBA\xB7\xCE\xC8\xC8\xA3\xAC\xBD\xA1\xC6\xA2\xB2\xB9\xC6\xF8\xA1\xA3\xBF\xC8"
               "\xCB\xD4\xA1\xA2\xC6\xF8\xB4\xAD\xA1\xA2\xD0\xD8\xD6\xD0\xD5\xCD\xC3\xC6\xA1\xA2"
               "\xD0\xD8\xCD\xB4\xA1\xA2\xBC\xE7\xB1\xB3\xCD\xB4\xA1\xA3");
}

// Every text survives GBK and back unchanged and is exactly the table's text; every explanation
// ends with its location: the table's words, which name a landmark of the rule that placed the
// marker, or the words written from that rule.
TEST_F(ShippedAtlas, TextsRoundTripThroughGbkToTheTable) {
  ASSERT_EQ(int(source->size()), result->count);
  for (int i = 0; i < result->count; ++i) {
    const SourcePoint& s = (*source)[i];
    std::string location = s.location, error;
    if (location.empty()) {
      ASSERT_TRUE(location_text(s.rule, &location, &error)) << s.code << ": " << error;
    } else {
      EXPECT_EQ(unnamed_landmark(s.rule, location), "") << s.code;
    }
    const std::string explanation = s.explanation + location;
    const std::pair<const char*, const std::string*> fields[] = {
        {at(i).pinyin, &s.pinyin},
        {at(i).name, &s.name},
        {at(i).meridian_name, &s.meridian_name},
        {at(i).explanation, &explanation},
        {at(i).effects, &s.effects}};
    for (const auto& f : fields) {
      std::string utf8, gbk;
      ASSERT_TRUE(gbk_to_utf8(f.first, &utf8)) << s.code;
      EXPECT_EQ(utf8, *f.second) << s.code;
      ASSERT_TRUE(utf8_to_gbk(utf8, &gbk)) << s.code;
      EXPECT_EQ(gbk, f.first) << s.code;
    }
    EXPECT_EQ(at(i).number, s.number);
    EXPECT_EQ(at(i).meridian, s.meridian);
  }
}

// The loader would cut a long text silently, so the raw tokens are measured.
TEST_F(ShippedAtlas, RawTableIsOneRecordPerCrLfLineWithinCapacities) {
  const std::string bytes = read_bytes(kData + "/ptab.tz");
  ASSERT_FALSE(bytes.empty());
  EXPECT_NE(bytes.back(), '\n');
  const std::vector<std::string> lines = split(bytes, "\r\n");
  ASSERT_EQ(int(lines.size()), kShipped);
  const std::regex fixed6("-?[0-9]+\\.[0-9]{6}"), integer("[0-9]+");
  for (size_t i = 0; i < lines.size(); ++i) {
    ASSERT_EQ(lines[i].find_first_of("\r\n\t"), std::string::npos) << i;
    const std::vector<std::string> t = split(lines[i], " ");
    ASSERT_EQ(t.size(), 15u) << i;
    for (int k = 0; k < 8; ++k) EXPECT_TRUE(std::regex_match(t[k], fixed6)) << i << " " << t[k];
    EXPECT_TRUE(std::regex_match(t[8], integer)) << i;
    EXPECT_TRUE(std::regex_match(t[11], integer)) << i;
    for (int k : {9, 10, 12}) EXPECT_LT(t[k].size(), kShortCapacity) << i;
    for (int k : {13, 14}) EXPECT_LT(t[k].size(), kLongCapacity) << i;
    for (const std::string& token : t) EXPECT_FALSE(token.empty()) << i;
  }
}

// Each search view puts its acupoint at the window centre at a useful zoom.
TEST_F(ShippedAtlas, SearchViewsCentreTheirAcupoint) {
  for (int i = 0; i < result->count; ++i) {
    const AcupointRecord& r = at(i);
    const auto p = pose_point(record_view(r), r.x, r.y, r.z);
    EXPECT_NEAR(p[0], 0, 1e-3) << r.pinyin;
    EXPECT_NEAR(p[1], 0, 1e-3) << r.pinyin;
    EXPECT_GE(r.view_scale, 1.8f) << r.pinyin;
    EXPECT_LE(r.view_scale, 5.4f) << r.pinyin;
    // The body stands within 2.7 units of the origin.
    EXPECT_LT(std::abs(r.x) + std::abs(r.y) + std::abs(r.z), 5.0f) << r.pinyin;
  }
}

TEST_F(ShippedAtlas, HelpHasTheEightInstructionsAndFourMoreLines) {
  const HelpText help = read_help_file(kData + "/help.tz");
  EXPECT_EQ(help.message, "");
  ASSERT_EQ(help.lines.size(), 12u);
  const char* const instructions[8] = {
      "(\xD2\xBB)\xB0\xB4\xD7\xA1\xCA\xF3\xB1\xEA\xD2\xC6\xB6\xAF\xA3\xAC\xD0\xFD\xD7\xAA\xC4\xA3"
      "\xD0\xCD\xA1\xA3",
      "(\xB6\xFE)\xB0\xB4\xD7\xA1" "Ctrl+\xCA\xF3\xB1\xEA\xA3\xAC\xD2\xC6\xB6\xAF\xC4\xA3\xD0\xCD"
      "\xA1\xA3",
      "(\xC8\xFD)\",\"\xCB\xF5\xD0\xA1\xC4\xA3\xD0\xCD\xA3\xBB\".\"\xB7\xC5\xB4\xF3\xC4\xA3\xD0\xCD"
      "\xA1\xA3",
      "(\xCB\xC4)\"/\"\xBD\xAB\xC4\xA3\xD0\xCD\xBB\xD6\xB8\xB4\xB5\xBD\xD4\xAD\xCA\xBC\xD7\xB4\xCC"
      "\xAC\xA1\xA3",
      "(\xCE\xE5)\xCA\xF3\xB1\xEA\xD3\xD2\xBC\xFC\xA3\xAC\xB5\xAF\xB3\xF6\xBE\xAD\xC2\xE7\xB2\xCB"
      "\xB5\xA5\xA1\xA3",
      "(\xC1\xF9)\xD6\xB1\xBD\xD3\xD4\xDA\xC6\xC1\xC4\xBB\xC9\xCF\xBC\xFC\xC8\xEB\xD1\xA8\xCE\xBB"
      "\xC6\xB4\xD2\xF4\xC8\xAB\xC6\xB4\xA3\xAC\xBF\xC9\xB2\xE9\xD1\xAF\xD1\xA8\xCE\xBB\xA1\xA3",
      "(\xC6\xDF)\xCA\xF3\xB1\xEA\xD2\xC6\xB6\xAF\xB5\xBD\xD1\xA8\xCE\xBB\xC9\xCF\xA3\xAC\xB5\xE3"
      "\xBB\xF7\xCA\xF3\xB1\xEA\xA3\xAC\xBF\xC9\xB5\xC3\xB5\xBD\xD1\xA8\xCE\xBB\xCF\xEA\xCF\xB8\xD0"
      "\xC5\xCF\xA2\xA1\xA3",
      "(\xB0\xCB)\xBB\xB9\xD3\xD0\xCE\xCA\xCC\xE2\xA3\xAC\xD6\xB1\xBD\xD3\xCE\xCA\xD7\xF7\xD5\xDF!!!!",
  };
  for (int i = 0; i < 8; ++i) EXPECT_EQ(help.lines[i], instructions[i]) << i;
  for (size_t i = 8; i < help.lines.size(); ++i) {
    std::string utf8;
    EXPECT_TRUE(gbk_to_utf8(help.lines[i], &utf8)) << i;
    EXPECT_LT(help.lines[i].size(), size_t(kHelpLineField)) << i;
  }
  // The last line names the menu's fourteen entries, the two vessels among them.
  const std::string& menu = help.lines.back();
  for (const char* entries : {"14", "\xC8\xCE\xC2\xF6", "\xB6\xBD\xC2\xF6"})  // 任脉 督脉
    EXPECT_NE(menu.find(entries), std::string::npos) << entries;
  const std::string bytes = read_bytes(kData + "/help.tz");
  EXPECT_EQ(bytes.substr(0, 4), "12\r\n");
  EXPECT_EQ(split(bytes, "\r\n").size(), 13u + 1u);  // count, 12 lines, nothing after the last end
  // Every line feed is part of a CR LF.
  EXPECT_EQ(std::count(bytes.begin(), bytes.end(), '\n'), std::count(bytes.begin(), bytes.end(), '\r'));
}

}  // namespace
