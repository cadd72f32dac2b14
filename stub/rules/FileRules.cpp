#include "rules/FileRules.h"

#include <algorithm>

namespace {

bool IsDriveLetter(char c) { return (c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z'); }

char UpperLetter(char c) { return (c >= 'a' && c <= 'z') ? char(c - 'a' + 'A') : c; }

}  // namespace

WriteMode ExtractedNames::ModeFor(const std::string& name) {
  return names_.insert(UpperText(name)).second ? WriteMode::Create : WriteMode::Append;
}

bool ExtractedNames::Seen(const std::string& name) const {
  return names_.count(UpperText(name)) != 0;
}

std::size_t WritePieceSize(std::size_t total) {
  if (total <= kWholeWriteLimit) return total;
  return std::min(total / 10, kWholeWriteLimit);
}

double ClassicFreeBytes(std::uint32_t sectors_per_cluster, std::uint32_t bytes_per_sector,
                        std::uint32_t free_clusters) {
  return double(std::uint64_t(sectors_per_cluster) * bytes_per_sector * free_clusters);
}

std::string DriveRootOf(const std::string& path) {
  if (path.empty() || !IsDriveLetter(path[0])) return std::string();
  return std::string(1, UpperLetter(path[0])) + ":\\";
}

std::string FreeSpaceQueryPath(const std::string& path) {
  return path.size() < 3 ? DriveRootOf(path) : path;
}

std::string DriveDeviceOf(const std::string& path) {
  const std::string root = DriveRootOf(path);
  return root.empty() ? root : "\\\\.\\" + root.substr(0, 2);
}

bool SpaceIsShort(double needed, double free_bytes) { return needed >= free_bytes; }

std::string NameWithoutExt(const std::string& path, LeadByteTest is_lead) {
  return ChangeFileExt(ExtractFileName(path, is_lead), "", is_lead);
}

char BestTempDrive(char current, const std::vector<DriveSpace>& noted) {
  char best = current;
  double best_free = 0;
  for (const DriveSpace& d : noted) {
    if (d.free_bytes > best_free) {
      best = UpperLetter(d.letter);
      best_free = d.free_bytes;
    }
  }
  return best;
}

std::string TempBaseOn(char drive, bool root_temp_exists) {
  const std::string base = std::string(1, UpperLetter(drive)) + ":\\TEMP";
  return root_temp_exists ? base + "\\TEMP" : base;
}
