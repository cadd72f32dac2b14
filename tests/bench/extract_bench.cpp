// Windows (under wine): a whole extraction of a ~100 MB archive by the stub's UnpackArchive
// (checksum of each volume, piecewise block reads, inflate, piecewise writes) against plain zlib
// inflate + write of the same entries in the same process, in alternating rounds on a shared,
// noisy machine: the medians count. Prints figures only.
// Usage: extract_bench [WORK_DIR] [MEGABYTES] [ROUNDS] [stub|plain]
// (one side alone, to profile it)
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
#include "bench_figures.h"
#include "format/ArchiveFormat.h"
#include "format/GFileInfo.h"
#include "win/Files.h"
#include "win/Utils.h"

namespace {

// User + kernel time of this process, in seconds: less sensitive than the wall clock to the
// other loads on a shared machine.
double CpuSeconds() {
  FILETIME created, exited, kernel, user;
  GetProcessTimes(GetCurrentProcess(), &created, &exited, &kernel, &user);
  const auto value = [](const FILETIME& f) {
    return double((std::uint64_t(f.dwHighDateTime) << 32) | f.dwLowDateTime) / 1e7;
  };
  return value(kernel) + value(user);
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
  const int rounds = std::max(1, argc > 3 ? std::atoi(argv[3]) : 7);
  const std::string only = argc > 4 ? argv[4] : "";
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
  // checks), in rounds that alternate which goes first.
  OwnInfo = std::make_unique<TGFileInfo>(out);
  const std::string stub_dir = dir + "extract_bench_stub\\";
  const std::string plain_dir = dir + "extract_bench_plain\\";
  // UnpackArchive ends with its half-second settle wait, a fixed pause of the job: measured
  // here and taken off.
  auto t0 = Clock::now();
  WaitPumping(500, 0);
  const double settle_s = Seconds(t0);
  std::vector<double> stub_speeds, plain_speeds, ratios, stub_cpu, plain_cpu;
  double plain_mb = 0;
  for (int round = 0; round < rounds; ++round) {
    double stub_speed = 0, plain_speed = 0;
    for (int turn = 0; turn < 2; ++turn) {
      const bool plain_turn = (turn == 0) == (round % 2 == 0);
      if (!only.empty() && only != (plain_turn ? "plain" : "stub")) continue;
      if (plain_turn) {
        DeleteTree(plain_dir, true);
        CreateDirectoryA(plain_dir.c_str(), nullptr);
        t0 = Clock::now();
        const double cpu0 = CpuSeconds();
        int counter = 0, header_blocks = 0;
        std::uint64_t plain_bytes = 0;
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
        // The plain run writes the second part of an entry split over volumes over its first
        // (it only measures): its byte count, not its files, matches the total.
        plain_mb = double(plain_bytes) / 1048576.0;
        plain_speed = plain_mb / Seconds(t0);
        plain_cpu.push_back(CpuSeconds() - cpu0);
      } else {
        DeleteTree(stub_dir, true);
        UnpackRequest request;
        request.archive_path = out;
        request.target_folder = stub_dir;
        t0 = Clock::now();
        const double cpu0 = CpuSeconds();
        const UnpackResult r = UnpackArchive(request);
        stub_speed = mb / (Seconds(t0) - settle_s);
        stub_cpu.push_back(CpuSeconds() - cpu0);
        if (r.end != UnpackEnd::Extracted || FolderBytes(stub_dir) != total) {
          std::printf("stub extraction failed: %s\n", r.error.c_str());
          return 1;
        }
      }
    }
    if (!only.empty()) continue;
    stub_speeds.push_back(stub_speed);
    plain_speeds.push_back(plain_speed);
    ratios.push_back(stub_speed / plain_speed);
    std::printf("round %d: stub %7.1f MB/s, plain %7.1f MB/s, ratio %.2f\n", round + 1, stub_speed,
                plain_speed, stub_speed / plain_speed);
  }
  if (!only.empty()) {
    std::vector<double>& cpu = only == "stub" ? stub_cpu : plain_cpu;
    std::printf("%s alone: %.3f s of processor time median of %d\n", only.c_str(),
                cpu.empty() ? 0.0 : Median(cpu), rounds);
    return 0;
  }
  std::printf("stub extraction: %8.1f MB/s median of %d (checksums included), %.3f s of processor\n",
              Median(stub_speeds), rounds, Median(stub_cpu));
  std::printf("plain inflate + write: %8.1f MB/s median of %d (%.1f MB written), %.3f s of processor\n",
              Median(plain_speeds), rounds, plain_mb, Median(plain_cpu));
  std::printf("speed ratio stub / plain: %.2f median of the rounds' ratios (aim >= 0.9)\n",
              Median(ratios));
  DeleteTree(stub_dir, true);
  DeleteTree(plain_dir, true);
  for (const std::string& v : result.volumes) DeleteFileA(v.c_str());
  OwnInfo.reset();
  return 0;
}
