#include "text/NumberText.h"

#include <cstdio>
#include <random>
#include <utility>

#include "text/TextBasics.h"
#include "text/TextDetail.h"
#include "text/TextLists.h"

// A negative number keeps its sign in front of the zeros ("-007"), never "00-7".
std::string ZeroPad(std::int64_t number, int width) {
  const bool negative = number < 0;
  std::string digits = std::to_string(number);
  if (negative) digits.erase(0, 1);
  const int room = width - static_cast<int>(digits.size()) - (negative ? 1 : 0);
  if (room > 0) digits.insert(0, static_cast<std::size_t>(room), '0');
  return negative ? "-" + digits : digits;
}

// Bounds given the wrong way round are swapped rather than giving an empty range.
std::string RandomRangeText(std::int64_t low, std::int64_t high) {
  if (low > high) std::swap(low, high);
  std::mt19937_64 generator = text_detail::ClockSeededGenerator();
  return IntText(std::uniform_int_distribution<std::int64_t>(low, high)(generator));
}

// A character outside the digit set counts as digit -1, as the rule says; callers only pass
// hexadecimal digits. Unsigned arithmetic wraps like the 64-bit original instead of overflowing.
std::int64_t ParseNumber(const std::string& text, int base) {
  static const std::string digits = "0123456789ABCDEF";
  const std::string t = UpperText(TrimText(text));
  std::uint64_t value = 0, weight = 1;
  for (std::size_t i = t.size(); i-- > 0;) {
    const std::size_t at = digits.find(t[i]);
    const std::int64_t d = at == std::string::npos ? -1 : static_cast<std::int64_t>(at);
    value += static_cast<std::uint64_t>(d) * weight;
    weight *= static_cast<std::uint64_t>(static_cast<std::int64_t>(base));
  }
  return static_cast<std::int64_t>(value);
}

std::int64_t HexToInt(const std::string& text) { return ParseNumber(text, 16); }

int MinInt(int a, int b) { return a < b ? a : b; }
int MaxInt(int a, int b) { return a > b ? a : b; }
int ClampInt(int value, int low, int high) {
  if (value < low) value = low;
  if (value > high) value = high;
  return value;
}

std::string DateText(const DateTimeValue& when) {
  static const std::string months = "||JAN|FEB|MAR|APR|MAY|JUN|JUL|AUG|SEP|OCT|NOV|DEC|";
  return ZeroPad(when.day, 2) + "-" + ListItem(months, when.month, "") + "-" +
         ZeroPad(when.year, 4);
}

std::string DateTimeText(const DateTimeValue& when, char time_separator) {
  const std::string sep(1, time_separator);
  return DateText(when) + "  " + ZeroPad(when.hour, 2) + sep + ZeroPad(when.minute, 2) + sep +
         ZeroPad(when.second, 2);
}

std::string MegabytesText(double bytes) {
  const double mb = (bytes > 0) ? bytes / 1048576.0 : 0.0;  // also maps NaN to 0
  const char* format = mb > 10 ? "%.1f" : (mb >= 1 ? "%.2f" : "%.3f");
  const int n = std::snprintf(nullptr, 0, format, mb);  // sized first: any double fits
  if (n <= 0) return "0.000";
  std::string out(static_cast<std::size_t>(n) + 1, '\0');
  std::snprintf(&out[0], out.size(), format, mb);
  out.resize(static_cast<std::size_t>(n));
  return out;
}
