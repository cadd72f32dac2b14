#include "rules/Pace.h"

int PaceDivisor(const std::string& value) {
  if (value.empty() || value.size() > 2) return 1;
  int divisor = 0;
  for (const char c : value) {
    if (c < '0' || c > '9') return 1;
    divisor = divisor * 10 + (c - '0');
  }
  return divisor >= 1 && divisor <= kMaxPaceDivisor ? divisor : 1;
}

std::uint32_t PacedMs(std::uint32_t milliseconds, int divisor) {
  if (divisor <= 1 || milliseconds == 0) return milliseconds;
  const std::uint32_t paced = milliseconds / static_cast<std::uint32_t>(divisor);
  return paced == 0 ? 1 : paced;
}
