// Finding a file whose stored name differs from the one on disk only in upper and lower case.
#pragma once

#include <string>

// `name` itself when a file opens by it; otherwise the entry of its folder (the working directory
// for a bare name) whose name equals it without regard to ASCII case, the first in byte order when
// several do; empty when there is none.
std::string find_file_ignoring_case(const std::string& name);

// Compares two names with A-Z and a-z taken as equal; other bytes must match exactly.
bool equal_ignoring_case(const std::string& a, const std::string& b);
