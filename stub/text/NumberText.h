// Numbers and dates as texts: zero padding, digits in a base, random numbers, dates, megabytes.
#pragma once

#include <cstdint>
#include <string>

std::string ZeroPad(std::int64_t number, int width);
std::string RandomRangeText(std::int64_t low, std::int64_t high);
std::int64_t ParseNumber(const std::string& text, int base);
std::int64_t HexToInt(const std::string& text);

int MinInt(int a, int b);
int MaxInt(int a, int b);
int ClampInt(int value, int low, int high);

struct DateTimeValue {
  int year = 1899, month = 12, day = 30;
  int hour = 0, minute = 0, second = 0;
};
std::string DateText(const DateTimeValue& when);                        // "01-MAR-2006"
std::string DateTimeText(const DateTimeValue& when, char time_separator);  // + "  08:50:34"
std::string MegabytesText(double bytes);                                // "5.00"
// printf's "%.Nf" for N of 0..3 (others are clamped), without printf: every finite value in
// full, the exact binary value rounded half to even; "inf", "-inf", "nan" as printf writes them.
std::string FixedText(double value, int decimals);
