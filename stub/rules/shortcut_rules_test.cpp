#include "rules/ShortcutRules.h"

#include <gtest/gtest.h>

namespace {

const std::vector<std::string> kStartUp = {
    "C:\\users\\ann\\Start Menu\\Programs\\Startup",
    "C:\\ProgramData\\Start Menu\\Programs\\StartUp\\"};

TEST(ShortcutRules, OnlyALinkInsideTheFolders) {
  const std::pair<const char*, bool> links[] = {
      {"C:\\users\\ann\\Start Menu\\Programs\\Startup\\Tolvane.lnk", true},
      {"c:\\USERS\\ann\\start menu\\programs\\startup\\Tolvane Update.LNK", true},
      {"C:\\ProgramData\\Start Menu\\Programs\\StartUp\\t.lnk", true},
      // Not a shortcut, or not inside.
      {"C:\\users\\ann\\Start Menu\\Programs\\Startup\\Tolvane.exe", false},
      {"C:\\users\\ann\\Start Menu\\Programs\\Startup\\.lnk\\x.txt", false},
      {"C:\\Program Files\\Tolvane\\Tolvane.lnk", false},
      {"C:\\users\\ann\\Start Menu\\Programs\\Startup.lnk", false},
      {"C:\\users\\ann\\Start Menu\\Programs\\StartupX\\a.lnk", false},
      {"C:\\users\\ann\\Start Menu\\Programs\\Startup\\", false},
      {"", false},
      // Detours out of the folder.
      {"C:\\users\\ann\\Start Menu\\Programs\\Startup\\..\\..\\x.lnk", false},
      {"C:\\users\\ann\\Start Menu\\Programs\\Startup\\.\\x.lnk", false},
      {"C:\\users\\ann\\Start Menu\\Programs\\Startup\\a/../../x.lnk", false},
      {"C:\\users\\ann\\Start Menu\\Programs\\Startup\\\\x.lnk", false},
      {"C:\\users\\ann\\Start Menu\\Programs\\Startup\\x.lnk:stream", false},
      {"C:\\users\\ann\\Start Menu\\Programs\\Startup\\*.lnk", false},
      // Directly in the start-up folder only.
      {"C:\\users\\ann\\Start Menu\\Programs\\Startup\\sub\\x.lnk", false},
  };
  for (const auto& l : links) EXPECT_EQ(IsShortcutInside(l.first, kStartUp, true, NoLeadBytes), l.second) << l.first;
  EXPECT_TRUE(IsShortcutInside("C:\\users\\ann\\Start Menu\\Programs\\Startup\\sub\\x.lnk", kStartUp,
                               false, NoLeadBytes));
  EXPECT_FALSE(IsShortcutInside("C:\\x.lnk", {"", " "}, false, NoLeadBytes));
}

// In GBK a trail byte may be "\" (0x5C): it neither ends the folder nor splits a part.
TEST(ShortcutRules, DoubleByteCharactersStayWhole) {
  const std::vector<std::string> folders = {"C:\\\xB3\xCC\xD0\xF2\\\xC6\xF4\xB6\xAF"};  // 程序\启动
  EXPECT_TRUE(IsShortcutInside("C:\\\xB3\xCC\xD0\xF2\\\xC6\xF4\xB6\xAF\\\xB8\x5C.lnk", folders, true,
                               GbkLeadByte));
  // "C:\程序\启" followed by a character whose trail byte is "\": not the folder "启动".
  EXPECT_FALSE(IsShortcutInside("C:\\\xB3\xCC\xD0\xF2\\\xC6\xF4\xB8\x5C\\a.lnk", {"C:\\\xB3\xCC\xD0\xF2\\\xC6\xF4\xB8"},
                                true, GbkLeadByte));
}

}  // namespace
