#include "text/TextBasics.h"

#include <limits>

namespace {

LeadByteTest lead_byte_test = NoLeadBytes;

char UpperByte(char c) { return (c >= 'a' && c <= 'z') ? static_cast<char>(c - 'a' + 'A') : c; }

}  // namespace

bool NoLeadBytes(unsigned char) { return false; }
bool GbkLeadByte(unsigned char byte) { return byte >= 0x81 && byte <= 0xFE; }

void SetLeadByteTest(LeadByteTest is_lead) { lead_byte_test = is_lead ? is_lead : NoLeadBytes; }
LeadByteTest CurrentLeadByteTest() { return lead_byte_test; }

std::string UpperText(const std::string& text) { return UpperText(text, lead_byte_test); }

// The second byte of a double-byte character may have the value of a-z; it is not a letter.
std::string UpperText(const std::string& text, LeadByteTest is_lead) {
  std::string out = text;
  for (std::size_t i = 0; i < out.size(); ++i) {
    if (is_lead(static_cast<unsigned char>(out[i])))
      ++i;
    else
      out[i] = UpperByte(out[i]);
  }
  return out;
}

std::string TrimText(const std::string& text) {
  std::size_t begin = 0, end = text.size();
  while (begin < end && static_cast<unsigned char>(text[begin]) <= 32) ++begin;
  while (end > begin && static_cast<unsigned char>(text[end - 1]) <= 32) --end;
  return text.substr(begin, end - begin);
}

bool SameTextIC(const std::string& a, const std::string& b) {
  return a.size() == b.size() && UpperText(a) == UpperText(b);
}

std::string IntText(std::int64_t value) { return std::to_string(value); }

std::int64_t ParseDecimal(const std::string& text, std::int64_t default_value) {
  std::size_t i = 0;
  bool negative = false;
  if (i < text.size() && (text[i] == '+' || text[i] == '-')) negative = text[i++] == '-';
  if (i == text.size()) return default_value;
  // Accumulate as a negative number so that INT64_MIN is representable.
  const std::int64_t min = std::numeric_limits<std::int64_t>::min();
  std::int64_t value = 0;
  for (; i < text.size(); ++i) {
    const char c = text[i];
    if (c < '0' || c > '9') return default_value;
    const int digit = c - '0';
    if (value < (min + digit) / 10) return default_value;
    value = value * 10 - digit;
  }
  if (negative) return value;
  if (value == min) return default_value;
  return -value;
}
