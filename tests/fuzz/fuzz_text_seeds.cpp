// Writes the seeds of the text targets (agent_text, markup, language, command_line): one sound
// input per branch of each target, laid out as its FuzzedDataProvider reads them (texts from the
// front, each ended by "\ "; numbers and choices from the back, the first one read last).
// Usage: fuzz_text_seeds CORPUS_DIR
#include <cstdint>
#include <cstdio>
#include <random>
#include <string>
#include <vector>

#include "TokenScramble.h"
#include "seed_files.h"
#include "text/UtilsText.h"

namespace {

class Input {
 public:
  Input& text(const std::string& s) {
    for (char c : s) front_ += c == '\\' ? std::string("\\\\") : std::string(1, c);
    front_ += "\\ ";
    return *this;
  }
  Input& rest(const std::string& s) {
    front_ += s;
    return *this;
  }
  Input& byte(std::uint8_t b) {
    back_.push_back(b);
    return *this;
  }
  // A full-range integer as ConsumeIntegral reads it: its offset from the type's minimum,
  // most significant byte first.
  Input& i32(std::int32_t v) { return raw(std::uint32_t(v) ^ 0x80000000u, 4); }
  Input& u32(std::uint32_t v) { return raw(v, 4); }
  Input& i64(std::int64_t v) { return raw(std::uint64_t(v) ^ 0x8000000000000000ull, 8); }
  std::string bytes() const { return front_ + std::string(back_.rbegin(), back_.rend()); }

 private:
  Input& raw(std::uint64_t v, int n) {
    for (int i = n - 1; i >= 0; --i) back_.push_back(std::uint8_t(v >> (8 * i)));
    return *this;
  }
  std::string front_;
  std::vector<std::uint8_t> back_;
};

}  // namespace

int main(int argc, char** argv) {
  if (argc != 2) {
    std::fprintf(stderr, "usage: fuzz_text_seeds CORPUS_DIR\n");
    return 2;
  }
  const std::string root = argv[1];
  for (const char* dir : {"", "/seeds", "/work"}) make_dir(root + dir);
  const char* targets[] = {"agent_text", "markup", "language", "command_line"};
  for (const char* t : targets) {
    make_dir(root + "/seeds/" + t);
    make_dir(root + "/work/" + t);
  }
  std::mt19937 rng(19);
  const std::string token = pack::ScrambleToken("TOLVANE-UPDATE-7", rng);
  const std::string same_token = pack::ScrambleToken("TOLVANE-UPDATE-7", rng);
  const std::string news = "<<b>News</b><P>Version 2 is out: https://updates.example.invalid/v2";
  const std::string page = "<html><head><title>404 Not Found</title></head>"
                           "<body>Microsoft-IIS/6.0</body></html>";
  const std::string chinese = "|Chinese|s0=\xB0\xB2\xD7\xB0|Charset=134|FontSize=9|";
  const std::string english = "|English|s0=Setup|FontName=Arial|";
  struct Seed {
    std::string target, name, bytes;
  };
  const Seed seeds[] = {
      {"agent_text", "versions", Input().text("100,101,205").byte(0).i32(101).bytes()},
      {"agent_text", "overrides",
       Input().text("|1|255|0|300|x||").byte(1).byte(255).byte(255).byte(0).byte(1).byte(2)
           .byte(255).bytes()},
      {"agent_text", "target-name",
       Input().text("Agent.exe").text("Tolvane.exe").text("update.info").text("setup 2.exe")
           .byte(2).byte(1).byte(2).bytes()},
      {"agent_text", "target-gbk",
       Input().text("\xD6\\setup.exe").byte(2).byte(1).byte(0).bytes()},
      {"agent_text", "download",
       Input().text("bytes 4000-9999/10000").text("setup.exe").text("setup.exe.-1234567")
           .text("http://updates.example.invalid/setup.exe").text(page)
           .byte(3).i64(4000).i32(10000).byte(1).byte(0).byte(106).i64(4000).u32(0x3A5F1C40)
           .byte(1).bytes()},
      {"agent_text", "inform-scrambled",
       Input().text(token).rest(ScrambleText("1|" + same_token + "|3|4|" + news, true)).byte(4)
           .bytes()},
      {"agent_text", "inform-plain",
       Input().text(token).rest("1|" + same_token + "|3|4|" + news).byte(4).bytes()},
      {"agent_text", "inform-address",
       Input().text(token).rest("1|" + same_token + "|3|4|https://updates.example.invalid/news")
           .byte(4).bytes()},
      {"markup", "box",
       Input().byte(0).rest("<<b>Attention</b><P><P>Line one\\\\nLine two <b>bold</B> "
                            "<T>tab \\\\t<B>open</b></b>")
           .bytes()},
      {"markup", "gbk",
       Input().byte(0).rest("<B>\xB0\xB2\xD7\xB0</B>\xD6\\\\n\xB0<P>\xB0<b>x</b>").bytes()},
      {"markup", "buttons",
       Input().text("|&OK|&Cancel|&Yes|&No|&Abort|&Retry|&Ignore|").byte(1).u32(0x123)
           .byte(0).byte('y').byte(1).byte(1).bytes()},
      // The last byte: 0 the table as it stands, 1 repeated up to 1 MiB.
      {"language", "two-blocks", "\x02" + english + "\x02" + chinese + "\x02" + '\0'},
      {"language", "one-block", std::string("\x02|Deutsch|s1=Bitte warten|\x02") + '\0'},
      {"language", "many-blocks", "\x02" + english + '\1'},
      // The largest table of the format, every block empty: a walk that restarts never ends.
      {"language", "empty-blocks", "\x02\1"},
      {"command_line", "tail",
       Input().text("C:\\Apps\\Tolvane\\setup.exe").text("/STOP=")
           .rest("\"C:\\Apps\\Tolvane\\setup.exe\" /STOP=1 /hide /SpanCdLvl=2").byte(0).bytes()},
      {"command_line", "run-mode",
       Input().text("Agent.exe").text("/SpanCdLvl=2").rest("X_Agent.exe").byte(1).byte(1)
           .byte(1).byte(0).byte(1).bytes()},
      {"command_line", "macros",
       Input().text("\\").rest("|<InstallDir>\\bin|<Date=6>|<WinSysDir>\\..\\x|<UserName>|")
           .byte(2).byte(1).byte(0).bytes()},
  };
  bool ok = true;
  for (const Seed& seed : seeds)
    ok = write_seed(root + "/seeds/" + seed.target + "/" + seed.name, seed.bytes) && ok;
  if (!ok) std::fprintf(stderr, "fuzz_text_seeds: cannot write the corpus under %s\n", root.c_str());
  return ok ? 0 : 1;
}
