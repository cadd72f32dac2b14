// Sequential byte input for the file readers: a file, or bytes in memory (tests and fuzzing).
#pragma once

#include <cstddef>
#include <cstdint>
#include <cstdio>

class ByteSource {
 public:
  virtual ~ByteSource() = default;
  // Copies up to `size` bytes and returns how many it obtained; fewer means the end was met.
  virtual size_t read(void* into, size_t size) = 0;
  // Moves to an absolute offset; false when that is not possible.
  virtual bool seek(uint64_t offset) = 0;
  // Bytes from the current position to the end.
  virtual uint64_t remaining() = 0;
};

// Owns one FILE* opened "rb".
class FileSource final : public ByteSource {
 public:
  FileSource() = default;
  ~FileSource() override { close(); }
  FileSource(const FileSource&) = delete;
  FileSource& operator=(const FileSource&) = delete;

  bool open(const char* file_name);
  void close();
  bool is_open() const { return file_ != nullptr; }

  size_t read(void* into, size_t size) override;
  bool seek(uint64_t offset) override;
  uint64_t remaining() override;

 private:
  FILE* file_ = nullptr;
};

class MemorySource final : public ByteSource {
 public:
  MemorySource(const uint8_t* data, size_t size) : data_(data), size_(size) {}

  size_t read(void* into, size_t size) override;
  bool seek(uint64_t offset) override;
  uint64_t remaining() override { return size_ - position_; }

 private:
  const uint8_t* data_;
  size_t size_;
  size_t position_ = 0;
};
