// RunTimeDir: the three run-time folders of the folder macros. This system has none: each is
// empty.
#pragma once

#include <string>

std::string RunTimeDir1(bool with_slash);
std::string RunTimeDir2(bool with_slash);
std::string RunTimeDir3(bool with_slash);
