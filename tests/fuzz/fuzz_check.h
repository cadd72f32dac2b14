// Shared by the text targets: a broken promise aborts, so libFuzzer keeps the input.
#pragma once

#include <cstdlib>

inline void check(bool sound) {
  if (!sound) std::abort();
}
