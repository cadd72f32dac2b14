#include "win/RunTimeDir.h"

// Nothing in this system names a run-time folder, so each is empty, with or without the slash.
std::string RunTimeDir1(bool) { return std::string(); }
std::string RunTimeDir2(bool) { return std::string(); }
std::string RunTimeDir3(bool) { return std::string(); }
