#include "win/Paced.h"

#include <string>

#include "rules/Pace.h"

DWORD Paced(DWORD milliseconds) {
  // Read once: the pace of one run does not change.
  static const int divisor = [] {
    char value[8] = {};
    const DWORD n = GetEnvironmentVariableA(kPaceVariable, value, sizeof value);
    return PaceDivisor(n > 0 && n < sizeof value ? std::string(value, n) : std::string());
  }();
  return PacedMs(milliseconds, divisor);
}
