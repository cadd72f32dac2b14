#include "app/StubGlob.h"

#include <vector>

#include "app/StubState.h"
#include "win/Files.h"
#include "win/PrivateFolder.h"
#include "win/Utils.h"

namespace {

// Attempts at a free name before giving up; each draws a new five-digit number.
constexpr int kNameAttempts = 50;

std::vector<std::string>& OwnFolders() {
  static std::vector<std::string> folders;
  return folders;
}

std::string& HeldSetupDir() {
  static std::string folder;
  return folder;
}

struct WorkBase {
  bool found = false;
  std::string base;
  std::string folder;
};
WorkBase& Work() {
  static WorkBase work;
  return work;
}

std::string Normal(const std::string& folder) {
  return UpperText(FixTrailingBackslash(folder, false));
}

// The time half of the running program's last-write time in MS-DOS form (local time).
unsigned OwnDosTime() { return FileDosDateTime(ExeFileName()) & 0xFFFF; }

}  // namespace

std::string CreateOwnFolder(const std::string& stem, unsigned long* error_code,
                            bool private_rights) {
  const std::string base = FixTrailingBackslash(stem, false);
  DWORD error = ERROR_INVALID_NAME;
  const std::size_t slash = base.rfind('\\');
  if (!base.empty() && slash != std::string::npos) ForceFolders(base.substr(0, slash), nullptr);
  for (int attempt = 0; !base.empty() && attempt < kNameAttempts; ++attempt) {
    const std::string name = attempt == 0 ? base : base + "_" + RandomRangeText(10000, 99999);
    // CreateDirectory fails on any existing folder or file: a success is a folder of our own.
    const bool made = private_rights ? CreatePrivateFolder(name, &error)
                                     : CreateDirectoryA(name.c_str(), nullptr) != FALSE;
    if (made) {
      OwnFolders().push_back(Normal(name));
      if (error_code) *error_code = ERROR_SUCCESS;
      return name;
    }
    if (!private_rights) error = GetLastError();
    if (error != ERROR_ALREADY_EXISTS && error != ERROR_FILE_EXISTS && error != ERROR_ACCESS_DENIED)
      break;
  }
  if (error_code) *error_code = error;
  return std::string();
}

bool IsOwnFolder(const std::string& folder) {
  const std::string key = Normal(folder);
  for (const std::string& own : OwnFolders())
    if (own == key) return true;
  return false;
}

bool RemoveOwnFolder(const std::string& folder, bool clear_attributes) {
  if (folder.empty() || !IsOwnFolder(folder)) return false;
  const bool gone = DeleteTree(folder, clear_attributes) || !FolderExists(folder);
  if (gone) {
    std::vector<std::string>& own = OwnFolders();
    const std::string key = Normal(folder);
    for (std::size_t i = 0; i < own.size(); ++i)
      if (own[i] == key) {
        own.erase(own.begin() + std::ptrdiff_t(i));
        break;
      }
  }
  return gone;
}

void LeaveFolderInUse(const std::string& folder) {
  const std::string key = Normal(folder);
  std::vector<std::string>& own = OwnFolders();
  for (std::size_t i = own.size(); i-- > 0;)
    if (own[i] == key) own.erase(own.begin() + std::ptrdiff_t(i));
  if (!HeldSetupDir().empty() && Normal(HeldSetupDir()) == key) HeldSetupDir().clear();
  if (!Work().folder.empty() && Normal(Work().folder) == key) Work().folder.clear();
}

std::string SetupTempDirStem() { return TempDir(true) + "SETUP_" + IntText(OwnDosTime()); }

std::string SetupTempDir(unsigned long* error_code) {
  std::string& held = HeldSetupDir();
  if (held.empty()) held = CreateOwnFolder(SetupTempDirStem(), error_code);
  return held;
}

void RemoveSetupTempDir() {
  std::string& held = HeldSetupDir();
  // A folder that could not be removed stays ours and is tried again at the next removal; the
  // next job gets a new folder either way.
  if (!held.empty()) RemoveOwnFolder(held, true);
  held.clear();
}

bool FindBestTempBase() {
  WorkBase& work = Work();
  if (work.found) return true;
  std::vector<DriveSpace> noted;
  for (char letter : {'C', 'D', 'E'}) {
    const std::string root = std::string(1, letter) + ":\\";
    if (GetDriveTypeA(root.c_str()) != DRIVE_FIXED) continue;
    // The test folder is one of our own, so an existing TEMP folder is never touched. Made
    // private like the work folders: a drive that cannot hold such rights is not a candidate.
    const std::string folder = CreateOwnFolder(
        FolderExists(root + "TEMP") ? root + "TEMP\\TEMP" + RandomRangeText(10000, 99999)
                                    : root + "TEMP",
        nullptr, true);
    if (folder.empty()) continue;
    const std::string probe = folder + "\\~aa.tmp";
    if (WriteFileData(probe, "aa", 0, WriteMode::Create) && FileExists(probe))
      noted.push_back({letter, FreeSpace(folder)});
    RemoveOwnFolder(folder, false);
  }
  const std::string temp = TempDir(false);
  const char current = temp.empty() ? 'C' : UpperText(temp.substr(0, 1))[0];
  const char best = BestTempDrive(current, noted);
  if (best == current) return false;
  work.base = TempBaseOn(best, FolderExists(std::string(1, best) + ":\\TEMP"));
  work.found = true;
  return true;
}

std::string WorkTempDir() {
  WorkBase& work = Work();
  if (work.folder.empty() && work.found)
    work.folder = CreateOwnFolder(work.base + "_" + RandomRangeText(10000, 99999), nullptr, true);
  return work.folder;
}

void RemoveWorkTempDir() {
  WorkBase& work = Work();
  if (!work.folder.empty()) RemoveOwnFolder(work.folder, false);
  work.folder.clear();
}
