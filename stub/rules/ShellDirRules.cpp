#include "rules/ShellDirRules.h"

#include <initializer_list>

#include "text/UtilsText.h"

namespace {

std::string Join(const std::string& folder, const char* name) { return folder + "\\" + name; }

// The first candidate that exists; the fallback when none does.
std::string FirstExisting(ShellFacts& facts, std::initializer_list<std::string> candidates,
                          const std::string& fallback) {
  for (const std::string& candidate : candidates)
    if (facts.DirExists(candidate)) return candidate;
  return fallback;
}

// The parent of an existing folder, "" when the folder does not exist.
std::string ParentOfExisting(ShellFacts& facts, const std::string& folder) {
  return facts.DirExists(folder) ? ParentFolder(folder) : std::string();
}

}  // namespace

std::string ParentFolder(const std::string& path) {
  const std::string folder = StripTrailingBackslash(path, CurrentLeadByteTest());
  const std::string name = ExtractFileName(folder, CurrentLeadByteTest());
  if (name.size() == folder.size()) return std::string();
  std::string parent = folder.substr(0, folder.size() - name.size());
  if (parent.size() > 1 && parent.back() == '\\' && parent[parent.size() - 2] != ':')
    parent.pop_back();
  if (parent.back() == ':' || parent == "\\") return std::string();  // "C:name", "\name"
  return parent;
}

std::string ProfilesBaseOf(ShellFacts& facts) {
  const std::string windows = facts.WindowsDir();
  const std::string owner = facts.OwnerUserName();
  if (owner.empty()) return windows;  // "<Windows>\Profiles\" is no one's profile
  return FirstExisting(facts, {Join(Join(windows, "Profiles"), owner.c_str())}, windows);
}

std::string StandardFolderOf(StandardFolder which, ShellFacts& facts) {
  switch (which) {
    case StandardFolder::DocumentsAndSettings: {
      const std::string user =
          ParentOfExisting(facts, facts.FolderPath(kCsidlPersonal | kCsidlFlagCreate));
      return FirstExisting(facts, {ParentOfExisting(facts, user)}, ProfilesBaseOf(facts));
    }
    case StandardFolder::User:
      return FirstExisting(
          facts, {ParentOfExisting(facts, facts.FolderPath(kCsidlPersonal | kCsidlFlagCreate))},
          ProfilesBaseOf(facts));
    case StandardFolder::AllUsers:
      return FirstExisting(
          facts,
          {ParentOfExisting(facts, facts.FolderPath(kCsidlCommonAppData | kCsidlFlagCreate))},
          facts.WindowsDir());
    case StandardFolder::UserAppData:
      return FirstExisting(facts, {facts.FolderPath(kCsidlAppData | kCsidlFlagCreate)},
                           Join(ProfilesBaseOf(facts), "Application Data"));
    case StandardFolder::AllUsersAppData:
      return FirstExisting(facts, {facts.FolderPath(kCsidlCommonAppData | kCsidlFlagCreate)},
                           Join(facts.WindowsDir(), "Application Data"));
    case StandardFolder::MyDocuments:
      return FirstExisting(facts, {facts.FolderPath(kCsidlPersonal | kCsidlFlagCreate)},
                           Join(ProfilesBaseOf(facts), "My Documents"));
    case StandardFolder::AllUsersDocuments:
      return FirstExisting(facts, {facts.FolderPath(kCsidlCommonDocuments | kCsidlFlagCreate)},
                           Join(facts.WindowsDir(), "Documents"));
    case StandardFolder::UserStartMenu:
      return FirstExisting(facts,
                           {facts.SpecialFolderPath(kCsidlStartMenu),
                            Join(StandardFolderOf(StandardFolder::User, facts), "Start Menu")},
                           Join(StandardFolderOf(StandardFolder::AllUsers, facts), "Start Menu"));
    case StandardFolder::AllUsersStartMenu:
      return FirstExisting(facts, {facts.SpecialFolderPath(kCsidlCommonStartMenu)},
                           Join(StandardFolderOf(StandardFolder::AllUsers, facts), "Start Menu"));
    case StandardFolder::UserDesktop:
      return FirstExisting(facts,
                           {facts.SpecialFolderPath(kCsidlDesktopDirectory),
                            Join(StandardFolderOf(StandardFolder::User, facts), "Desktop")},
                           Join(StandardFolderOf(StandardFolder::AllUsers, facts), "Desktop"));
    case StandardFolder::AllUsersDesktop:
      return FirstExisting(facts, {facts.SpecialFolderPath(kCsidlCommonDesktopDirectory)},
                           Join(StandardFolderOf(StandardFolder::AllUsers, facts), "Desktop"));
  }
  return std::string();
}
