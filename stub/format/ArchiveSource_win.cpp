// ArchiveSource on Win32 file handles: read-only, sharing reads and writes.
#include <windows.h>

#include <utility>

#include "format/ArchiveSource.h"
#include "win/Owners.h"

namespace archive {

namespace {

class Win32Source : public ArchiveSource {
 public:
  explicit Win32Source(OwnedHandle file) : file_(std::move(file)), h_(file_.get()) {}
  Win32Source(const Win32Source&) = delete;
  Win32Source& operator=(const Win32Source&) = delete;

  std::uint64_t Size() override {
    LARGE_INTEGER size;
    return GetFileSizeEx(h_, &size) ? std::uint64_t(size.QuadPart) : 0;
  }
  bool ReadAt(std::uint64_t offset, void* buffer, std::size_t n) override {
    LARGE_INTEGER at;
    at.QuadPart = LONGLONG(offset);
    if (!SetFilePointerEx(h_, at, nullptr, FILE_BEGIN)) return false;
    char* p = static_cast<char*>(buffer);
    while (n > 0) {
      const DWORD want = n > 0x40000000 ? 0x40000000 : DWORD(n);
      DWORD got = 0;
      if (!ReadFile(h_, p, want, &got, nullptr) || got == 0) return false;
      p += got;
      n -= got;
    }
    return true;
  }

 private:
  OwnedHandle file_;
  HANDLE h_;
};

}  // namespace

std::unique_ptr<ArchiveSource> OpenArchiveSource(const std::string& path) {
  OwnedHandle file(CreateFileA(path.c_str(), GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE,
                               nullptr, OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr));
  if (!file) return nullptr;
  return std::make_unique<Win32Source>(std::move(file));
}

bool ArchiveFileExists(const std::string& path) {
  const DWORD attributes = GetFileAttributesA(path.c_str());
  return attributes != INVALID_FILE_ATTRIBUTES && !(attributes & FILE_ATTRIBUTE_DIRECTORY);
}

std::uint64_t ClusterSize(const std::string& path) {
  // The drive named by the first three characters ("C:\").
  const std::string root = path.substr(0, 3);
  DWORD sectors_per_cluster = 0, bytes_per_sector = 0, free_clusters = 0, clusters = 0;
  if (!GetDiskFreeSpaceA(root.c_str(), &sectors_per_cluster, &bytes_per_sector, &free_clusters,
                         &clusters))
    return 0;
  return std::uint64_t(sectors_per_cluster) * bytes_per_sector;
}

}  // namespace archive
