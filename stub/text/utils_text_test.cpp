// Byte-string rules of the Utils unit: lists, search, replace, paths, switches, texts.
#include "text/UtilsText.h"

#include <gtest/gtest.h>

#include <cmath>
#include <cstdio>
#include <cstring>
#include <random>
#include <set>

namespace {

const std::string kMonths = "||JAN|FEB|MAR|APR|MAY|JUN|JUL|AUG|SEP|OCT|NOV|DEC|";

struct ItemCase {
  const char* list;
  int index;
  const char* expected;  // default is "x"
};

TEST(UtilsList, ItemTable) {
  const ItemCase cases[] = {
      {"|p||q|", 0, "p"},   {"|p||q|", 1, "x"},  // an empty item reads as missing
      {"|p||q|", 2, "q"},   {"|p||q|", 3, "x"},  // past the end
      {"|p|q", 0, "p"},     {"|p|q", 1, "x"},    // text after the last delimiter is no item
      {"", 0, "x"},         {"|", 0, "x"},       {"|a|", -1, "x"},
      {",a,b,", 1, "b"},    {",a|b,", 0, "a|b"}, // the first character is the delimiter
  };
  for (const ItemCase& c : cases)
    EXPECT_EQ(ListItem(c.list, c.index, "x"), c.expected) << c.list << " #" << c.index;
  EXPECT_EQ(ListItem(kMonths, 1, ""), "JAN");
  EXPECT_EQ(ListItem(kMonths, 12, ""), "DEC");
  EXPECT_EQ(ListItem(kMonths, 0, "none"), "none");
}

TEST(UtilsList, ItemCountTable) {
  const std::pair<const char*, int> cases[] = {
      {"", 0}, {"|", 0}, {"||", 1}, {"|a|b|", 2}, {"|p|q", 0}, {"|a|b,", 0}, {",a,,b,", 3},
      {"\x02", 0},  // the shipped language table: no languages
  };
  for (const auto& c : cases) EXPECT_EQ(ListItemCount(c.first), c.second) << c.first;
}

TEST(UtilsList, SetItemRebuildsAndGrows) {
  std::string list;
  ListSetItem(list, 2, "c");  // an empty list becomes "|" first
  EXPECT_EQ(list, "|||c|");
  ListSetItem(list, 0, "a");
  EXPECT_EQ(list, "|a||c|");
  ListSetItem(list, 2, "");
  EXPECT_EQ(list, "|a|||");
  std::string commas = ",1,2,3,";
  ListSetItem(commas, 1, "two");
  EXPECT_EQ(commas, ",1,two,3,");
  std::string malformed = "|p|q";  // counts as no items; the readable one is kept
  ListSetItem(malformed, 1, "r");
  EXPECT_EQ(malformed, "|p|r|");
  ListSetItem(commas, -1, "ignored");
  EXPECT_EQ(commas, ",1,two,3,");
}

TEST(UtilsList, SetItemReadsBackOnRandomLists) {
  const unsigned seed = std::random_device{}();
  std::mt19937 rng(seed);
  const char alphabet[] = "|,ab =";
  for (int i = 0; i < 2000; ++i) {
    std::string list(rng() % 10, ' ');
    for (char& c : list) c = alphabet[rng() % 6];
    const std::string before = list;
    const int index = static_cast<int>(rng() % 6);
    const std::string value = (rng() % 4 == 0) ? "" : "v" + std::to_string(i);
    ListSetItem(list, index, value);
    const int count = ListItemCount(list);
    ASSERT_GE(count, index + 1) << "seed " << seed << " list " << before;
    ASSERT_EQ(ListItem(list, index, "<none>"), value.empty() ? "<none>" : value)
        << "seed " << seed << " list " << before;
    // Every other item reads as before (missing ones as empty).
    for (int k = 0; k < count; ++k) {
      if (k == index) continue;
      ASSERT_EQ(ListItem(list, k, ""), ListItem(before, k, "")) << "seed " << seed << " " << before;
    }
  }
}

TEST(UtilsList, ValueTable) {
  struct Case {
    const char* list;
    const char* key;
    const char* expected;  // default is "d"
  };
  const Case cases[] = {
      {"| Charset =0|", "charset", "0"},  // one blank after | and one before = are dropped
      {"|Charset=0|FontSize=8|", "FontSize", "8"},
      {"|Charset=0|FontSize=8|", "FontSize=", "8"},  // a key may carry its "="
      {"|FontName=|", "FontName", ""},              // an empty value is a value
      {"|FontSizeX=9|FontSize=8|", "FontSize", "8"},  // whole key after the delimiter
      {"|A=1|", "B", "d"},
      {"|A=1", "A", "d"},  // not framed
      {"||", "A", "d"},    // 2 characters or fewer
      {",s0=Hello|there,s1=x,", "s0", "Hello|there"},
      {"|English|s0=Hi|", "english", "d"},  // item without "=" is not a key
  };
  for (const Case& c : cases)
    EXPECT_EQ(ListValue(c.list, c.key, "d"), c.expected) << c.list << " / " << c.key;
}

TEST(UtilsSearch, PositionTable) {
  EXPECT_EQ(Pos("b", "abcb"), 2);
  EXPECT_EQ(Pos("", "abc"), 0);
  EXPECT_EQ(Pos("B", "abc"), 0);
  EXPECT_EQ(PosIC("B", "abc"), 2);
  EXPECT_EQ(PosIC("\xD5\xFD", "a\xD5\xFD"), 2);  // double-byte bytes are compared as they are
  EXPECT_EQ(PosIC("\xF5\xFD", "a\xD5\xFD"), 0);  // and never case-folded
  EXPECT_EQ(PosFrom("b", "abcb", 3), 4);
  EXPECT_EQ(PosFrom("b", "abcb", 2), 2);
  EXPECT_EQ(PosFrom("b", "abcb", 0), 0);
  EXPECT_EQ(PosFrom("b", "abcb", 5), 0);
  EXPECT_EQ(PosFrom("b", std::string("a\0b", 3), 1), 0);  // the search ends at a NUL
  EXPECT_EQ(PosFromIC("B", "abcb", 3), 4);
  EXPECT_EQ(LastPos("ab", "abcab"), 4);
  EXPECT_EQ(LastPos("ab", "ab"), 1);
  EXPECT_EQ(LastPos("x", "ab"), 0);
  EXPECT_EQ(EndPosIC(".EXE", "setup.exe"), 1);
  EXPECT_EQ(EndPosIC(".exe", "setup.exe.bak"), 5);
  EXPECT_EQ(EndPosIC(".exe", "setup"), 0);
}

TEST(UtilsSearch, FoldingSkipsDoubleByteCharacters) {
  // 0xB1 0x61 is one GBK character whose second byte has the value of "a".
  SetLeadByteTest(GbkLeadByte);
  EXPECT_EQ(UpperText("a\xB1" "a" "a"), "A\xB1" "aA");
  EXPECT_EQ(PosIC("\xB1" "A", "x\xB1" "a"), 0);  // different characters
  EXPECT_EQ(PosIC("\xB1" "a", "X\xB1" "a"), 2);
  EXPECT_FALSE(SameTextIC("\xB1" "a", "\xB1" "A"));
  EXPECT_EQ(ReplaceAllIC("\xB1" "a" "a", "A", "-"), "\xB1" "a-");
  EXPECT_EQ(ReplaceAllIC("\xB1" "aa", "a", ""), "\xB1" "a");
  SetLeadByteTest(nullptr);  // back to the single-byte default
  EXPECT_EQ(CurrentLeadByteTest(), &NoLeadBytes);
  EXPECT_EQ(UpperText("\xB1" "a"), "\xB1" "A");
}

TEST(UtilsSearch, EndPosFoldsBeforeReversing) {
  // 0x81 0x61 is one GBK character whose trail byte has the value of "a"; 0x81 0x41 is another.
  struct Case {
    const char* sub;
    const char* text;
    int expected;
  };
  const Case cases[] = {
      {"\x81" "A", "x\x81" "a", 0},  // different characters, not a case variant
      {"\x81" "a", "X\x81" "a", 1},
      {"A", "\x81" "a", 0},           // a trail byte is no letter
      {"X\x81" "a", "x\x81" "a", 1},
      {".EXE", "\x81" "a.exe", 1},
  };
  for (const Case& c : cases)
    EXPECT_EQ(EndPosIC(c.sub, c.text, GbkLeadByte), c.expected) << c.sub << " in " << c.text;
  EXPECT_EQ(EndPosIC("A", "\x81" "a", NoLeadBytes), 1);  // single-byte: 0x81 and a letter
  SetLeadByteTest(GbkLeadByte);  // the process's rule is the default
  EXPECT_EQ(EndPosIC("\x81" "A", "x\x81" "a"), 0);
  EXPECT_EQ(UpperText("\x81" "a" "a"), UpperText("\x81" "a" "a", GbkLeadByte));
  SetLeadByteTest(nullptr);
  EXPECT_EQ(EndPosIC("\x81" "A", "x\x81" "a"), 1);
}

TEST(UtilsSearch, CompareAndCut) {
  EXPECT_TRUE(EndsWithText(".EXE", "a.exe", true));
  EXPECT_FALSE(EndsWithText(".EXE", "a.exe", false));
  EXPECT_FALSE(EndsWithText("long.exe", ".exe", true));
  EXPECT_TRUE(EndsWithText("", "a", false));
  EXPECT_TRUE(SameTextTrimmed("  Setup.EXE\t", "setup.exe"));
  EXPECT_FALSE(SameTextTrimmed("setup.exe", "setup.ex"));
  EXPECT_TRUE(SameTextIC("abc", "ABC"));
  EXPECT_FALSE(SameTextIC("abc", "ABCD"));
  EXPECT_EQ(TextBefore("key=value=x", "="), "key");
  EXPECT_EQ(TextBefore("key", "="), "");
  EXPECT_EQ(TextAfter("key=value=x", "="), "value=x");
  EXPECT_EQ(TextAfter("key", "="), "key");
  EXPECT_EQ(ReverseText(std::string("ab\0c", 4)), std::string("c\0ba", 4));
  EXPECT_EQ(TrimText(" \t\x01 a b \r\n"), "a b");
  EXPECT_EQ(UpperText("az\xE1\xB0{`"), "AZ\xE1\xB0{`");
}

// The rule as written: search from the start each time, fill replaced spans with a byte that
// is not in the pattern. Used to check the one-pass implementation on random texts.
std::string ReferenceReplaceAll(const std::string& text, const std::string& old_text,
                                const std::string& new_text, bool ignore_case) {
  if (old_text.empty()) return text;
  std::string result = text;
  std::string search = ignore_case ? UpperText(text) : text;
  const std::string pattern = ignore_case ? UpperText(old_text) : old_text;
  int filler = 0;
  while (pattern.find(static_cast<char>(filler)) != std::string::npos) ++filler;
  for (;;) {
    const std::size_t at = search.find(pattern);
    if (at == std::string::npos) return result;
    search.replace(at, pattern.size(), std::string(new_text.size(), static_cast<char>(filler)));
    result.replace(at, pattern.size(), new_text);
  }
}

TEST(UtilsEdit, ReplaceAllTable) {
  struct Case {
    const char* text;
    const char* old_text;
    const char* new_text;
    const char* expected;
  };
  const Case cases[] = {
      {"aaa", "a", "aa", "aaaaaa"},  // inserted text is never matched again
      {"aabb", "ab", "", ""},        // parts joined by an empty replacement match again
      {"abab", "ab", "b", "bb"},
      {"x", "", "y", "x"},           // an empty pattern replaces nothing
      {"Windows", "Windows", "Windows NT", "Windows NT"},
      {"| a| b|", "| ", "|", "|a|b|"},
  };
  for (const Case& c : cases)
    EXPECT_EQ(ReplaceAll(c.text, c.old_text, c.new_text), c.expected) << c.text;
  EXPECT_EQ(ReplaceAllIC("Path PATH path", "path", "<P>"), "<P> <P> <P>");
  EXPECT_EQ(ReplaceAllIC("aXbxc", "X", "-"), "a-b-c");
  EXPECT_EQ(ReplaceAllIC("Keep Case", "xyz", "-"), "Keep Case");
  EXPECT_EQ(ReplaceAll("Windows", "windows", "x"), "Windows");
}

TEST(UtilsEdit, ReplaceAllMatchesTheFillerRule) {
  const unsigned seed = std::random_device{}();
  std::mt19937 rng(seed);
  const char alphabet[] = "abAB\0\xB1";
  auto random_text = [&](int max_len) {
    std::string s(rng() % (max_len + 1), ' ');
    for (char& c : s) c = alphabet[rng() % 6];
    return s;
  };
  for (int i = 0; i < 4000; ++i) {
    SetLeadByteTest(i % 4 < 2 ? nullptr : GbkLeadByte);
    const std::string text = random_text(12), old_text = random_text(3),
                      new_text = random_text(3);
    const bool ic = i % 2 == 1;
    ASSERT_EQ(ic ? ReplaceAllIC(text, old_text, new_text) : ReplaceAll(text, old_text, new_text),
              ReferenceReplaceAll(text, old_text, new_text, ic))
        << "seed " << seed << " case " << i;
  }
  SetLeadByteTest(nullptr);
}

TEST(UtilsEdit, EnclosingAndPadding) {
  EXPECT_EQ(Dequote("\"", false), "");
  EXPECT_EQ(Dequote("\"a b\"", false), "a b");
  EXPECT_EQ(Dequote("\"\"", false), "");
  EXPECT_EQ(Dequote("\"a b", false), "\"a b");
  EXPECT_EQ(Dequote("\"a b", true), "a b");
  EXPECT_EQ(Dequote("a b\"", true), "a b");
  EXPECT_EQ(StripEnclosing("*x*", '*', false), "x");
  EXPECT_EQ(ZeroPad(7, 3), "007");
  EXPECT_EQ(ZeroPad(12345, 3), "12345");  // never cut
  EXPECT_EQ(ZeroPad(-7, 4), "-007");
  EXPECT_EQ(ZeroPad(2006, 4), "2006");
  EXPECT_EQ(ClampInt(5, 1, 3), 3);
  EXPECT_EQ(ClampInt(-5, 1, 3), 1);
  EXPECT_EQ(ClampInt(5, 6, 3), 3);  // raised to the low bound first, then lowered
  EXPECT_EQ(MinInt(2, -1), -1);
  EXPECT_EQ(MaxInt(2, -1), 2);
}

TEST(UtilsEdit, NumbersFromText) {
  EXPECT_EQ(HexToInt("ff"), 255);
  EXPECT_EQ(HexToInt(" 1A2b \r\n"), 0x1A2B);
  EXPECT_EQ(HexToInt("FFFFFFFFFFFFFFFF"), -1);  // 64-bit arithmetic wraps
  EXPECT_EQ(ParseNumber("777", 8), 511);
  EXPECT_EQ(ParseNumber("1010", 2), 10);
  EXPECT_EQ(ParseNumber("", 10), 0);
  EXPECT_EQ(ParseDecimal("42", 7), 42);
  EXPECT_EQ(ParseDecimal("-42", 7), -42);
  EXPECT_EQ(ParseDecimal("9223372036854775807", 7), INT64_MAX);
  EXPECT_EQ(ParseDecimal("-9223372036854775808", 7), INT64_MIN);
  for (const char* bad : {"", "-", "TRUE", "4x", " 4", "9223372036854775808", "0x10"})
    EXPECT_EQ(ParseDecimal(bad, 7), 7) << bad;
}

TEST(UtilsEdit, RandomRangeStaysInRange) {
  std::set<std::string> seen;
  for (int i = 0; i < 200; ++i) {
    const std::int64_t v = ParseDecimal(RandomRangeText(10000, 100000), -1);
    ASSERT_GE(v, 10000);
    ASSERT_LE(v, 100000);
    seen.insert(IntText(v));
  }
  EXPECT_GT(seen.size(), 1u);
  EXPECT_EQ(RandomRangeText(5, 5), "5");
  const std::int64_t swapped = ParseDecimal(RandomRangeText(9, 3), -1);
  EXPECT_TRUE(swapped >= 3 && swapped <= 9);
}

struct PathCase {
  const char* path;
  bool flag;
  const char* expected;
};

TEST(UtilsPath, TrailingBackslash) {
  const PathCase fix[] = {
      {"C:\\", false, "C:"},        {"C:\\", true, "C:\\"},     {"C:\\a\\", false, "C:\\a"},
      {"C:\\a", true, "C:\\a\\"},   {"a\\", false, "a\\"},       // 2 characters: kept
      {"C:\\\xB1\\", false, "C:\\\xB1\\"},  // GBK character whose trail byte is a backslash
      {"C:\\\xB1\\\\", false, "C:\\\xB1\\"},
  };
  for (const PathCase& c : fix)
    EXPECT_EQ(FixTrailingBackslash(c.path, c.flag, GbkLeadByte), c.expected) << c.path;
  const PathCase strip[] = {
      {"\\", false, ""}, {"a\\", false, "a"}, {"C:\\", false, "C:"}, {"\xB1\\", false, "\xB1\\"},
      {"\xB1\xB1\\", false, "\xB1\xB1"},  // a whole character, then a real backslash
  };
  for (const PathCase& c : strip)
    EXPECT_EQ(StripTrailingBackslash(c.path, GbkLeadByte), c.expected) << c.path;
  // In a single-byte code page 0xB1 is a character of its own.
  EXPECT_EQ(StripTrailingBackslash("\xB1\\", NoLeadBytes), "\xB1");
  EXPECT_TRUE(IsTrailByteAt("\xB1\\", 1, GbkLeadByte));
  EXPECT_FALSE(IsTrailByteAt("\xB1\xB1\\", 2, GbkLeadByte));
  EXPECT_FALSE(IsTrailByteAt("\xB1", 0, GbkLeadByte));
}

TEST(UtilsPath, CollapseBackslashes) {
  const PathCase cases[] = {
      {"C:\\\\dir\\\\\\file.txt", false, "C:\\dir\\file.txt"},
      {"\\\\server\\share\\\\f", false, "\\\\server\\share\\f"},  // network path kept
      {"\\\\\\server\\f", false, "\\\\server\\f"},                 // three become two
      {"C:\\dir\\\\", false, "C:\\dir\\\\"},  // the last pair is left to the caller
      {"C:\\dir\\\\", true, "C:\\dir\\"},
      {"C:\\dir\\", true, "C:\\dir"},
      {"C:\\\xB1\\\\x", false, "C:\\\xB1\\\\x"},  // trail byte 0x5C then a real backslash
      {"C:\\\xB1\xB1\\\\x", false, "C:\\\xB1\xB1\\x"},  // whole character, then a real pair
      {"\\", true, ""},
      {"", false, ""},
  };
  for (const PathCase& c : cases)
    EXPECT_EQ(CollapseBackslashes(c.path, c.flag, GbkLeadByte), c.expected) << c.path;
}

TEST(UtilsPath, FileNamePartsKeepDoubleByteCharacters) {
  // 0xB1 0x5C is one GBK character whose trail byte has the value of a backslash.
  struct Case {
    const char* path;
    const char* name;      // ExtractFileName
    const char* with_ext;  // ChangeFileExt with ".info"
  };
  const Case gbk[] = {
      {"C:\\dir\\\xB1\\x.dat", "\xB1\\x.dat", "C:\\dir\\\xB1\\x.info"},
      {"a.\xB1\\b", "a.\xB1\\b", "a.info"},
      {"C:\\d.x\\f", "f", "C:\\d.x\\f.info"},  // a dot of a folder is no extension
      {"C:f.exe", "f.exe", "C:f.info"},
      {"d/f.tar.gz", "f.tar.gz", "d/f.tar.info"},
      {".dat", ".dat", ".info"},
      {"", "", ".info"},
      {"\xB1", "\xB1", "\xB1.info"},  // a lead byte at the end stands alone
  };
  for (const Case& c : gbk) {
    EXPECT_EQ(ExtractFileName(c.path, GbkLeadByte), c.name) << c.path;
    EXPECT_EQ(ChangeFileExt(c.path, ".info", GbkLeadByte), c.with_ext) << c.path;
  }
  EXPECT_EQ(ExtractFileName("C:\\\xB1\\x.dat", NoLeadBytes), "x.dat");
  EXPECT_EQ(ChangeFileExt("a.\xB1\\b", ".info", NoLeadBytes), "a.\xB1\\b.info");
  // The command tail finds the program's name by the same rule.
  SetLeadByteTest(GbkLeadByte);
  EXPECT_EQ(CommandTailOf("\xB1\\s.exe /a", "C:\\x\\\xB1\\s.exe"), "/a");
  EXPECT_EQ(CommandTailOf("s.exe /a", "C:\\x\\\xB1\\s.exe"), "s.exe /a");
  SetLeadByteTest(nullptr);
}

TEST(UtilsPath, FileNameOfPathAndWithoutExtAreDoubleByteAware) {
  SetLeadByteTest(GbkLeadByte);
  // 0x81 0x5C is one GBK character whose second byte is a backslash.
  const std::string dir_char = "\x81\x5C";
  EXPECT_EQ(FileNameOfPath("C:\\a\\Setup.exe"), "Setup.exe");
  EXPECT_EQ(FileNameOfPath("C:\\a\\" + dir_char + "x.exe"), dir_char + "x.exe");
  EXPECT_EQ(FileNameOfPath("Setup.exe"), "Setup.exe");
  EXPECT_EQ(FileNameOfPath("C:\\a\\"), "");
  EXPECT_EQ(FileNameWithoutExt("TolvaneAU.exe"), "TolvaneAU");
  EXPECT_EQ(FileNameWithoutExt("a.b.exe"), "a.b");
  EXPECT_EQ(FileNameWithoutExt("noext"), "noext");
  EXPECT_EQ(FileNameWithoutExt("dir.d\\name"), "dir.d\\name");
  SetLeadByteTest(NoLeadBytes);
}

TEST(UtilsSwitch, CommandTailTable) {
  struct Case {
    const char* command_line;
    const char* exe;
    const char* expected;
  };
  const Case cases[] = {
      {"\"C:\\My App\\s.exe\" /a /b", "C:\\My App\\s.exe", "/a /b"},
      {"c:\\my app\\S.EXE /a", "C:\\My App\\s.exe", "/a"},  // found without regard to case
      {"\"C:\\x\\s.exe\" /P=\"C:\\my dir\"", "C:\\x\\s.exe", "/P=\"C:\\my dir"},
      {"\"C:\\x\\s.exe\"", "C:\\x\\s.exe", ""},
      {"s.exe /hide", "C:\\x\\s.exe", "/hide"},  // started by a relative name
      {"S /hide", "C:\\x\\s.exe", "/hide"},      // or without the extension
      {".\\s.exe /a", "C:\\x\\s.exe", "/a"},
      {"C:\\PROGRA~1\\s.exe /a", "C:\\Program Files\\s.exe", "/a"},  // short folder name
      {"\"s x.exe\" /a", "C:\\x\\s x.exe", "/a"},
      {"/S /hide", "C:\\x\\s.exe", "/S /hide"},  // arguments only: nothing to remove
      {"other.exe /a", "C:\\x\\s.exe", "other.exe /a"},
      {"  \"\"\"C:\\x\\s.exe\"  \"  /q \" \"", "C:\\x\\s.exe", "/q"},
  };
  for (const Case& c : cases)
    EXPECT_EQ(CommandTailOf(c.command_line, c.exe), c.expected) << c.command_line;
}

TEST(UtilsSwitch, SwitchValueTable) {
  struct Case {
    const char* tail;
    const char* name;
    const char* expected;
  };
  const Case cases[] = {
      {"/WAIT=3 /X", "/WAIT=", "3"},
      {"/X /WAIT=", "/WAIT=", "TRUE"},  // ends the command line
      {"/WAIT= 5", "/WAIT=", ""},       // followed by a blank
      {"/wait=3/X", "/WAIT=", "3"},
      {"/X", "/WAIT=", ""},
      {"/P=\"C:\\my dir", "/P=", "C:\\my dir"},  // quote closed by CommandTail
      {"/P=\"C:\\a b\" /Q", "/P=", "C:\\a b"},
      {"/OriginExe=C:\\My*Dir\\s.exe /x", "/OriginExe=", "C:\\My*Dir\\s.exe"},
  };
  for (const Case& c : cases)
    EXPECT_EQ(SwitchValueIn(c.tail, c.name), c.expected) << c.tail << " " << c.name;
  EXPECT_TRUE(HasSwitchIn("/a /HIDE /b", "/hide"));
  EXPECT_TRUE(HasSwitchIn("/hide /WAIT=3 /SleepX=2", "/hide"));  // followed by other switches
  EXPECT_FALSE(HasSwitchIn("/a", "/hide"));
  EXPECT_EQ(SwitchIntIn("/WAIT=3 /X", "/WAIT=", 0), 3);
  EXPECT_EQ(SwitchIntIn("/WAIT=", "/WAIT=", 9), 9);  // "TRUE" is not a number
  EXPECT_EQ(SwitchIntIn("/WAIT= 5", "/WAIT=", 9), 9);
  EXPECT_EQ(SwitchIntIn("/SleepX=-2", "/SleepX=", -1), -2);
  EXPECT_EQ(SwitchIntIn("", "/STOP=", -1), -1);
  EXPECT_EQ(SwitchIntIn("/WAIT=abc /X", "/WAIT=", 9), 9);  // not a number
  EXPECT_EQ(SwitchIntIn("/WAIT=5x", "/WAIT=", 9), 9);
  EXPECT_EQ(SwitchIntIn("/wait=5/X", "/WAIT=", 9), 5);
}

TEST(UtilsRegistry, RootNamesAndPaths) {
  EXPECT_EQ(RegRootIdFromName("hkey_local_machine"), RegRoot::LocalMachine);
  EXPECT_EQ(RegRootIdFromName("HKLM"), RegRoot::CurrentUser);
  EXPECT_EQ(RegRootIdFromName("HKEY_CLASSES_ROOT"), RegRoot::ClassesRoot);
  EXPECT_EQ(RegRootIdFromName("HKEY_USERS"), RegRoot::Users);
  EXPECT_EQ(RegRootIdFromName("HKEY_CURRENT_CONFIG"), RegRoot::CurrentConfig);
  EXPECT_EQ(RegRootIdFromName("HKEY_DYN_DATA"), RegRoot::DynData);
  RegRoot root;
  std::string sub;
  SplitRegPathText(" HKEY_LOCAL_MACHINE\\SOFTWARE\\X\\Y ", root, sub);
  EXPECT_EQ(root, RegRoot::LocalMachine);
  EXPECT_EQ(sub, "SOFTWARE\\X\\Y");
  SplitRegPathText("Software\\Morvath", root, sub);
  EXPECT_EQ(root, RegRoot::CurrentUser);
  EXPECT_EQ(sub, "Software\\Morvath");
  SplitRegPathText("HKEY_LOCAL_MACHINE", root, sub);  // no backslash: all of it is the sub key
  EXPECT_EQ(root, RegRoot::CurrentUser);
  EXPECT_EQ(sub, "HKEY_LOCAL_MACHINE");
  SplitRegPathText("hkey_bogus\\A", root, sub);
  EXPECT_EQ(root, RegRoot::CurrentUser);
  EXPECT_EQ(sub, "A");
  EXPECT_EQ(WindowsVersionKeyFor(true),
            "HKEY_LOCAL_MACHINE\\SOFTWARE\\Microsoft\\Windows NT\\CurrentVersion");
  EXPECT_EQ(WindowsVersionKeyFor(false),
            "HKEY_LOCAL_MACHINE\\SOFTWARE\\Microsoft\\Windows\\CurrentVersion");
}

TEST(UtilsTexts, DatesAndMegabytes) {
  DateTimeValue when;
  when.year = 2006;
  when.month = 3;
  when.day = 1;
  when.hour = 8;
  when.minute = 50;
  when.second = 34;
  EXPECT_EQ(DateText(when), "01-MAR-2006");
  EXPECT_EQ(DateTimeText(when, ':'), "01-MAR-2006  08:50:34");
  EXPECT_EQ(DateTimeText(when, '.'), "01-MAR-2006  08.50.34");
  when.month = 12;
  when.day = 31;
  when.year = 999;
  EXPECT_EQ(DateText(when), "31-DEC-0999");
  const std::pair<double, const char*> mb[] = {
      {0, "0.000"},           {5242880, "5.00"},         {12.3 * 1048576, "12.3"},
      {-5, "0.000"},          {10 * 1048576.0, "10.00"}, {1048576, "1.00"},
      {524288, "0.500"},      {1, "0.000"},              {1024.0 * 1048576, "1024.0"},
  };
  for (const auto& c : mb) EXPECT_EQ(MegabytesText(c.first), c.second) << c.first;
  EXPECT_EQ(MegabytesText(1e300).size(), 296u);  // 295 digits, ".", 1 decimal: never cut

}

// The fixed-point text without printf, held to printf itself (exactly rounded, half to even):
// ties that binary fractions make exact, the ends of the range, and random values of every size.
TEST(UtilsTexts, FixedTextIsPrintfFixed) {
  const struct {
    double value;
    int decimals;
    const char* expected;
  } cases[] = {
      {0.125, 2, "0.12"},   {0.375, 2, "0.38"},  {2.5, 0, "2"},       {3.5, 0, "4"},
      {0.0005, 3, "0.001"}, {0.0625, 3, "0.062"}, {-0.001, 2, "-0.00"}, {-0.0, 1, "-0.0"},
      {0, 3, "0.000"},      {1e-320, 3, "0.000"}, {9.995, 2, "9.99"},   {99.95, 1, "100.0"},
      {1e15 + 0.25, 1, "1000000000000000.2"},     {9007199254740993.0, 0, "9007199254740992"},
      {12.25, 7, "12.250"},  // clamped to three decimals
  };
  for (const auto& c : cases)
    EXPECT_EQ(FixedText(c.value, c.decimals), c.expected) << c.value << " " << c.decimals;
  EXPECT_EQ(FixedText(HUGE_VAL, 2), "inf");
  EXPECT_EQ(FixedText(-HUGE_VAL, 2), "-inf");
  EXPECT_EQ(FixedText(std::nan(""), 2), "nan");

  const unsigned seed = std::random_device{}();
  std::mt19937_64 random(seed);
  char expected[400];
  for (int i = 0; i < 20000; ++i) {
    double value;
    if (i % 2 == 0) {  // any finite bit pattern: every exponent, subnormals, both signs
      const std::uint64_t bits = random();
      std::memcpy(&value, &bits, sizeof value);
      if (!std::isfinite(value)) continue;
    } else {  // multiples of 1/16 up to 2^40: many exact ties
      value = double(random() % (std::uint64_t(1) << 44)) / 16.0;
    }
    const int decimals = int(random() % 4);
    std::snprintf(expected, sizeof expected, "%.*f", decimals, value);
    ASSERT_EQ(FixedText(value, decimals), expected) << "seed " << seed << " value " << value;
  }
}

TEST(UtilsScramble, RoundTripAndMarker) {
  const std::string marker = "Scrambled=01";
  std::mt19937 rng(12345);
  for (int len = 0; len < 300; ++len) {
    std::string plain(static_cast<std::size_t>(len), ' ');
    for (char& c : plain) c = static_cast<char>(rng());
    if (plain.compare(0, marker.size(), marker) == 0) continue;
    const std::string scrambled = ScrambleText(plain, true);
    ASSERT_EQ(scrambled.compare(0, marker.size(), marker), 0);
    ASSERT_EQ(scrambled.size(), plain.size() + 13);
    const unsigned char key = static_cast<unsigned char>(scrambled[12]);
    ASSERT_TRUE(key >= 33 && key <= 122);
    ASSERT_EQ(ScrambleText(scrambled, false), plain) << "length " << len;
  }
  EXPECT_EQ(ScrambleText("Scrambled=01Xabc", true), "Scrambled=01Xabc");  // already marked
  EXPECT_EQ(ScrambleText("plain", false), "plain");                       // nothing to restore
  EXPECT_EQ(ScrambleText(marker, false), "");  // marker without key restores to nothing
}

TEST(UtilsScramble, KnownBytes) {
  // key 'A' (65): byte 1 ^ (1 + 65), byte 2 ^ (2 - 65 mod 256), byte 3 ^ (3 + 65).
  const std::string s = ScrambleTextWithKey(std::string("\0\0\0", 3), true, 'A');
  EXPECT_EQ(s, std::string("Scrambled=01A") + "\x42\xC1\x44");
  EXPECT_EQ(ScrambleTextWithKey(s, false, 0), std::string("\0\0\0", 3));
  // A key of 0 in the text makes both signs equal: byte i ^ i.
  EXPECT_EQ(ScrambleText(std::string("Scrambled=01\0\x01\x02", 15), false), std::string(2, '\0'));
}

}  // namespace
