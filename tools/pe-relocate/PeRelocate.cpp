#include "PeRelocate.h"

#include <algorithm>

namespace pe {

namespace {

std::uint32_t U16(const std::string& b, std::size_t at) {
  return std::uint32_t(std::uint8_t(b[at])) | std::uint32_t(std::uint8_t(b[at + 1])) << 8;
}
std::uint32_t U32(const std::string& b, std::size_t at) {
  return U16(b, at) | U16(b, at + 2) << 16;
}

constexpr std::size_t kLfanewOffset = 0x3C;
constexpr std::size_t kDosHeaderSize = 0x40;
constexpr std::size_t kSignatureAndFileHeader = 4 + 20;
constexpr std::size_t kSectionHeaderSize = 40;

}  // namespace

bool RelocatePeHeader(std::string& image, std::uint32_t new_offset, std::string* error) {
  auto fail = [error](const std::string& why) {
    *error = why;
    return false;
  };
  if (image.size() < kDosHeaderSize || image[0] != 'M' || image[1] != 'Z')
    return fail("not an executable image (no \"MZ\")");
  if (new_offset < kDosHeaderSize || new_offset % 8 != 0)
    return fail("the new header offset must be a multiple of 8 past the DOS header");
  const std::uint64_t old_offset = U32(image, kLfanewOffset);
  if (old_offset < kDosHeaderSize || old_offset > image.size() ||
      image.size() - old_offset < kSignatureAndFileHeader ||
      image.compare(std::size_t(old_offset), 4, std::string("PE\0\0", 4)) != 0)
    return fail("no PE signature where e_lfanew points");
  const std::size_t old_at = std::size_t(old_offset);
  const std::uint32_t sections = U16(image, old_at + 6);
  const std::uint32_t optional_size = U16(image, old_at + 20);
  const std::size_t optional_at = old_at + kSignatureAndFileHeader;
  const std::size_t length =
      kSignatureAndFileHeader + optional_size + std::size_t(sections) * kSectionHeaderSize;
  if (optional_size < 64 || image.size() - old_at < length)
    return fail("the PE headers are cut short");
  const std::uint32_t magic = U16(image, optional_at);
  if (magic != 0x10B && magic != 0x20B) return fail("unknown optional header magic");
  const std::uint64_t size_of_headers = U32(image, optional_at + 60);

  // The headers must still end before the first section's data and within SizeOfHeaders.
  std::uint64_t first_raw = size_of_headers;
  const std::size_t table_at = optional_at + optional_size;
  for (std::uint32_t i = 0; i < sections; ++i) {
    const std::size_t s = table_at + i * kSectionHeaderSize;
    const std::uint64_t raw_size = U32(image, s + 16), raw_at = U32(image, s + 20);
    if (raw_size > 0) first_raw = std::min(first_raw, raw_at);
  }
  if (new_offset + length > first_raw || new_offset + length > image.size())
    return fail("no room: the headers (" + std::to_string(length) + " bytes) would run past " +
                std::to_string(first_raw) + " when moved to " + std::to_string(new_offset));
  // Data placed inside the header area (bound imports) would be overwritten or left behind.
  const std::size_t directories_at = optional_at + (magic == 0x20B ? 112 : 96);
  const std::uint32_t directory_count = U32(image, optional_at + (magic == 0x20B ? 108 : 92));
  for (std::uint32_t i = 0; i < directory_count; ++i) {
    const std::size_t d = directories_at + i * 8;
    if (d + 8 > table_at) break;
    const std::uint64_t rva = U32(image, d), size = U32(image, d + 4);
    if (size > 0 && rva < size_of_headers)
      return fail("data directory " + std::to_string(i) + " lies inside the headers");
  }
  // Whatever the header lands on must be the padding after the old headers.
  const std::size_t lo = std::max<std::size_t>(new_offset, old_at + length);
  for (std::size_t i = lo; i < new_offset + length; ++i)
    if (image[i] != 0) return fail("the bytes after the headers are not padding");

  const std::string headers = image.substr(old_at, length);
  std::fill(image.begin() + old_at, image.begin() + old_at + length, '\0');
  std::copy(headers.begin(), headers.end(), image.begin() + new_offset);
  for (int k = 0; k < 4; ++k) image[kLfanewOffset + k] = char(new_offset >> (8 * k) & 0xFF);
  return true;
}

}  // namespace pe
