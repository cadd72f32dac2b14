// ArchiveSource on POSIX files, for the native tests, the builder and the benchmark.
#include <cstdio>
#include <sys/stat.h>
#include <sys/statvfs.h>

#include "format/ArchiveSource.h"

namespace archive {

namespace {

class PosixSource : public ArchiveSource {
 public:
  explicit PosixSource(std::FILE* f) : f_(f) {}
  ~PosixSource() override { std::fclose(f_); }
  PosixSource(const PosixSource&) = delete;
  PosixSource& operator=(const PosixSource&) = delete;

  std::uint64_t Size() override {
    struct stat st;
    return fstat(fileno(f_), &st) == 0 ? std::uint64_t(st.st_size) : 0;
  }
  bool ReadAt(std::uint64_t offset, void* buffer, std::size_t n) override {
    if (fseeko(f_, off_t(offset), SEEK_SET) != 0) return false;
    return std::fread(buffer, 1, n, f_) == n;
  }

 private:
  std::FILE* f_;
};

}  // namespace

std::unique_ptr<ArchiveSource> OpenArchiveSource(const std::string& path) {
  std::FILE* f = std::fopen(path.c_str(), "rb");
  if (!f) return nullptr;
  return std::make_unique<PosixSource>(f);
}

bool ArchiveFileExists(const std::string& path) {
  struct stat st;
  return stat(path.c_str(), &st) == 0 && S_ISREG(st.st_mode);
}

std::uint64_t ClusterSize(const std::string& path) {
  struct statvfs vfs;
  return statvfs(path.c_str(), &vfs) == 0 ? std::uint64_t(vfs.f_bsize) : 0;
}

}  // namespace archive
