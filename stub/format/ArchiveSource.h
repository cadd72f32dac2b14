// The narrow file interface the archive code reads through, so the format and TGFileInfo test
// natively on memory or POSIX files while the stub uses Win32 handles (ArchiveSource_win.cpp;
// ArchiveSource_posix.cpp natively).
#pragma once

#include <cstddef>
#include <cstdint>
#include <cstring>
#include <memory>
#include <string>

namespace archive {

class ArchiveSource {
 public:
  virtual ~ArchiveSource() = default;
  virtual std::uint64_t Size() = 0;
  // Reads exactly n bytes at offset; false when they are not all there or the read fails.
  virtual bool ReadAt(std::uint64_t offset, void* buffer, std::size_t n) = 0;
};

// Bytes held in memory.
class MemorySource : public ArchiveSource {
 public:
  explicit MemorySource(std::string bytes) : bytes_(std::move(bytes)) {}
  std::uint64_t Size() override { return bytes_.size(); }
  bool ReadAt(std::uint64_t offset, void* buffer, std::size_t n) override {
    if (offset > bytes_.size() || n > bytes_.size() - offset) return false;
    if (n) std::memcpy(buffer, bytes_.data() + offset, n);
    return true;
  }

 private:
  std::string bytes_;
};

// Opens a file read-only, sharing reads and writes with other processes; null when it cannot
// be opened. Platform file.
std::unique_ptr<ArchiveSource> OpenArchiveSource(const std::string& path);
bool ArchiveFileExists(const std::string& path);
// Bytes per cluster of the drive that holds path (its first three characters on Windows);
// 0 when it cannot be queried. Platform file.
std::uint64_t ClusterSize(const std::string& path);

}  // namespace archive
