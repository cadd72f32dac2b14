// Writes the archive fuzz seeds with the builder's own writer: small archive-bearing executables
// with two and with three header blocks, a spanned set (every volume is a seed), a CD set's
// launcher and an agent copy. Usage: fuzz_archive_seeds CORPUS_DIR
#include <cstdio>
#include <exception>
#include <string>

#include "ArchiveWriter.h"
#include "format/ArchiveFormat.h"
#include "format/GFileInfo.h"
#include "seed_files.h"

using namespace archive;

namespace {

// The least a reader takes for an executable: "MZ" at 0, "PE" at 256, no archive end yet.
std::string small_stub() {
  std::string b(300, '\0');
  b[0] = 'M';
  b[1] = 'Z';
  b[256] = 'P';
  b[257] = 'E';
  return b;
}

pack::PackOptions basic() {
  pack::PackOptions o;
  o.stub_bytes = small_stub();
  o.seed = 7;
  o.languages = {"|0|Chinese|936|"};
  pack::PackEntry setup;
  setup.name = "Setup.exe";
  setup.is_setup = true;
  setup.setup_args = "/S";
  setup.data = "setup program bytes";
  setup.dos_date = 881348945;
  pack::PackEntry text;
  text.name = "Readme.txt";
  text.data = std::string(300, 'r');
  o.entries = {setup, text};
  o.update.url = "http://127.0.0.1/update";
  o.update.update_file = "tolvane.info";
  o.update.agent_exe = "TolvaneAU.exe";
  o.update.token = "update-token";
  return o;
}

std::string read_file(const std::string& path) {
  std::string bytes;
  if (std::FILE* f = std::fopen(path.c_str(), "rb")) {
    char buf[4096];
    for (size_t n; (n = std::fread(buf, 1, sizeof buf, f)) > 0;) bytes.append(buf, n);
    std::fclose(f);
  }
  return bytes;
}

// The copy the extraction writes of an archive: image and header blocks, no archive end, the
// trailer marked as the update agent's.
bool write_agent_copy(const std::string& source, const std::string& out) {
  const TGFileInfo info(source);
  std::string copy = read_file(source).substr(0, std::size_t(info.Trailer.DataOffset));
  if (copy.size() < kImageProbeSize) return false;
  PutU32(reinterpret_cast<std::uint8_t*>(&copy[kArchiveEndOffset]), 0);
  ArchiveTrailer t = info.Trailer;
  t.ThisIs_AutoUpdateProg = 1;
  t.TrailerSize = kTrailerSize;
  t.DataOffset = std::int32_t(small_stub().size());
  const TrailerBytes record = EncodeTrailer(t);
  copy.append(reinterpret_cast<const char*>(record.data()), record.size());
  return write_seed(out, copy);
}

}  // namespace

int main(int argc, char** argv) {
  if (argc != 2) {
    std::fprintf(stderr, "usage: fuzz_archive_seeds CORPUS_DIR\n");
    return 2;
  }
  const std::string root = argv[1];
  for (const char* dir : {"", "/seeds", "/seeds/archive", "/work", "/work/archive"})
    make_dir(root + dir);
  const std::string seeds = root + "/seeds/archive/";
  try {
    pack::PackOptions two = basic();
    two.flags = kFlagConfirmExtract | kFlagShowActivityBar;
    pack::WriteArchive(two, seeds + "two-blocks.exe");

    pack::PackOptions three = basic();
    three.internet_setup = three.confirm_download = true;
    three.download = pack::DownloadInfo{
        "http://127.0.0.1/setup.exe", "setup.exe", true, "download-token", std::nullopt, "123456"};
    three.trailer_size = 40;  // a short trailer leaves the later fields out
    pack::WriteArchive(three, seeds + "three-blocks.exe");

    pack::PackOptions spanned = basic();
    spanned.entries[1].data = std::string(1500, 'v');
    spanned.level = 0;  // stored blocks, so the entries need more than one volume
    spanned.volume_size = 1000;
    pack::WriteArchive(spanned, seeds + "spanned.exe");

    pack::PackOptions cd = basic();
    cd.flags = kFlagSpanCd;
    cd.separate_first_volume = true;
    pack::WriteArchive(cd, seeds + "cd-launcher.exe");

    pack::PackOptions agent = basic();
    agent.write_agent = true;
    pack::WriteArchive(agent, seeds + "agent-source.exe");
    if (!write_agent_copy(seeds + "agent-source.exe", seeds + "agent-copy.exe")) {
      std::fprintf(stderr, "fuzz_archive_seeds: cannot write the agent copy\n");
      return 1;
    }
  } catch (const std::exception& e) {
    std::fprintf(stderr, "fuzz_archive_seeds: %s\n", e.what());
    return 1;
  }
  return 0;
}
