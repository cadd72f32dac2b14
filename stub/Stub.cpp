// WexlinStub's program entry. For now it reads its own executable as an archive and reports
// through its exit code whether that archive is sound; the run modes build on this.
#include <windows.h>

#include <string>

#include "GFileInfo.h"
#include "Utils.h"

namespace {

// Exit codes of the archive check.
constexpr int kArchiveSound = 0;
constexpr int kNoArchive = 2;
constexpr int kChecksumFailed = 3;

std::string OwnPath() {
  std::string path(MAX_PATH, '\0');
  for (;;) {
    const DWORD n = GetModuleFileNameA(nullptr, &path[0], DWORD(path.size()));
    if (n < path.size()) {
      path.resize(n);
      return path;
    }
    path.resize(path.size() * 2);
  }
}

}  // namespace

int WINAPI WinMain(HINSTANCE, HINSTANCE, LPSTR, int) {
  // Before anything can load a DLL: an installer started from a downloads folder must not pick
  // up a DLL planted beside it.
  RestrictDllSearch();
  const std::string own = OwnPath();
  const TGFileInfo OwnInfo(own);
  if (!OwnInfo.Trailer.HasMagic()) return kNoArchive;
  const archive::ChecksumResult sum = ArchiveChecksum(own, OwnInfo.Trailer.TrailerSize);
  return archive::ChecksumAccepted(sum, OwnInfo.Trailer.ArchiveChecksum) ? kArchiveSound
                                                                         : kChecksumFailed;
}
