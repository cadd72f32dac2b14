#include "atlas/gbk_text.h"

namespace {
size_t char_bytes(const char* text, size_t at, size_t len) {
  if (static_cast<unsigned char>(text[at]) < 0x80 || at + 1 >= len) return 1;
  return 2;
}
}  // namespace

size_t gbk_safe_prefix(const char* text, size_t len, size_t limit) {
  size_t at = 0;
  while (at < len) {
    size_t n = char_bytes(text, at, len);
    if (at + n > limit) break;  // the cut would fall inside this character: stop before it
    at += n;
  }
  return at;
}

std::vector<std::string> cut_gbk_lines(const std::string& text, size_t per) {
  std::vector<std::string> lines;
  size_t at = 0;
  while (at < text.size()) {
    size_t n = gbk_safe_prefix(text.data() + at, text.size() - at, per);
    if (n == 0) n = char_bytes(text.data(), at, text.size());
    lines.push_back(text.substr(at, n));
    at += n;
  }
  return lines;
}
