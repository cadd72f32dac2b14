#include "model/file_lookup.h"

#include <dirent.h>

#include <cstdio>

namespace {

char fold(char c) { return c >= 'a' && c <= 'z' ? static_cast<char>(c - 'a' + 'A') : c; }

bool is_separator(char c) {
#ifdef _WIN32
  return c == '/' || c == '\\';
#else
  return c == '/';
#endif
}

bool opens(const std::string& name) {
  FILE* f = std::fopen(name.c_str(), "rb");
  if (!f) return false;
  std::fclose(f);
  return true;
}

class Directory {
 public:
  explicit Directory(const std::string& path) : dir_(opendir(path.c_str())) {}
  ~Directory() {
    if (dir_) closedir(dir_);
  }
  Directory(const Directory&) = delete;
  Directory& operator=(const Directory&) = delete;
  DIR* get() const { return dir_; }

 private:
  DIR* dir_;
};

}  // namespace

bool equal_ignoring_case(const std::string& a, const std::string& b) {
  if (a.size() != b.size()) return false;
  for (size_t i = 0; i < a.size(); ++i)
    if (fold(a[i]) != fold(b[i])) return false;
  return true;
}

std::string find_file_ignoring_case(const std::string& name) {
  if (name.empty()) return {};
  if (opens(name)) return name;

  size_t cut = name.size();
  while (cut > 0 && !is_separator(name[cut - 1])) --cut;
  const std::string folder = cut ? name.substr(0, cut) : std::string();
  const std::string base = name.substr(cut);
  if (base.empty()) return {};

  Directory dir(folder.empty() ? "." : folder);
  if (!dir.get()) return {};
  std::string best;
  while (dirent* entry = readdir(dir.get())) {
    const std::string candidate = entry->d_name;
    if (equal_ignoring_case(candidate, base) && (best.empty() || candidate < best))
      best = candidate;
  }
  if (best.empty()) return {};
  const std::string found = folder + best;
  return opens(found) ? found : std::string();
}
