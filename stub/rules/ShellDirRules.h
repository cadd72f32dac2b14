// Special folders of the ShellDir unit, the decisions: which source of a standard folder wins
// (the shell's folder functions first, then paths built from the profile or the Windows folder).
// Pure code; ShellDir.h asks the system through a ShellFacts.
#pragma once

#include <string>

// The shell's folder ids (CSIDL values) that the stub asks for.
enum ShellFolderId : int {
  kCsidlPersonal = 0x0005,
  kCsidlStartup = 0x0007,
  kCsidlStartMenu = 0x000b,
  kCsidlDesktopDirectory = 0x0010,
  kCsidlCommonStartMenu = 0x0016,
  kCsidlCommonStartup = 0x0018,
  kCsidlCommonDesktopDirectory = 0x0019,
  kCsidlAppData = 0x001a,
  kCsidlCommonAppData = 0x0023,
  kCsidlCommonDocuments = 0x002e,
  kCsidlFlagCreate = 0x8000,
};

// What the system says; folders come without a final backslash, "" when a call failed.
class ShellFacts {
 public:
  virtual ~ShellFacts() = default;
  virtual std::string FolderPath(int folder_id) = 0;         // the newer folder function
  virtual std::string SpecialFolderPath(int folder_id) = 0;  // the older one
  virtual bool DirExists(const std::string& path) = 0;       // false for ""
  virtual std::string WindowsDir() = 0;
  virtual std::string OwnerUserName() = 0;
};

enum class StandardFolder {
  DocumentsAndSettings, User, AllUsers, UserAppData, AllUsersAppData, MyDocuments,
  AllUsersDocuments, UserStartMenu, AllUsersStartMenu, UserDesktop, AllUsersDesktop,
};

// The folder holding the last component; "" when there is no backslash (or only a root's).
std::string ParentFolder(const std::string& path);
// "<Windows>\Profiles\<owner>" where it exists (the 9x family with profiles), else the Windows
// folder.
std::string ProfilesBaseOf(ShellFacts& facts);
// The standard folder from the first of its sources that exists; the last is taken untested.
std::string StandardFolderOf(StandardFolder which, ShellFacts& facts);
