// Files, Win32 side.
#include "win/Files.h"

#include <winioctl.h>

#include <algorithm>
#include <cstring>
#include <vector>

#include "win/Owners.h"
#include "win/Utils.h"

namespace {


bool IsDotEntry(const char* name) {
  return std::strcmp(name, ".") == 0 || std::strcmp(name, "..") == 0;
}

bool IsFolder(const WIN32_FIND_DATAA& d) {
  return (d.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) != 0;
}
bool IsLink(const WIN32_FIND_DATAA& d) {
  return (d.dwFileAttributes & FILE_ATTRIBUTE_REPARSE_POINT) != 0;
}

std::string Joined(const std::string& folder, const std::string& name) {
  return FixTrailingBackslash(folder, true) + name;
}

// The subfolders of folder in the order the system lists them; links are left out, so that a
// search or a deletion never leaves the tree it was given.
std::vector<std::string> SubFolders(const std::string& folder) {
  std::vector<std::string> out;
  WIN32_FIND_DATAA d;
  const SearchOwner find = FindFirst(Joined(folder, "*.*"), &d);
  if (!find) return out;
  do {
    if (IsFolder(d) && !IsLink(d) && !IsDotEntry(d.cFileName))
      out.push_back(Joined(folder, d.cFileName));
  } while (FindNextFileA(find.get(), &d));
  return out;
}

void SetFileDate(HANDLE file, std::uint32_t dos_date) {
  FILETIME local, utc;
  if (DosDateTimeToFileTime(WORD(dos_date >> 16), WORD(dos_date & 0xFFFF), &local) &&
      LocalFileTimeToFileTime(&local, &utc))
    SetFileTime(file, nullptr, nullptr, &utc);
}

using GetDiskFreeSpaceExFn = BOOL(WINAPI*)(LPCSTR, PULARGE_INTEGER, PULARGE_INTEGER,
                                           PULARGE_INTEGER);

}  // namespace

std::uint32_t FileSizeOf(const std::string& path) {
  WIN32_FIND_DATAA d;
  const SearchOwner find = FindFirst(path, &d);
  // Sizes of 4 GiB and more do not fit the 32-bit result; they read as the largest value.
  if (!find) return 0;
  return d.nFileSizeHigh ? 0xFFFFFFFFu : d.nFileSizeLow;
}

std::string ReadFilePart(const std::string& path, std::int64_t offset, std::uint32_t maximum) {
  if (offset < 0) return std::string();
  OwnedHandle file(CreateFileA(path.c_str(), GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE,
                               nullptr, OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr));
  LARGE_INTEGER size;
  if (!file || !GetFileSizeEx(file.get(), &size) || offset >= size.QuadPart) return std::string();
  std::uint64_t want = std::uint64_t(size.QuadPart - offset);
  if (maximum != 0) want = std::min<std::uint64_t>(want, maximum);
  if (want > 0x7FFFFFFF) return std::string();  // more than one read can hold
  LARGE_INTEGER at;
  at.QuadPart = offset;
  std::string bytes(std::size_t(want), '\0');
  DWORD got = 0;
  if (!SetFilePointerEx(file.get(), at, nullptr, FILE_BEGIN) ||
      !ReadFile(file.get(), &bytes[0], DWORD(want), &got, nullptr) || got != want)
    return std::string();
  return bytes;
}

OwnedHandle OpenForWriting(const std::string& path, WriteMode mode, DWORD* error_code) {
  const bool append = mode == WriteMode::Append;
  OwnedHandle file(CreateFileA(path.c_str(), GENERIC_WRITE, FILE_SHARE_READ, nullptr,
                               append ? OPEN_ALWAYS : CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL,
                               nullptr));
  LARGE_INTEGER zero{};
  if (file && (!append || SetFilePointerEx(file.get(), zero, nullptr, FILE_END))) return file;
  *error_code = GetLastError();
  return OwnedHandle();
}

bool WriteAllTo(HANDLE file, std::string_view data, DWORD* error_code,
                const BetweenPieces& between) {
  const std::size_t piece = WritePieceSize(data.size());
  std::size_t done = 0;
  while (done < data.size()) {
    const DWORD want = DWORD(std::min(piece, data.size() - done));
    DWORD wrote = 0;
    if (!WriteFile(file, data.data() + done, want, &wrote, nullptr)) {
      *error_code = GetLastError();
      return false;
    }
    if (wrote == 0) {
      *error_code = ERROR_HANDLE_DISK_FULL;  // a piece that wrote nothing ends the write
      return false;
    }
    done += wrote;
    if (between && done < data.size()) between();
  }
  return true;
}

bool WriteFileData(const std::string& path, std::string_view data, std::uint32_t dos_date,
                   WriteMode mode, DWORD* error_code, const BetweenPieces& between) {
  DWORD error = ERROR_SUCCESS;
  OwnedHandle file = OpenForWriting(path, mode, &error);
  if (file && WriteAllTo(file.get(), data, &error, between) && dos_date != 0)
    SetFileDate(file.get(), dos_date);
  if (file && !file.Close() && error == ERROR_SUCCESS) error = GetLastError();
  if (error_code) *error_code = error;
  return error == ERROR_SUCCESS;
}

bool AppendData(const std::string& path, const std::string& data, std::uint32_t dos_date,
                DWORD* error_code) {
  return WriteFileData(path, data, dos_date, WriteMode::Append, error_code);
}

std::string NameWithoutExt(const std::string& path) { return NameWithoutExt(path, IsLeadByte); }

// The extended query is looked up once; systems without it get the classic one, whose
// cluster arithmetic FileRules does in 64 bits.
double FreeSpace(const std::string& path) {
  static const GetDiskFreeSpaceExFn extended =
      BindProcAs<GetDiskFreeSpaceExFn>("kernel32.dll", "GetDiskFreeSpaceExA");
  if (extended) {
    ULARGE_INTEGER available, total, free_total;
    const std::string query = FreeSpaceQueryPath(path);
    if (query.empty() || !extended(query.c_str(), &available, &total, &free_total)) return 0;
    return double(available.QuadPart);
  }
  const std::string root = DriveRootOf(path);
  DWORD sectors = 0, bytes = 0, free_clusters = 0, clusters = 0;
  if (root.empty() || !GetDiskFreeSpaceA(root.c_str(), &sectors, &bytes, &free_clusters, &clusters))
    return 0;
  return ClassicFreeBytes(sectors, bytes, free_clusters);
}

std::uint32_t FileDosDateTime(const std::string& path) {
  OwnedHandle file(CreateFileA(path.c_str(), GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE,
                               nullptr, OPEN_EXISTING, 0, nullptr));
  FILETIME written, local;
  WORD date = 0, time = 0;
  if (file && GetFileTime(file.get(), nullptr, nullptr, &written) &&
      FileTimeToLocalFileTime(&written, &local))
    FileTimeToDosDateTime(&local, &date, &time);
  return std::uint32_t(date) << 16 | time;
}

bool FileExists(const std::string& path) {
  const DWORD a = GetFileAttributesA(path.c_str());
  return !path.empty() && a != INVALID_FILE_ATTRIBUTES && !(a & FILE_ATTRIBUTE_DIRECTORY);
}

bool FolderExists(const std::string& path) {
  const DWORD a = GetFileAttributesA(path.c_str());
  return !path.empty() && a != INVALID_FILE_ATTRIBUTES && (a & FILE_ATTRIBUTE_DIRECTORY);
}

std::string FullPathName(const std::string& path) {
  char buffer[MAX_PATH * 4];
  const DWORD n = GetFullPathNameA(path.c_str(), sizeof buffer, buffer, nullptr);
  return (n > 0 && n < sizeof buffer) ? std::string(buffer, n) : path;
}

bool ForceFolders(const std::string& folder, DWORD* error_code) {
  const std::string path = FixTrailingBackslash(folder, false);
  DWORD error = ERROR_SUCCESS;
  if (path.empty()) {
    error = ERROR_INVALID_NAME;
  } else if (!FolderExists(path)) {
    // The parent is the text before the last backslash that is not a second byte.
    std::size_t cut = std::string::npos;
    for (std::size_t i = 0; i < path.size(); ++i) {
      if (IsLeadByte(static_cast<unsigned char>(path[i])))
        ++i;
      else if (path[i] == '\\')
        cut = i;
    }
    if (cut != std::string::npos && cut > 0 && path[cut - 1] != ':' && path[cut - 1] != '\\')
      ForceFolders(path.substr(0, cut), nullptr);
    if (!CreateDirectoryA(path.c_str(), nullptr) && !FolderExists(path)) error = GetLastError();
  }
  if (error_code) *error_code = error;
  return error == ERROR_SUCCESS;
}

std::string FindFileInTree(const std::string& folder, const std::string& name) {
  const std::string here = Joined(folder, name);
  if (FileExists(here)) return here;
  for (const std::string& sub : SubFolders(folder)) {
    const std::string found = FindFileInTree(sub, name);
    if (!found.empty()) return found;
  }
  return std::string();
}

std::string FindFolderInTree(const std::string& folder, const std::string& name) {
  const std::string path = FixTrailingBackslash(folder, false);
  if (EndsWithText("\\" + name, path, true)) return path;
  for (const std::string& sub : SubFolders(folder)) {
    const std::string found = FindFolderInTree(sub, name);
    if (!found.empty()) return found;
  }
  return std::string();
}

namespace {

std::string SearchDrives(UINT drive_type,
                         const std::function<std::string(const std::string&)>& search) {
  for (char letter = 'C'; letter <= 'Z'; ++letter) {
    const std::string root = std::string(1, letter) + ":\\";
    if (GetDriveTypeA(root.c_str()) != drive_type) continue;
    const std::string found = search(root);
    if (!found.empty()) return found;
  }
  return std::string();
}

}  // namespace

std::string FindFileOnDrives(const std::string& name, UINT drive_type) {
  return SearchDrives(drive_type,
                      [&](const std::string& root) { return FindFileInTree(root, name); });
}

std::string FindFolderOnDrives(const std::string& name, UINT drive_type) {
  return SearchDrives(drive_type,
                      [&](const std::string& root) { return FindFolderInTree(root, name); });
}

bool DeleteFiles(const std::string& mask, bool clear_attributes) {
  WIN32_FIND_DATAA d;
  const SearchOwner find = FindFirst(mask, &d);
  if (!find) return false;
  const std::size_t slash = mask.find_last_of("\\:");
  const std::string folder = slash == std::string::npos ? std::string() : mask.substr(0, slash + 1);
  bool matched = false;
  do {
    if (IsFolder(d)) continue;
    matched = true;
    const std::string file = folder + d.cFileName;
    if (clear_attributes) SetFileAttributesA(file.c_str(), FILE_ATTRIBUTE_NORMAL);
    DeleteFileA(file.c_str());
  } while (FindNextFileA(find.get(), &d));
  return matched;
}

bool DeleteTree(const std::string& folder, bool clear_attributes) {
  const std::string path = FixTrailingBackslash(folder, false);
  if (!FolderExists(path)) return false;
  if (GetFileAttributesA(path.c_str()) & FILE_ATTRIBUTE_REPARSE_POINT) {
    RemoveDirectoryA(path.c_str());  // a link given as the folder: only the link goes
    return !FolderExists(path);
  }
  DeleteFiles(Joined(path, "*.*"), clear_attributes);
  // Links inside are removed as links; RemoveDirectory does not follow them.
  WIN32_FIND_DATAA d;
  {
    const SearchOwner find = FindFirst(Joined(path, "*.*"), &d);
    if (find) {
      do {
        if (IsFolder(d) && IsLink(d) && !IsDotEntry(d.cFileName))
          RemoveDirectoryA(Joined(path, d.cFileName).c_str());
      } while (FindNextFileA(find.get(), &d));
    }
  }
  for (const std::string& sub : SubFolders(path)) DeleteTree(sub, clear_attributes);
  if (clear_attributes) SetFileAttributesA(path.c_str(), FILE_ATTRIBUTE_NORMAL);
  RemoveDirectoryA(path.c_str());
  return !FolderExists(path);
}

bool EjectCd(const std::string& path) {
  const std::string root = DriveRootOf(path);
  if (root.empty() || GetDriveTypeA(root.c_str()) != DRIVE_CDROM) return false;
  const std::string device = DriveDeviceOf(path);
  OwnedHandle drive(CreateFileA(device.c_str(), GENERIC_READ | GENERIC_WRITE,
                                FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr, OPEN_EXISTING, 0,
                                nullptr));
  if (!drive)
    drive =
        OwnedHandle(CreateFileA(device.c_str(), GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE,
                                nullptr, OPEN_EXISTING, 0, nullptr));
  if (!drive) return false;
  DWORD returned = 0;
  return DeviceIoControl(drive.get(), IOCTL_STORAGE_EJECT_MEDIA, nullptr, 0, nullptr, 0, &returned,
                         nullptr) != FALSE;
}
