#include "RunTimeDir.h"

namespace {

// "*" marks a folder not computed yet. Nothing in this system names one, so an empty folder
// stays empty with or without the slash.
std::string& Held(int index) {
  static std::string folders[3] = {"*", "*", "*"};
  std::string& folder = folders[index];
  if (folder == "*") folder.clear();
  return folder;
}

}  // namespace

std::string RunTimeDir1(bool) { return Held(0); }
std::string RunTimeDir2(bool) { return Held(1); }
std::string RunTimeDir3(bool) { return Held(2); }
