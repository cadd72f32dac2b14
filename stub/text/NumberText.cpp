#include "text/NumberText.h"

#include <cmath>
#include <random>
#include <utility>
#include <vector>

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
  return FixedText(mb, mb > 10 ? 1 : (mb >= 1 ? 2 : 3));
}

namespace {

// Decimal digits of m * 2^shift, through base-10^9 limbs (least significant first): a double
// above 2^63 has up to 309 digits.
std::string ShiftedDigits(std::uint64_t m, int shift) {
  constexpr std::uint32_t kBase = 1000000000;
  std::vector<std::uint32_t> limbs;
  for (; m > 0; m /= kBase) limbs.push_back(static_cast<std::uint32_t>(m % kBase));
  while (shift > 0) {
    const int step = shift < 29 ? shift : 29;  // a limb times 2^29 stays within 64 bits
    std::uint64_t carry = 0;
    for (std::uint32_t& limb : limbs) {
      const std::uint64_t v = (std::uint64_t(limb) << step) + carry;
      limb = static_cast<std::uint32_t>(v % kBase);
      carry = v / kBase;
    }
    if (carry > 0) limbs.push_back(static_cast<std::uint32_t>(carry));
    shift -= step;
  }
  std::string digits = limbs.empty() ? "0" : std::to_string(limbs.back());
  for (std::size_t i = limbs.size() - 1; i-- > 0;) digits += ZeroPad(limbs[i], 9);
  return digits;
}

}  // namespace

std::string FixedText(double value, int decimals) {
  if (std::isnan(value)) return "nan";
  const std::string sign = std::signbit(value) ? "-" : "";
  if (std::isinf(value)) return sign + "inf";
  decimals = ClampInt(decimals, 0, 3);
  std::uint64_t scale = 1;
  for (int i = 0; i < decimals; ++i) scale *= 10;

  // |value| = m * 2^exponent exactly, m below 2^53.
  int exponent = 0;
  const double fraction = std::frexp(std::fabs(value), &exponent);
  const std::uint64_t m = static_cast<std::uint64_t>(std::ldexp(fraction, 53));
  exponent -= 53;
  std::string digits;
  if (exponent >= 0) {
    digits = ShiftedDigits(m * scale, exponent);  // below 2^63: m < 2^53, scale <= 1000
  } else {
    // The scaled value m * scale / 2^k, rounded half to even; from k = 64 on it is below 1/2.
    const int k = -exponent;
    const std::uint64_t n = m * scale;
    std::uint64_t q = 0;
    if (k < 64) {
      q = n >> k;
      const std::uint64_t rest = n & ((std::uint64_t(1) << k) - 1);
      const std::uint64_t half = std::uint64_t(1) << (k - 1);
      if (rest > half || (rest == half && (q & 1) != 0)) ++q;
    }
    digits = std::to_string(q);
  }
  if (digits.size() <= static_cast<std::size_t>(decimals))
    digits.insert(0, static_cast<std::size_t>(decimals) + 1 - digits.size(), '0');
  if (decimals > 0) digits.insert(digits.size() - static_cast<std::size_t>(decimals), ".");
  return sign + digits;
}
