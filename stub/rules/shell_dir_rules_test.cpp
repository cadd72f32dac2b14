// Which source of a standard folder wins: the shell's answers when their folders exist, else the
// profile and Windows-folder fallbacks.
#include "rules/ShellDirRules.h"

#include <gtest/gtest.h>

#include <map>
#include <set>

namespace {

class FakeShell : public ShellFacts {
 public:
  std::string FolderPath(int id) override { return Find(folder_paths, id); }
  std::string SpecialFolderPath(int id) override { return Find(special_paths, id); }
  bool DirExists(const std::string& path) override { return existing.count(path) != 0; }
  std::string WindowsDir() override { return "C:\\WINDOWS"; }
  std::string OwnerUserName() override { return owner; }

  std::map<int, std::string> folder_paths, special_paths;
  std::set<std::string> existing = {"C:\\WINDOWS"};
  std::string owner = "ann";

 private:
  static std::string Find(const std::map<int, std::string>& m, int id) {
    auto it = m.find(id);
    return it == m.end() ? std::string() : it->second;
  }
};

// An NT-family machine whose shell knows every folder.
FakeShell NtShell() {
  FakeShell shell;
  shell.folder_paths = {
      {kCsidlPersonal | kCsidlFlagCreate, "C:\\Users\\ann\\Documents"},
      {kCsidlAppData | kCsidlFlagCreate, "C:\\Users\\ann\\AppData\\Roaming"},
      {kCsidlCommonAppData | kCsidlFlagCreate, "C:\\ProgramData\\Data"},
      {kCsidlCommonDocuments | kCsidlFlagCreate, "C:\\Users\\Public\\Documents"},
  };
  shell.special_paths = {
      {kCsidlStartMenu, "C:\\Users\\ann\\Start"},
      {kCsidlCommonStartMenu, "C:\\ProgramData\\Start"},
      {kCsidlDesktopDirectory, "C:\\Users\\ann\\Desktop"},
      {kCsidlCommonDesktopDirectory, "C:\\Users\\Public\\Desktop"},
  };
  for (const auto& p : shell.folder_paths) shell.existing.insert(p.second);
  for (const auto& p : shell.special_paths) shell.existing.insert(p.second);
  shell.existing.insert({"C:\\Users\\ann", "C:\\Users", "C:\\ProgramData"});
  return shell;
}

TEST(ShellDirRules, ShellAnswersWinWhereTheirFoldersExist) {
  FakeShell shell = NtShell();
  const std::pair<StandardFolder, const char*> cases[] = {
      {StandardFolder::DocumentsAndSettings, "C:\\Users"},
      {StandardFolder::User, "C:\\Users\\ann"},
      {StandardFolder::AllUsers, "C:\\ProgramData"},
      {StandardFolder::UserAppData, "C:\\Users\\ann\\AppData\\Roaming"},
      {StandardFolder::AllUsersAppData, "C:\\ProgramData\\Data"},
      {StandardFolder::MyDocuments, "C:\\Users\\ann\\Documents"},
      {StandardFolder::AllUsersDocuments, "C:\\Users\\Public\\Documents"},
      {StandardFolder::UserStartMenu, "C:\\Users\\ann\\Start"},
      {StandardFolder::AllUsersStartMenu, "C:\\ProgramData\\Start"},
      {StandardFolder::UserDesktop, "C:\\Users\\ann\\Desktop"},
      {StandardFolder::AllUsersDesktop, "C:\\Users\\Public\\Desktop"},
  };
  for (const auto& c : cases)
    EXPECT_EQ(StandardFolderOf(c.first, shell), c.second) << static_cast<int>(c.first);
}

TEST(ShellDirRules, WithoutFolderFunctionProfileFallbacks) {
  FakeShell shell = NtShell();
  shell.folder_paths.clear();  // SHFolder missing: every FolderPath fails
  shell.existing.insert("C:\\WINDOWS\\Profiles\\ann");
  const std::pair<StandardFolder, const char*> cases[] = {
      {StandardFolder::DocumentsAndSettings, "C:\\WINDOWS\\Profiles\\ann"},
      {StandardFolder::User, "C:\\WINDOWS\\Profiles\\ann"},
      {StandardFolder::AllUsers, "C:\\WINDOWS"},
      {StandardFolder::UserAppData, "C:\\WINDOWS\\Profiles\\ann\\Application Data"},
      {StandardFolder::AllUsersAppData, "C:\\WINDOWS\\Application Data"},
      {StandardFolder::MyDocuments, "C:\\WINDOWS\\Profiles\\ann\\My Documents"},
      {StandardFolder::AllUsersDocuments, "C:\\WINDOWS\\Documents"},
      {StandardFolder::UserDesktop, "C:\\Users\\ann\\Desktop"},  // the older function still works
  };
  for (const auto& c : cases)
    EXPECT_EQ(StandardFolderOf(c.first, shell), c.second) << static_cast<int>(c.first);

  shell.existing.erase("C:\\WINDOWS\\Profiles\\ann");  // no profiles: the Windows folder
  EXPECT_EQ(StandardFolderOf(StandardFolder::MyDocuments, shell), "C:\\WINDOWS\\My Documents");
  shell.owner = "";  // "Profiles\" alone is nobody's profile, even where it exists
  shell.existing.insert("C:\\WINDOWS\\Profiles\\");
  EXPECT_EQ(ProfilesBaseOf(shell), "C:\\WINDOWS");
}

TEST(ShellDirRules, AnswersOfFoldersThatDoNotExistAreSkipped) {
  FakeShell shell = NtShell();
  shell.existing.erase("C:\\Users\\ann\\AppData\\Roaming");
  EXPECT_EQ(StandardFolderOf(StandardFolder::UserAppData, shell), "C:\\WINDOWS\\Application Data");
  shell.existing.erase("C:\\Users");  // the parent's parent must exist too
  EXPECT_EQ(StandardFolderOf(StandardFolder::DocumentsAndSettings, shell), "C:\\WINDOWS");
}

TEST(ShellDirRules, StartMenuAndDesktopFallBackToUserThenAllUsers) {
  FakeShell shell = NtShell();
  shell.special_paths.clear();  // SHGetSpecialFolderPathA missing
  shell.existing.insert({"C:\\Users\\ann\\Start Menu", "C:\\ProgramData\\Desktop"});
  shell.existing.erase("C:\\Users\\ann\\Desktop");
  EXPECT_EQ(StandardFolderOf(StandardFolder::UserStartMenu, shell), "C:\\Users\\ann\\Start Menu");
  EXPECT_EQ(StandardFolderOf(StandardFolder::AllUsersStartMenu, shell),
            "C:\\ProgramData\\Start Menu");  // the last source, untested
  EXPECT_EQ(StandardFolderOf(StandardFolder::UserDesktop, shell), "C:\\ProgramData\\Desktop");
  EXPECT_EQ(StandardFolderOf(StandardFolder::AllUsersDesktop, shell), "C:\\ProgramData\\Desktop");
}

TEST(ShellDirRules, ParentFolder) {
  const std::pair<const char*, const char*> cases[] = {
      {"C:\\Users\\ann", "C:\\Users"}, {"C:\\Users\\ann\\", "C:\\Users"}, {"C:\\Users", "C:\\"},
      {"C:\\", ""},                    {"name", ""},                      {"", ""},
      {"\\\\srv\\share\\d", "\\\\srv\\share"},
  };
  for (const auto& c : cases) EXPECT_EQ(ParentFolder(c.first), c.second) << c.first;
}

}  // namespace
