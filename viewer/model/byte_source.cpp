#include "model/byte_source.h"

#include <climits>
#include <cstring>

bool FileSource::open(const char* file_name) {
  close();
  file_ = std::fopen(file_name, "rb");
  return file_ != nullptr;
}

void FileSource::close() {
  if (file_) std::fclose(file_);
  file_ = nullptr;
}

size_t FileSource::read(void* into, size_t size) {
  return file_ && size ? std::fread(into, 1, size, file_) : 0;
}

bool FileSource::seek(uint64_t offset) {
  if (!file_ || offset > static_cast<uint64_t>(LONG_MAX)) return false;
  return std::fseek(file_, static_cast<long>(offset), SEEK_SET) == 0;
}

uint64_t FileSource::remaining() {
  if (!file_) return 0;
  const long here = std::ftell(file_);
  if (here < 0 || std::fseek(file_, 0, SEEK_END) != 0) return 0;
  const long end = std::ftell(file_);
  std::fseek(file_, here, SEEK_SET);
  return end > here ? static_cast<uint64_t>(end - here) : 0;
}

size_t MemorySource::read(void* into, size_t size) {
  const size_t n = size < size_ - position_ ? size : size_ - position_;
  if (n) std::memcpy(into, data_ + position_, n);
  position_ += n;
  return n;
}

bool MemorySource::seek(uint64_t offset) {
  if (offset > size_) return false;
  position_ = static_cast<size_t>(offset);
  return true;
}
