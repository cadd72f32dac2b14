// Decisions of the file routines and the temporary folders that need no system call: write
// pieces, free-space arithmetic, drive roots and the choice of a temporary drive. Pure code;
// Files.h and StubGlob.h put them to work.
#pragma once

#include <cstddef>
#include <cstdint>
#include <set>
#include <string>
#include <vector>

#include "text/UtilsText.h"

// Data up to this size are written in one piece.
constexpr std::size_t kWholeWriteLimit = 1048576;

// How a write meets a file that is already there: Create truncates it, Append extends it.
enum class WriteMode { Create, Append };

// The entry names written in one extraction run. The first piece of each name is written with
// Create, so that a file left by an earlier run is never extended; only the later pieces of the
// same name (a file split over volumes) append. Names compare without regard to case, as the
// file system does.
class ExtractedNames {
 public:
  // Create for the first piece of a name in this run, Append for every later one.
  WriteMode ModeFor(const std::string& name);
  bool Seen(const std::string& name) const;

 private:
  std::set<std::string> names_;
};

// Size of each piece of a write of total bytes: total when it is at most 1 MiB, else a tenth of
// total (integer division), at most 1 MiB. The last piece is whatever remains.
std::size_t WritePieceSize(std::size_t total);

// Free bytes from the classic drive query; computed in 64 bits (the 32-bit product overflows
// on drives above 4 GiB).
double ClassicFreeBytes(std::uint32_t sectors_per_cluster, std::uint32_t bytes_per_sector,
                        std::uint32_t free_clusters);

// "X:\" for a path that starts with a drive letter (upper-cased); "" for any other path.
std::string DriveRootOf(const std::string& path);
// What the extended free-space query is asked for: the path itself, or the root of its first
// letter when the path is shorter than 3 characters ("C:" -> "C:\").
std::string FreeSpaceQueryPath(const std::string& path);
// The device an eject request is sent to ("\\.\X:"); "" when the path has no drive letter.
std::string DriveDeviceOf(const std::string& path);

// Whether a drive is too small for a job: the space needed is not less than the free space.
bool SpaceIsShort(double needed, double free_bytes);

// The file-name part of path without its last "." and what follows; a name without "." is
// returned whole. A 0x5C that is the second byte of a character does not end a folder name.
std::string NameWithoutExt(const std::string& path, LeadByteTest is_lead);

// A fixed drive tested as a temporary base, with the free space noted there (0: not usable).
struct DriveSpace {
  char letter;
  double free_bytes;
};
// The drive with the largest noted free space, if above 0; ties keep the earlier drive. Without
// any noted space the current drive stays best. The current drive's own space is not compared:
// the caller asks only once the current drive has proved too small.
char BestTempDrive(char current, const std::vector<DriveSpace>& noted);
// "X:\TEMP", or "X:\TEMP\TEMP" when a TEMP folder already exists in the root (so that the work
// folders made beside it never touch the user's TEMP folder itself).
std::string TempBaseOn(char drive, bool root_temp_exists);
