#include "text/console.h"

#include <gtest/gtest.h>

#include <clocale>
#include <cstdio>
#include <cstdlib>
#include <memory>

namespace {

// 读取完毕！ in GBK and in UTF-8.
const char kGbk[] = "\xB6\xC1\xC8\xA1\xCD\xEA\xB1\xCF\xA3\xA1";
const char kUtf8[] = "\xE8\xAF\xBB\xE5\x8F\x96\xE5\xAE\x8C\xE6\xAF\x95\xEF\xBC\x81";

TEST(ConsoleTest, ConvertsGbkForTheTerminalCodeset) {
  struct Case {
    const char* gbk;
    const char* codeset;
    std::string expected;
  };
  const Case cases[] = {
      {kGbk, "UTF-8", kUtf8},
      {"man.3ds!", "UTF-8", "man.3ds!"},
      {"ASCII only", "ANSI_X3.4-1968", "ASCII only"},
      {kGbk, "GB18030", kGbk},  // GBK is a subset
      {kGbk, "gbk", kGbk},
      // Nothing can be shown faithfully: the bytes are kept as they are.
      {kGbk, "ANSI_X3.4-1968", kGbk},
      {kGbk, "ISO-8859-1", kGbk},
      {kGbk, "NO-SUCH-CODESET", kGbk},
      // A cut or broken GBK character.
      {"\xB6\xC1\xC8", "UTF-8", "\xB6\xC1\xC8"},
      {"A\xFF\x30", "UTF-8", "A\xFF\x30"},
      {"", "UTF-8", ""},
  };
  for (const Case& c : cases)
    EXPECT_EQ(gbk_to_codeset(c.gbk, c.codeset), c.expected) << c.codeset;
}

TEST(ConsoleTest, LongTextsConvertWhole) {
  // Longer than one conversion buffer, so the text passes through several rounds.
  std::string gbk, utf8;
  for (int i = 0; i < 200; ++i) {
    gbk += kGbk;
    utf8 += kUtf8;
  }
  EXPECT_EQ(gbk_to_codeset(gbk, "UTF-8"), utf8);
}

TEST(ConsoleTest, TerminalCodesetFollowsTheEnvironmentAndLeavesTheProgramLocale) {
  ASSERT_EQ(setenv("LC_ALL", "C", 1), 0);
  EXPECT_EQ(terminal_codeset(), "ANSI_X3.4-1968");
  ASSERT_EQ(setenv("LC_ALL", "zh_CN.UTF-8", 1), 0);
  const std::string codeset = terminal_codeset();
  unsetenv("LC_ALL");
  if (codeset == "ANSI_X3.4-1968") GTEST_SKIP() << "locale zh_CN.UTF-8 is not installed";
  EXPECT_EQ(codeset, "UTF-8");
  // Number formats of the data files depend on the program's locale, which must stay "C".
  EXPECT_STREQ(std::setlocale(LC_ALL, nullptr), "C");
}

TEST(ConsoleTest, WritesTheLineAndItsEnd) {
  std::unique_ptr<std::FILE, int (*)(std::FILE*)> file(std::tmpfile(), std::fclose);
  ASSERT_TRUE(file);
  write_console_line(file.get(), kGbk);
  std::rewind(file.get());
  char buffer[64] = {};
  const size_t n = std::fread(buffer, 1, sizeof buffer, file.get());
  const std::string expected =
      gbk_to_codeset(kGbk, terminal_codeset().c_str()) + "\n";
  EXPECT_EQ(std::string(buffer, n), expected);
}

}  // namespace
