#include "atlas/atlas_files.h"

#include <gtest/gtest.h>

#include <cstring>
#include <memory>

#include "atlas/test_files.h"

namespace {

// The first shipped record, CR LF line end.
const std::string kZhongfu =
    "-0.563333 1.353333 0.091021 0.000000 -3.299999 3.000000 0.000000 0.000000 1 ZHONGFU "
    "\xD6\xD0\xB8\xAE 1 \xCA\xD6\xCC\xAB\xD2\xF5\xB7\xCE\xBE\xAD "
    "\xA1\xBE\xCA\xCD\xD2\xE5\xA1\xBF\xD6\xD0 \xA1\xBE\xB9\xA6\xC4\xDC\xA1\xBF\xB8\xAE\r\n";

std::string record(int number, const std::string& pinyin, const std::string& scale = "2.0") {
  return "0.1 0.2 0.3 0.4 0.5 " + scale + " 10.0 20.0 " + std::to_string(number) + " " +
         pinyin + " name 2 meridian explanation effects\r\n";
}

class AtlasFiles : public testing::Test {
 protected:
  void SetUp() override { dir = make_test_dir(); }
  void TearDown() override {
    for (const char* f : {"/dm.tz", "/ptab.tz", "/help.tz"}) remove_file(dir + f);
  }
  AtlasLoadResult load(const std::string& count, const std::string& table, int capacity = 500) {
    write_file(dir + "/dm.tz", count);
    write_file(dir + "/ptab.tz", table);
    return load_atlas_dir(dir, records.get(), capacity);
  }

  std::string dir;
  std::unique_ptr<AcupointRecord[]> records{new AcupointRecord[kAcupointCapacity]()};
};

TEST_F(AtlasFiles, ReadsEveryFieldOfARecord) {
  AtlasLoadResult r = load("2", kZhongfu + record(7, "FUTU"));
  EXPECT_EQ(r.count, 2);
  EXPECT_TRUE(r.messages.empty());
  const AcupointRecord& a = records[0];
  EXPECT_FLOAT_EQ(a.x, -0.563333f);
  EXPECT_FLOAT_EQ(a.y, 1.353333f);
  EXPECT_FLOAT_EQ(a.z, 0.091021f);
  EXPECT_FLOAT_EQ(a.view_ty, -3.299999f);
  EXPECT_FLOAT_EQ(a.view_scale, 3.0f);
  EXPECT_EQ(a.number, 1);
  EXPECT_STREQ(a.pinyin, "ZHONGFU");
  EXPECT_STREQ(a.name, "\xD6\xD0\xB8\xAE");
  EXPECT_EQ(a.meridian, 1);
  EXPECT_STREQ(a.meridian_name, "\xCA\xD6\xCC\xAB\xD2\xF5\xB7\xCE\xBE\xAD");
  EXPECT_STREQ(a.explanation, "\xA1\xBE\xCA\xCD\xD2\xE5\xA1\xBF\xD6\xD0");
  EXPECT_STREQ(a.effects, "\xA1\xBE\xB9\xA6\xC4\xDC\xA1\xBF\xB8\xAE");
  EXPECT_FLOAT_EQ(records[1].view_rot_x, 10.0f);
  EXPECT_FLOAT_EQ(records[1].view_rot_y, 20.0f);
  EXPECT_EQ(records[1].number, 7);
  EXPECT_STREQ(records[1].effects, "effects");
}

TEST_F(AtlasFiles, SmallerCountReadsOnlyThatMany) {
  AtlasLoadResult r = load("1", kZhongfu + record(7, "FUTU"));
  EXPECT_EQ(r.count, 1);
  EXPECT_EQ(records[1].number, 0);
  EXPECT_STREQ(records[1].pinyin, "");
}

TEST_F(AtlasFiles, MissingFilesGiveAnEmptyTableAndAMessage) {
  AtlasLoadResult no_files = load_atlas_dir(dir + "/absent", records.get(), 500);
  EXPECT_EQ(no_files.count, 0);
  ASSERT_EQ(no_files.messages.size(), 1u);
  EXPECT_NE(no_files.messages[0].find("dm.tz"), std::string::npos);

  write_file(dir + "/dm.tz", "3");
  AtlasLoadResult no_table = load_atlas_dir(dir, records.get(), 500);
  EXPECT_EQ(no_table.count, 0);
  ASSERT_EQ(no_table.messages.size(), 1u);
  EXPECT_NE(no_table.messages[0].find("ptab.tz"), std::string::npos);
}

TEST_F(AtlasFiles, BadCountsGiveAnEmptyTable) {
  for (const char* count : {"", "abc", "-4", "3x", "  \r\n"}) {
    AtlasLoadResult r = load(count, kZhongfu);
    EXPECT_EQ(r.count, 0) << '"' << count << '"';
    EXPECT_EQ(r.messages.size(), 1u) << '"' << count << '"';
    EXPECT_EQ(records[0].number, 0) << '"' << count << '"';
  }
  EXPECT_EQ(load("0", kZhongfu).messages.size(), 0u);
}

TEST_F(AtlasFiles, CountAboveCapacityIsLimited) {
  std::string table;
  for (int i = 1; i <= 5; ++i) table += record(i, "P" + std::to_string(i));
  for (const char* count : {"5", "99999999999999999999"}) {
    AtlasLoadResult r = load(count, table, 3);
    EXPECT_EQ(r.count, 3) << count;
    ASSERT_EQ(r.messages.size(), 1u) << count;
    EXPECT_NE(r.messages[0].find("above 3"), std::string::npos) << r.messages[0];
    EXPECT_EQ(records[2].number, 3);
    EXPECT_EQ(records[3].number, 0) << "the record past capacity is not written";
  }
}

TEST_F(AtlasFiles, OverlongTextsAreCutToTheirField) {
  std::string long_pinyin(150, 'A');
  std::string odd_explanation = "(";  // the cut at 499 bytes falls inside a two-byte character
  for (int i = 0; i < 300; ++i) odd_explanation += "\xD6\xD0";
  std::string table = "1 2 3 4 5 6 7 8 9 " + long_pinyin + " name 3 meridian " +
                      odd_explanation + " effects\n" + record(2, "NEXT");
  AtlasLoadResult r = load("2", table);
  EXPECT_EQ(r.count, 2);
  EXPECT_EQ(r.messages.size(), 2u);
  EXPECT_EQ(std::string(records[0].pinyin), std::string(99, 'A'));
  EXPECT_STREQ(records[0].name, "name") << "the rest of the long token is skipped";
  EXPECT_EQ(records[0].meridian, 3);
  EXPECT_EQ(std::strlen(records[0].explanation), 499u);  // "(" + 249 characters
  EXPECT_EQ(std::strlen(records[0].effects), 7u);
  EXPECT_STREQ(records[1].pinyin, "NEXT");
}

TEST_F(AtlasFiles, CutKeepsTwoByteCharactersWhole) {
  std::string explanation;
  for (int i = 0; i < 300; ++i) explanation += "\xD6\xD0";
  load("1", "1 2 3 4 5 6 7 8 9 P N 3 M " + explanation + " E");
  EXPECT_EQ(std::strlen(records[0].explanation), 498u);
}

TEST_F(AtlasFiles, ATokenThatIsNoNumberStopsTheLoading) {
  struct Case {
    const char* what;
    std::string second;
  } cases[] = {
      {"letters for a float", record(2, "B", "abc")},
      {"float with trailing letters", record(2, "B", "2.0x")},
      {"integer too large", "1 2 3 4 5 6 7 8 99999999999 B N 1 M E F\n"},
      {"fraction for an integer", "1 2 3 4 5 6 7 8 2.5 B N 1 M E F\n"},
      {"meridian word", "1 2 3 4 5 6 7 8 2 B N one M E F\n"},
  };
  for (const Case& c : cases) {
    for (int i = 0; i < 3; ++i) records[i] = AcupointRecord{};
    AtlasLoadResult r = load("3", record(1, "A") + c.second + record(3, "C"));
    EXPECT_EQ(r.count, 1) << c.what;
    ASSERT_EQ(r.messages.size(), 1u) << c.what;
    EXPECT_NE(r.messages[0].find("record 2"), std::string::npos) << r.messages[0];
    EXPECT_STREQ(records[0].pinyin, "A") << c.what;
    EXPECT_STREQ(records[1].pinyin, "") << c.what << ": the broken record is cleared";
    EXPECT_FLOAT_EQ(records[1].x, 0) << c.what;
    EXPECT_STREQ(records[2].pinyin, "") << c.what;
  }
}

TEST_F(AtlasFiles, TableEndingEarlyKeepsTheCountAndZeroFields) {
  AtlasLoadResult r = load("3", record(1, "A") + "1.5 2.5 3.5 4 5 6 7 8 9 HALF");
  EXPECT_EQ(r.count, 3);
  ASSERT_EQ(r.messages.size(), 1u);
  EXPECT_STREQ(records[1].pinyin, "HALF");
  EXPECT_FLOAT_EQ(records[1].x, 1.5f);
  EXPECT_STREQ(records[1].name, "");
  EXPECT_EQ(records[1].meridian, 0);
  EXPECT_EQ(records[2].number, 0);
}

TEST_F(AtlasFiles, EveryTruncationOfTheTableLoadsCleanly) {
  const std::string table = kZhongfu + record(7, "FUTU");
  // A cut inside the very last word still leaves a whole word: nothing to report there.
  const size_t last_word = table.rfind(' ') + 1;
  for (size_t cut = 0; cut < table.size(); ++cut) {
    for (int i = 0; i < 3; ++i) records[i] = AcupointRecord{};
    AtlasLoadResult r = load("2", table.substr(0, cut));
    SCOPED_TRACE(cut);
    EXPECT_TRUE(r.count == 2 || r.count == 1 || r.count == 0);
    if (cut <= last_word) {
      EXPECT_FALSE(r.messages.empty()) << "a short table is reported";
    }
    for (int i = 0; i < 2; ++i) {
      EXPECT_LT(std::strlen(records[i].pinyin), sizeof records[i].pinyin);
      EXPECT_LT(std::strlen(records[i].effects), sizeof records[i].effects);
    }
    EXPECT_EQ(records[2].number, 0) << "nothing past the count is written";
  }
}

TEST_F(AtlasFiles, HelpFileLinesAndShortFalls) {
  write_file(dir + "/help.tz", "3\r\n(\xD2\xBB)line\r\nsecond\r\nthird\r\nextra");
  HelpText full = read_help_file(dir + "/help.tz");
  EXPECT_EQ(full.lines, (std::vector<std::string>{"(\xD2\xBB)line", "second", "third"}));
  EXPECT_TRUE(full.message.empty());

  write_file(dir + "/help.tz", "4\none two");
  HelpText short_file = read_help_file(dir + "/help.tz");
  EXPECT_EQ(short_file.lines, (std::vector<std::string>{"one", "two"}));
  EXPECT_FALSE(short_file.message.empty());

  write_file(dir + "/help.tz", "1\n" + std::string(700, 'w'));
  EXPECT_EQ(read_help_file(dir + "/help.tz").lines.at(0).size(), 499u);

  for (const char* bad : {"", "x one", "-1 one"}) {
    write_file(dir + "/help.tz", bad);
    HelpText h = read_help_file(dir + "/help.tz");
    EXPECT_TRUE(h.lines.empty()) << bad;
    EXPECT_FALSE(h.message.empty()) << bad;
  }
  HelpText missing = read_help_file(dir + "/absent.tz");
  EXPECT_TRUE(missing.lines.empty());
  EXPECT_FALSE(missing.message.empty());
}

}  // namespace
