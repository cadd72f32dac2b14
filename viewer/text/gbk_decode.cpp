#include "text/gbk_decode.h"

#include "text/iconv_handle.h"

#include <cerrno>
#include <cstdint>
#include <vector>

namespace {

constexpr char32_t kReplacement = 0xFFFD;

// CP936 is the Windows code page (0x80 is the euro sign); plain GBK serves where an iconv lacks
// it.
const char* gbk_charset() {
  static const char* const name =
      IconvHandle("UTF-32LE", "CP936").ok() ? "CP936" : "GBK";
  return name;
}

}  // namespace

std::u32string decode_gbk(const char* text, std::size_t length) {
  std::u32string out;
  if (text == nullptr || length == 0) return out;
  IconvHandle decoder("UTF-32LE", gbk_charset());
  if (!decoder.ok()) {  // no converter at all: ASCII still shows
    for (std::size_t i = 0; i < length; ++i) {
      const unsigned char b = static_cast<unsigned char>(text[i]);
      out.push_back(b < 0x80 ? char32_t(b) : kReplacement);
    }
    return out;
  }

  // No GBK character yields more than one code point, so four bytes per input byte suffice.
  std::vector<char> buffer(length * 4);
  char* in = const_cast<char*>(text);
  std::size_t in_left = length;
  char* dst = buffer.data();
  std::size_t dst_left = buffer.size();
  while (in_left > 0) {
    if (iconv(decoder.get(), &in, &in_left, &dst, &dst_left) != std::size_t(-1)) break;
    if (errno != EILSEQ && errno != EINVAL) break;
    // A bad or cut-off character: replace its first byte and go on after it.
    const char32_t r = kReplacement;
    for (int i = 0; i < 4; ++i) *dst++ = char(r >> (8 * i) & 0xFF);
    dst_left -= 4;
    ++in;
    --in_left;
  }
  const std::size_t produced = buffer.size() - dst_left;
  out.reserve(produced / 4);
  for (std::size_t i = 0; i + 4 <= produced; i += 4) {
    const auto b = [&](std::size_t k) { return char32_t(static_cast<uint8_t>(buffer[i + k])); };
    out.push_back(b(0) | b(1) << 8 | b(2) << 16 | b(3) << 24);
  }
  return out;
}

std::string utf32_to_utf8(const std::u32string& text) {
  std::string out;
  for (char32_t c : text) {
    if (c > 0x10FFFF || (c >= 0xD800 && c <= 0xDFFF)) c = kReplacement;
    if (c < 0x80) {
      out.push_back(char(c));
    } else if (c < 0x800) {
      out.push_back(char(0xC0 | c >> 6));
      out.push_back(char(0x80 | (c & 0x3F)));
    } else if (c < 0x10000) {
      out.push_back(char(0xE0 | c >> 12));
      out.push_back(char(0x80 | (c >> 6 & 0x3F)));
      out.push_back(char(0x80 | (c & 0x3F)));
    } else {
      out.push_back(char(0xF0 | c >> 18));
      out.push_back(char(0x80 | (c >> 12 & 0x3F)));
      out.push_back(char(0x80 | (c >> 6 & 0x3F)));
      out.push_back(char(0x80 | (c & 0x3F)));
    }
  }
  return out;
}
