// The inform file: token against the running stub's, body after the fourth "|", and the
// addresses the inform window may open.
#include "format/InformFile.h"

#include <gtest/gtest.h>

#include <random>

#include "InformWriter.h"
#include "TokenScramble.h"
#include "text/UtilsText.h"

namespace {

TEST(InformFile, TokenAndBodyOfPlainAndScrambledFiles) {
  std::mt19937 rng(5);
  const std::string running = pack::ScrambleToken("PRODUCT-TOKEN", rng);
  const std::string same = pack::ScrambleToken("PRODUCT-TOKEN", rng);  // other key, same token
  const std::string other = pack::ScrambleToken("OTHER-PRODUCT", rng);
  const std::string body = "<B>Version 2</B><P>See | the page";
  for (bool scrambled : {false, true}) {
    auto file = [&](const std::string& token) {
      return ScrambleText("1|" + token + "|3|4|" + body, scrambled);
    };
    InformContent content = ReadInformText(file(same), running);
    EXPECT_TRUE(content.token_matches) << scrambled;
    EXPECT_EQ(content.body, body);
    EXPECT_FALSE(ReadInformText(file(other), running).token_matches) << scrambled;
    EXPECT_FALSE(ReadInformText(file("PRODUCT-TOKEN"), running).token_matches)
        << "a plain token is no stored token";
    // A text that only contains "|token|||" after other text is no inform file.
    for (const char* before : {"x", "<html><body>", "Tolvane news 2\r\n"}) {
      content = ReadInformText(ScrambleText(std::string(before) + "|" + same + "|||" + body, scrambled), running);
      EXPECT_FALSE(content.token_matches) << before;
      EXPECT_EQ(content.body, "") << before;
    }
  }
  // Damaged or missing: never a match, not even against a damaged running token.
  EXPECT_FALSE(ReadInformText("", running).token_matches);
  EXPECT_FALSE(ReadInformText("no bars", "no bars").token_matches);
  EXPECT_FALSE(ReadInformText("1|junk|3|4|b", "junk").token_matches);
  EXPECT_EQ(ReadInformText("1|t|3", running).body, "");
}

TEST(InformFile, TheBuildersFileCarriesItsTokenAndBody) {
  std::mt19937 rng(9);
  const std::string running = pack::ScrambleToken("PRODUCT-TOKEN", rng);
  const std::string body = "<B>Version 2</B>|<P>|";
  const std::string file = pack::InformFileText("PRODUCT-TOKEN", body, rng);
  EXPECT_EQ(file.find("Version"), std::string::npos) << "stored scrambled";
  const InformContent content = ReadInformText(file, running);
  EXPECT_TRUE(content.token_matches);
  EXPECT_EQ(content.body, body);
  EXPECT_FALSE(ReadInformText(pack::InformFileText("OTHER", body, rng), running).token_matches);
}

TEST(InformFile, OnlyWebAddressesAreOpened) {
  const std::pair<const char*, bool> cases[] = {
      {"http://example.org/download", true},
      {"HTTPS://example.org/x?a=1&b=2", true},
      {"https://", false},
      {"http:///etc", false},
      {"file:///C:/Windows/notepad.exe", false},
      {"C:\\Windows\\system32\\calc.exe", false},
      {"\\\\server\\share\\setup.exe", false},
      {"mailto:a@b", false},
      {"javascript:alert(1)", false},
      {" http://example.org", false},
      {"http://example.org/a b", false},
      {"http://example.org/\"x", false},
      {"http://example.org/\x01", false},
      {"", false},
  };
  for (const auto& c : cases) EXPECT_EQ(IsWebAddress(c.first), c.second) << c.first;
}

}  // namespace
