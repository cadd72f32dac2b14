// Windows (under wine): a whole extraction of a ~100 MB archive by the stub's UnpackArchive
// (checksum of each volume, piecewise block reads, inflate, piecewise writes) against plain zlib
// inflate + write of the same entries in the same process. Prints figures only.
// Usage: extract_bench [WORK_DIR] [MEGABYTES]
#include <windows.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <memory>
#include <random>
#include <string>
#include <vector>

#include <zlib.h>

#include "ArchiveWriter.h"
#include "app/StubState.h"
#include "app/UnpackArchive.h"
#include "bench_data.h"
#include "format/ArchiveFormat.h"
#include "format/GFileInfo.h"
#include "win/Files.h"
#include "win/Utils.h"

using Clock = std::chrono::steady_clock;

namespace {

double Seconds(Clock::time_point since) {
  return std::chrono::duration<double>(Clock::now() - since).count();
}

// Inflates one entry block in 1 MiB chunks straight into its file; the bytes written.
std::uint64_t PlainInflateAndWrite(const std::string& block, const std::string& folder) {
  z_stream z{};
  if (inflateInit(&z) != Z_OK) return 0;
  z.next_in = reinterpret_cast<Bytef*>(const_cast<char*>(block.data()));
  z.avail_in = uInt(block.size());
  std::vector<char> chunk(1 << 20);
  HANDLE file = INVALID_HANDLE_VALUE;
  bool header_done = false;
  std::uint64_t written = 0;
  int status = Z_OK;
  while (status == Z_OK) {
    z.next_out = reinterpret_cast<Bytef*>(chunk.data());
    z.avail_out = uInt(chunk.size());
    status = inflate(&z, Z_NO_FLUSH);
    const std::size_t n = chunk.size() - z.avail_out;
    std::size_t start = 0;
    if (!header_done) {  // "|name|date|" 0 data: the header fits the first chunk
      const std::string head(chunk.data(), n);
      const std::size_t zero = head.find('\0');
      if (zero == std::string::npos) break;
      const std::string name = head.substr(1, head.find('|', 1) - 1);
      file = CreateFileA((folder + name).c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS,
                         FILE_ATTRIBUTE_NORMAL, nullptr);
      start = zero + 1;
      header_done = true;
    }
    DWORD done = 0;
    if (file != INVALID_HANDLE_VALUE && n > start &&
        WriteFile(file, chunk.data() + start, DWORD(n - start), &done, nullptr))
      written += done;
  }
  inflateEnd(&z);
  if (file != INVALID_HANDLE_VALUE) CloseHandle(file);
  return written;
}

std::uint64_t FolderBytes(const std::string& folder) {
  std::uint64_t total = 0;
  WIN32_FIND_DATAA d;
  HANDLE find = FindFirstFileA((folder + "*").c_str(), &d);
  if (find == INVALID_HANDLE_VALUE) return 0;
  do {
    if (!(d.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY))
      total += (std::uint64_t(d.nFileSizeHigh) << 32) | d.nFileSizeLow;
  } while (FindNextFileA(find, &d));
  FindClose(find);
  return total;
}

}  // namespace

int main(int argc, char** argv) {
  const std::string dir = FixTrailingBackslash(argc > 1 ? argv[1] : ".", true);
  const std::size_t megabytes = argc > 2 ? std::strtoul(argv[2], nullptr, 10) : 100;
  std::uint64_t total = 0;
  const pack::PackOptions o = MixedArchiveOptions(megabytes, &total);
  const double mb = double(total) / 1048576.0;
  const std::string out = dir + "extract_bench_setup.exe";
  const pack::PackResult result = pack::WriteArchive(o, out);
  std::printf("archive of %zu files, %.1f MB of data, %zu volumes\n", o.entries.size(), mb,
              result.volumes.size());

  // The checksum pass alone, over every volume.
  double checksum_s = 0;
  std::uint64_t archive_bytes = 0;
  bool sums_pass = true;
  for (const std::string& v : result.volumes) {
    auto file = archive::OpenArchiveSource(v);
    if (!file) return 1;
    const archive::ArchiveTrailer t = archive::ReadTrailer(*file);
    archive_bytes += file->Size();
    const auto t0 = Clock::now();
    sums_pass = archive::ChecksumAccepted(archive::ArchiveChecksum(*file, t.TrailerSize),
                                          t.ArchiveChecksum) && sums_pass;
    checksum_s += Seconds(t0);
  }
  std::printf("checksum pass: %8.1f MB/s  (%.1f MB of volumes, %s)\n",
              double(archive_bytes) / 1048576.0 / checksum_s, double(archive_bytes) / 1048576.0,
              sums_pass ? "all pass" : "MISMATCH");

  // The stub's extraction, as the setup job runs it (no window: its messages are served
  // anyway), and plain zlib inflate + write of the same entries (every block read whole, no
  // checks); each twice, alternating, the best time of each counted.
  OwnInfo = std::make_unique<TGFileInfo>(out);
  const std::string stub_dir = dir + "extract_bench_stub\\";
  const std::string plain_dir = dir + "extract_bench_plain\\";
  // UnpackArchive ends with its half-second settle wait, a fixed pause of the job: measured
  // here and taken off.
  auto t0 = Clock::now();
  WaitPumping(500, 0);
  const double settle_s = Seconds(t0);
  double stub_s = 1e9, plain_s = 1e9;
  std::uint64_t plain_bytes = 0;
  for (int round = 0; round < 2; ++round) {
    DeleteTree(plain_dir, true);
    CreateDirectoryA(plain_dir.c_str(), nullptr);
    t0 = Clock::now();
    int counter = 0, header_blocks = 0;
    plain_bytes = 0;
    for (std::size_t v = 0; v < result.volumes.size(); ++v) {
      auto file = archive::OpenArchiveSource(result.volumes[v]);
      const archive::ArchiveTrailer t = archive::ReadTrailer(*file);
      if (v == 0) header_blocks = t.HeaderBlockCount();
      const std::uint64_t end = archive::ArchiveEndOf(*file);
      std::uint64_t pos = std::uint64_t(t.DataOffset);
      std::string block;
      while (archive::ReadBlock(*file, &pos, end, t.TrailerSize, &block) ==
             archive::BlockStatus::Ok)
        if (++counter > header_blocks) plain_bytes += PlainInflateAndWrite(block, plain_dir);
    }
    plain_s = std::min(plain_s, Seconds(t0));

    DeleteTree(stub_dir, true);
    UnpackRequest request;
    request.archive_path = out;
    request.target_folder = stub_dir;
    t0 = Clock::now();
    const UnpackResult r = UnpackArchive(request);
    stub_s = std::min(stub_s, Seconds(t0) - settle_s);
    if (r.end != UnpackEnd::Extracted || FolderBytes(stub_dir) != total) {
      std::printf("stub extraction failed: %s\n", r.error.c_str());
      return 1;
    }
  }
  // The plain run writes the second part of an entry split over volumes over its first (it
  // only measures): its byte count, not its files, matches the total.
  const double plain_mb = double(plain_bytes) / 1048576.0;
  std::printf("stub extraction: %8.1f MB/s  (%.2f s, checksums included)\n", mb / stub_s, stub_s);
  std::printf("plain inflate + write: %8.1f MB/s  (%.2f s, %.1f MB written)\n",
              plain_mb / plain_s, plain_s, plain_mb);
  std::printf("speed ratio stub / plain: %.2f (aim >= 0.7)\n", (mb / stub_s) / (plain_mb / plain_s));
  DeleteTree(stub_dir, true);
  DeleteTree(plain_dir, true);
  for (const std::string& v : result.volumes) DeleteFileA(v.c_str());
  OwnInfo.reset();
  return 0;
}
