// The pace of the stub's fixed pauses and of its one-second timer. A shipped stub keeps them
// as they are; a test run may set the environment variable WEXLIN_TEST_PACE to a divisor, so
// that the tests of what happens after a pause need not sit through it. Pure code.
#pragma once

#include <cstdint>
#include <string>

constexpr char kPaceVariable[] = "WEXLIN_TEST_PACE";
// A tenth of a second is still a pause: a quicker tick would starve the window of its
// other messages on a loaded machine.
constexpr int kMaxPaceDivisor = 10;

// The divisor a value of the variable asks for: a whole number from 1 to kMaxPaceDivisor; an
// empty, malformed or out-of-range value gives 1 (the shipped pace).
int PaceDivisor(const std::string& value);
// milliseconds at that pace; never 0 for a pause that was not 0.
std::uint32_t PacedMs(std::uint32_t milliseconds, int divisor);
