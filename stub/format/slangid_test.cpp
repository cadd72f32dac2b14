// Language names, the choice of the process's language block, and the texts read through it.
#include "text/SLangId.h"

#include <gtest/gtest.h>

#include <initializer_list>
#include <string>

#include "format/GFileInfo.h"
#include "text/UtilsText.h"

namespace {

const std::string kEnglish = "|English|s0=Setup|FontName=Arial|";
const std::string kChinese = "|Chinese|s0=\xB0\xB2\xD7\xB0|Charset=134|FontSize=9|";

// A language table framed by 0x02, as the builder writes it.
std::string Table(std::initializer_list<std::string> blocks) {
  std::string table = "\x02";
  for (const std::string& block : blocks) table += block + "\x02";
  return table;
}

TGFileInfo WithLanguages(const std::string& languages) {
  archive::MemorySource none(std::string(10, 'x'));
  TGFileInfo info(none);
  info.Languages = languages;
  return info;
}

// Each test is a fresh process: no block chosen yet; the locale's id is set per test.
class LangText : public ::testing::Test {
 protected:
  void TearDown() override { ProcessLanguageChoice().Reset(); }
};

}  // namespace

TEST(LanguageName, TableOf43PaddedItems) {
  ASSERT_EQ(ListItemCount(kLanguageNames), 43);
  for (int i = 0; i < 43; ++i) {
    const std::string item = ListItem(kLanguageNames, i, "");
    ASSERT_EQ(item.size(), 17u) << item;
    EXPECT_EQ(item.substr(13, 2), "= ") << item;
    // Every identifier names its own item, except SERBIAN, whose 26 CROATIAN answers first.
    const std::string name = TrimText(item.substr(0, 13));
    const std::string expected = name == "SERBIAN" ? "CROATIAN" : name;
    EXPECT_EQ(LanguageName(int(ParseDecimal(item.substr(15), -1))), expected) << item;
    if (i > 0) {
      EXPECT_LT(ListItem(kLanguageNames, i - 1, ""), item);  // alphabetical
    }
  }
  const std::pair<int, const char*> cases[] = {
      {4, "CHINESE"}, {26, "CROATIAN"}, {9, "ENGLISH"}, {1, "ARABIC"},  {17, "JAPANESE"},
      {56, "FAEROESE"}, {42, "VIETNAMESE"}, {0, ""},    {23, ""},       {99, ""},
      {100, ""},      {-4, ""},
  };
  for (const auto& c : cases) EXPECT_EQ(LanguageName(c.first), c.second) << c.first;
}

TEST(ChooseLanguageBlock, ByLocaleThenOnlyBlockThenEnglish) {
  const std::string deutsch = "|Deutsch|s1=Bitte warten|";
  const std::string french = "|French|s0=Installation|";
  struct Case {
    std::string languages;
    int id;
    std::string expected;
  };
  const Case cases[] = {
      {Table({deutsch}), 9, deutsch},  // the only block, whatever the locale
      {Table({deutsch}), 4, deutsch},
      {Table({kEnglish, kChinese}), 4, kChinese},
      {Table({kEnglish, kChinese}), 17, kEnglish},  // Japanese: no block, English instead
      {Table({kChinese, kEnglish}), 0, kEnglish},   // an identifier without a name
      {Table({french, kChinese}), 17, "*"},         // neither the language nor English
      {Table({"| chinese |s0=x|", kEnglish}), 4, "| chinese |s0=x|"},  // trimmed, any case
      {Table({"||s0=x|", kChinese}), 0, "*"},  // an unknown language is no empty name
      {"|", 9, "*"},  // the shipped table: no languages
      {"\x02", 9, "*"},
      {"", 9, "*"},
  };
  for (const Case& c : cases)
    EXPECT_EQ(ChooseLanguageBlock(c.languages, c.id), c.expected) << c.languages << " " << c.id;
}

TEST_F(LangText, TheShippedTableGivesEveryDefault) {
  ProcessLanguageChoice().Reset(4);
  const TGFileInfo info = WithLanguages("|");
  EXPECT_EQ(info.LangText("s0", "Wexlin Installation Suite"), "Wexlin Installation Suite");
  EXPECT_EQ(info.Charset(), 0);
  EXPECT_EQ(info.FontSize(), 8);
  EXPECT_EQ(info.FontName(), "Tahoma");
}

TEST_F(LangText, KeysOfTheChosenBlock) {
  ProcessLanguageChoice().Reset(7);
  const TGFileInfo info = WithLanguages(
      Table({"|Deutsch| s1 = Bitte warten|s10=zehn|s2=|Charset=abc|FontSize= 12 |"}));
  EXPECT_EQ(info.LangText("s1", "d"), " Bitte warten");  // the blank after "=" stays
  EXPECT_EQ(info.LangText("S10", "d"), "zehn");          // keys ignore case
  EXPECT_EQ(info.LangText("s2", "d"), "");                // a found empty value is the value
  EXPECT_EQ(info.LangText("s0", "d"), "d");
  EXPECT_EQ(info.LangText("s", "d"), "d");
  EXPECT_EQ(info.Charset(), 0);  // not a number
  EXPECT_EQ(info.FontSize(), 12);
  EXPECT_EQ(info.FontName(), "Tahoma");

  ProcessLanguageChoice().Reset(7);
  const TGFileInfo only_s10 = WithLanguages(Table({"|Deutsch|s10=zehn|"}));
  EXPECT_EQ(only_s10.LangText("s1", "d"), "d");  // s1 is not found inside s10
}

TEST_F(LangText, FollowsTheLocaleAndFonts) {
  ProcessLanguageChoice().Reset(4);
  const TGFileInfo info = WithLanguages(Table({kEnglish, kChinese}));
  EXPECT_EQ(info.LangText("s0", "d"), "\xB0\xB2\xD7\xB0");
  EXPECT_EQ(info.Charset(), 134);
  EXPECT_EQ(info.FontSize(), 9);
  EXPECT_EQ(info.FontName(), "Tahoma");  // not in the block

  ProcessLanguageChoice().Reset(17);
  EXPECT_EQ(info.LangText("s0", "d"), "Setup");
  EXPECT_EQ(info.FontName(), "Arial");
}

TEST_F(LangText, TheFirstLookupChoosesForTheWholeProcess) {
  ProcessLanguageChoice().Reset(4);
  const TGFileInfo with_table = WithLanguages(Table({kEnglish, kChinese}));
  const TGFileInfo without = WithLanguages("");
  // First through an object without a table: defaults for good, even through a later one.
  EXPECT_EQ(without.LangText("s0", "d"), "d");
  EXPECT_EQ(with_table.LangText("s0", "d"), "d");
  EXPECT_EQ(with_table.Charset(), 0);

  // First through the table: every object answers from the chosen block.
  ProcessLanguageChoice().Reset(4);
  EXPECT_EQ(with_table.LangText("s0", "d"), "\xB0\xB2\xD7\xB0");
  EXPECT_EQ(without.LangText("s0", "d"), "\xB0\xB2\xD7\xB0");
  EXPECT_EQ(WithLanguages(Table({kEnglish})).Charset(), 134);
}

#ifdef _WIN32
// The test bed runs wine with a Chinese locale (primary language 4).
TEST_F(LangText, TheSystemLocaleChoosesTheBlock) {
  EXPECT_EQ(SystemPrimaryLanguageId(), 4);
  ProcessLanguageChoice().Reset();
  EXPECT_EQ(WithLanguages(Table({kEnglish, kChinese})).LangText("s0", "d"), "\xB0\xB2\xD7\xB0");
}
#else
TEST_F(LangText, WithoutAThreadLocaleTheSystemCountsAsEnglish) {
  EXPECT_EQ(SystemPrimaryLanguageId(), 9);
  ProcessLanguageChoice().Reset();
  EXPECT_EQ(WithLanguages(Table({kEnglish, kChinese})).LangText("s0", "d"), "Setup");
}
#endif
