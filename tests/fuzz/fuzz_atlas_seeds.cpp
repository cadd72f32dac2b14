// Writes the atlas fuzz seeds: dm.tz, ptab.tz and help.tz joined by the fuzz target's 0x01
// separator, from a sound folder of two records to tables that end early or overflow their
// fields. Usage: fuzz_atlas_seeds CORPUS_DIR
#include <cstdio>
#include <string>

#include "seed_files.h"

namespace {

// The fifteen tokens of one record: position, search view, number, pinyin, name (GBK), meridian,
// meridian name, explanation, effects.
std::string record(int number, const std::string& pinyin, const std::string& text) {
  return "0.5 -1.25 3e-2 0 10 1.5 -30 45 " + std::to_string(number) + " " + pinyin +
         " \xD6\xD0\xB8\xAE 1 \xB7\xCE\xBE\xAD " + text + " " + text + "\n";
}

std::string folder(const std::string& dm, const std::string& ptab, const std::string& help) {
  return dm + '\x01' + ptab + '\x01' + help;
}

}  // namespace

int main(int argc, char** argv) {
  if (argc != 2) {
    std::fprintf(stderr, "usage: fuzz_atlas_seeds CORPUS_DIR\n");
    return 2;
  }
  const std::string root = argv[1];
  for (const char* dir : {"", "/seeds", "/seeds/atlas", "/work", "/work/atlas"})
    make_dir(root + dir);
  const std::string seeds = root + "/seeds/atlas/";
  const std::string two = record(1, "zhongfu", "\xD0\xD8\xC3\xC6") + record(2, "yunmen", "x");
  const std::string help = "3 \xB0\xB4\xBC\xFC F1 Esc\n";
  const bool ok =
      write_seed(seeds + "sound.atlas", folder("2\n", two, help)) &&
      write_seed(seeds + "ends-early.atlas", folder("3", two + "0.5 1", "5 one")) &&
      write_seed(seeds + "long-fields.atlas",
                 folder("1", record(7, std::string(120, 'p'), std::string(600, '\xB0')),
                        "1 " + std::string(700, 'h'))) &&
      write_seed(seeds + "above-capacity.atlas", folder("501", two, "-1")) &&
      write_seed(seeds + "not-a-number.atlas", folder("2", record(1, "a", "b") + "x y", "two"));
  if (!ok)
    std::fprintf(stderr, "fuzz_atlas_seeds: cannot write the corpus under %s\n", root.c_str());
  return ok ? 0 : 1;
}
