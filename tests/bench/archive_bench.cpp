// Throughput of building and reading back a ~100 MB archive of mixed data: build MB/s, checksum
// MB/s, InflateEntry MB/s against zlib's uncompress of the same entries. Prints figures only.
// Usage: archive_bench [WORK_DIR] [MEGABYTES]
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <memory>
#include <random>
#include <string>
#include <vector>

#include <zlib.h>

#include "ArchiveWriter.h"
#include "bench_data.h"
#include "bench_figures.h"
#include "format/ArchiveFormat.h"
#include "format/GFileInfo.h"

using namespace archive;
namespace {

}  // namespace

int main(int argc, char** argv) {
  const std::string dir = argc > 1 ? argv[1] : ".";
  const std::size_t megabytes = argc > 2 ? std::strtoul(argv[2], nullptr, 10) : 100;
  std::uint64_t total = 0;
  const pack::PackOptions o = MixedArchiveOptions(megabytes, &total);
  const double mb = double(total) / 1048576.0;
  std::printf("archive of %zu files, %.1f MB of data\n", o.entries.size(), mb);

  const std::string out = dir + "/archive_bench_setup.exe";
  auto t0 = Clock::now();
  const pack::PackResult result = pack::WriteArchive(o, out);
  const double build_s = Seconds(t0);
  std::printf("build:    %8.1f MB/s  (%.2f s, %zu volumes, %u entries)\n", mb / build_s, build_s,
              result.volumes.size(), result.entries);

  // Read every volume back into memory once, so the figures measure the routines, not the disk.
  std::vector<std::string> blocks;
  std::uint64_t archive_bytes = 0;
  double checksum_s = 0;
  int header_blocks = 0, counter = 0;
  for (std::size_t v = 0; v < result.volumes.size(); ++v) {
    auto file = OpenArchiveSource(result.volumes[v]);
    if (!file) return 1;
    const ArchiveTrailer t = ReadTrailer(*file);
    if (v == 0) header_blocks = t.HeaderBlockCount();
    archive_bytes += file->Size();
    t0 = Clock::now();
    const ChecksumResult sum = ArchiveChecksum(*file, t.TrailerSize);
    checksum_s += Seconds(t0);
    if (!ChecksumAccepted(sum, t.ArchiveChecksum))
      std::printf("checksum MISMATCH in volume %zu\n", v + 1);
    std::uint64_t pos = std::uint32_t(t.DataOffset);
    std::string block;
    while (ReadBlock(*file, &pos, ArchiveEndOf(*file), t.TrailerSize, &block) == BlockStatus::Ok)
      if (++counter > header_blocks) blocks.push_back(block);
  }
  std::printf("checksum: %8.1f MB/s  (%.1f MB of volumes, from files)\n",
              double(archive_bytes) / 1048576.0 / checksum_s, double(archive_bytes) / 1048576.0);

  std::vector<std::size_t> sizes;
  std::uint64_t plain_bytes = 0;
  t0 = Clock::now();
  for (const std::string& b : blocks) {
    const std::string plain = InflateEntry(b, [] {});
    sizes.push_back(plain.size());
    plain_bytes += plain.size();
  }
  const double inflate_s = Seconds(t0);
  const double plain_mb = double(plain_bytes) / 1048576.0;

  // uncompress is told the size and writes into a fresh buffer per entry, as a caller would.
  t0 = Clock::now();
  for (std::size_t i = 0; i < blocks.size(); ++i) {
    std::unique_ptr<Bytef[]> buffer(new Bytef[sizes[i] + 1]);
    uLongf n = uLongf(sizes[i] + 1);
    if (uncompress(buffer.get(), &n, reinterpret_cast<const Bytef*>(blocks[i].data()),
                   uLong(blocks[i].size())) != Z_OK ||
        n != sizes[i]) {
      std::printf("uncompress disagrees on entry %zu\n", i);
      return 1;
    }
  }
  const double uncompress_s = Seconds(t0);
  std::printf("inflate:  %8.1f MB/s  InflateEntry (%.2f s)\n", plain_mb / inflate_s, inflate_s);
  std::printf("          %8.1f MB/s  zlib uncompress (%.2f s)\n", plain_mb / uncompress_s,
              uncompress_s);
  std::printf("          ratio InflateEntry / uncompress time: %.2f\n", inflate_s / uncompress_s);
  for (const std::string& v : result.volumes) std::remove(v.c_str());
  return 0;
}
