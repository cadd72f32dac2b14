#include "atlas/token_reader.h"

#include <cerrno>
#include <cmath>
#include <cstdlib>

#include "atlas/gbk_text.h"

namespace {
bool is_space(int c) {
  return c == ' ' || c == '\t' || c == '\n' || c == '\v' || c == '\f' || c == '\r';
}
}  // namespace

TokenReader::TokenReader(const std::string& path) : file(std::fopen(path.c_str(), "rb")) {}

TokenReader::~TokenReader() {
  if (file) std::fclose(file);
}

bool TokenReader::next(std::string& token, size_t limit, bool& cut) {
  token.clear();
  cut = false;
  if (!file) return false;
  int c;
  do {
    c = std::fgetc(file);
  } while (c != EOF && is_space(c));
  if (c == EOF) return false;
  size_t length = 0;
  for (; c != EOF && !is_space(c); c = std::fgetc(file), ++length) {
    // Keep one byte past the limit so the cut below can tell a whole trailing character.
    if (token.size() <= limit) token.push_back(static_cast<char>(c));
  }
  if (length > limit) {
    cut = true;
    token.resize(gbk_safe_prefix(token.data(), token.size(), limit));
  }
  return true;
}

bool parse_float_token(const std::string& token, float& value) {
  if (token.empty()) return false;
  errno = 0;
  char* end = nullptr;
  float v = std::strtof(token.c_str(), &end);
  if (end != token.c_str() + token.size()) return false;
  if (errno == ERANGE && std::isinf(v)) return false;
  value = v;
  return true;
}

bool parse_int_token(const std::string& token, int& value) {
  if (token.empty()) return false;
  errno = 0;
  char* end = nullptr;
  long long v = std::strtoll(token.c_str(), &end, 10);
  if (end != token.c_str() + token.size() || errno == ERANGE) return false;
  if (v < -2147483648LL || v > 2147483647LL) return false;
  value = static_cast<int>(v);
  return true;
}
