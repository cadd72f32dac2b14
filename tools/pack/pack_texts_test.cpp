// The builder's texts for the agent: the inform text turned from markup into RTF, and the
// installed settings file with a text for every key the agent shows.
#include <gtest/gtest.h>

#include <string>

#include "ArchiveWriter.h"
#include "InformRtf.h"
#include "SettingsWriter.h"
#include "rules/UpdateRules.h"
#include "text/UtilsText.h"

namespace {

constexpr char kHead1252[] = "{\\rtf1\\ansi\\ansicpg1252\\deff0{\\fonttbl{\\f0\\fnil\\fcharset0 Tahoma;}}\\plain\\f0\\fs18 ";

TEST(MarkupToRtf, MarkupBecomesRtfControlWords) {
  const struct {
    const char* markup;
    const char* body;
  } cases[] = {
      {"<B>Tolvane 2</B><P>ready", "{\\b Tolvane 2}\\par\nready"},
      {"a<p>b<t>c\\\\nd\\\\te", "a\\par\nb\\tab c\\par\nd\\tab e"},
      {"x <B>bold", "x bold"},                          // an unpaired <B> is dropped
      {"{a}\\b", "\\{a\\}\\\\b"},                       // RTF's own characters escaped
      {"caf\xe9", "caf\\'e9"},                          // a code page byte
      {"<b>1</b> and <B>2</B>", "{\\b 1} and {\\b 2}"},
      {"", ""},
  };
  for (const auto& c : cases)
    EXPECT_EQ(pack::MarkupToRtf(c.markup, 1252), std::string(kHead1252) + c.body + "}")
        << c.markup;
}

TEST(MarkupToRtf, GbkCharactersAreEscapedWholeAndNamedByTheCodePage) {
  // "图" (CD BC), "{", and two characters whose second bytes are "\\" (D5 5C) and "}" (B0 7D).
  const std::string rtf = pack::MarkupToRtf("<B>\xcd\xbc</B>{\xd5\x5c\xb0\x7d", 936);
  EXPECT_EQ(rtf.find("\\ansicpg936"), rtf.find("\\ansicpg"));
  EXPECT_NE(rtf.find("\\fcharset134"), std::string::npos);
  EXPECT_NE(rtf.find("{\\b \\'cd\\'bc}\\{\\'d5\\'5c\\'b0\\'7d}"), std::string::npos) << rtf;
}

TEST(MarkupToRtf, RtfStaysAsGivenAndCharsetsMapToCodePages) {
  EXPECT_EQ(pack::MarkupToRtf("{\\rtf1 <B>x</B>}", 1252), "{\\rtf1 <B>x</B>}");
  EXPECT_EQ(pack::CodePageOfCharset(""), 1252);
  EXPECT_EQ(pack::CodePageOfCharset("gbk"), 936);
  EXPECT_EQ(pack::CodePageOfCharset("CP1251"), 1251);
  EXPECT_EQ(pack::CodePageOfCharset("WINDOWS-1250"), 1250);
  EXPECT_THROW(pack::CodePageOfCharset("UTF-8"), pack::PackError);
}

std::string IniValue(const std::string& text, const std::string& section, const std::string& key) {
  const std::size_t s = text.find("[" + section + "]\r\n");
  if (s == std::string::npos) return "<no section>";
  const std::size_t end = text.find("\r\n[", s + 1);
  const std::size_t k = text.find("\r\n" + key + "=", s);
  if (k == std::string::npos || k > end) return "<missing>";
  const std::size_t v = k + key.size() + 3;
  return text.substr(v, text.find("\r\n", v) - v);
}

pack::OriginalSettings Tolvane(const std::string& language) {
  pack::OriginalSettings s;
  s.program_name = "Tolvane";
  s.version = 3;
  s.target_dir = "C:\\Tolvane";
  s.probe_interval = 0;
  s.language = language;
  return s;
}

TEST(OriginalSettings, EveryAgentTextIsWrittenInEachLanguage) {
  const std::vector<std::string> keys = {"s2",  "s3",  "s4",  "s5",  "s11", "s12", "s13",
                                         "s14", "s15", "s16", "s17", "s21", "s22", "s23",
                                         "s24", "s31", "s32", "s33", "s34", "s35", "s40",
                                         "s41", "s42", "s43", "s44", "s45"};
  EXPECT_EQ(pack::AgentTextKeys(), keys);
  for (const std::string& language : pack::TextLanguages()) {
    const std::string text = pack::OriginalSettingsText(Tolvane(language));
    for (const std::string& key : keys) {
      const std::string value = IniValue(text, "AutoUpdate", key);
      EXPECT_NE(value, "<missing>") << language << " " << key;
      EXPECT_GT(value.size(), 1u) << language << " " << key;
    }
    EXPECT_EQ(IniValue(text, "OriginalSetup", "VersionOriginal"), "3");
    EXPECT_EQ(IniValue(text, "OriginalSetup", "ProbeSecondsInterval"), "0");
    EXPECT_EQ(IniValue(text, "Directories", "TargetDir"), "C:\\Tolvane");
    EXPECT_EQ(ListItemCount(IniValue(text, "MsgBox", "BtnText")), 7) << language;
    // The agent's bookkeeping is its own: never written by the builder.
    EXPECT_EQ(text.find("Stamp"), std::string::npos);
    EXPECT_EQ(text.find("SecondsLast"), std::string::npos);
  }
}

TEST(OriginalSettings, ChineseIsGbkWithItsCharsetAndEnglishIsAscii) {
  const std::string zh = pack::OriginalSettingsText(Tolvane("chinese"));
  EXPECT_EQ(IniValue(zh, "AutoUpdate", "s34"), "\xd0\xc2\xb0\xe6\xb1\xbe");  // 新版本
  EXPECT_EQ(IniValue(zh, "MsgBox", "CharSet"), "134");
  EXPECT_EQ(IniValue(zh, "MsgBox", "FontName"), "\xcb\xce\xcc\xe5");  // 宋体
  const std::string en = pack::OriginalSettingsText(Tolvane("English"));
  for (unsigned char c : en) ASSERT_LT(c, 0x80);
  EXPECT_EQ(IniValue(en, "AutoUpdate", "s16"), "PROG_NAME has been updated.");
}

TEST(OriginalSettings, GivenTextsReplaceSingleKeysAndBadOnesAreRefused) {
  pack::OriginalSettings s = Tolvane("Chinese");
  s.texts["s16"] = "PROG_NAME 好了";
  EXPECT_EQ(IniValue(pack::OriginalSettingsText(s), "AutoUpdate", "s16"), "PROG_NAME \xba\xc3\xc1\xcb");
  s.texts = {{"s99", "x"}};
  EXPECT_THROW(pack::OriginalSettingsText(s), pack::PackError);
  s.texts = {{"s16", "two\nlines"}};
  EXPECT_THROW(pack::OriginalSettingsText(s), pack::PackError);
  s.texts = {{"BtnText", "|OK|Cancel|"}};
  EXPECT_THROW(pack::OriginalSettingsText(s), pack::PackError);
  pack::OriginalSettings en = Tolvane("English");
  en.texts = {{"s16", "PROG_NAME 好了"}};
  EXPECT_THROW(pack::OriginalSettingsText(en), pack::PackError);
  EXPECT_THROW(pack::OriginalSettingsText(Tolvane("Klingon")), pack::PackError);
}

}  // namespace

// The English causes the builder writes are the agent's own built-in sentences, so a settings
// file without them reads the same.
TEST(OriginalSettings, TheEnglishCausesAreTheAgentsDefaults) {
  const std::string text = pack::OriginalSettingsText(Tolvane("English"));
  for (int level = 0; level <= 5; ++level)
    EXPECT_EQ(IniValue(text, "AutoUpdate", CheckLevelCauseKey(level)),
              CheckLevelCauseDefault(level))
        << level;
}
