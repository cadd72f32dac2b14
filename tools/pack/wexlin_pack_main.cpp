// wexlin-pack: builds WexlinStub installers and lists them.
#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <functional>
#include <iterator>
#include <random>
#include <map>
#include <iostream>
#include <string>
#include <vector>

#include "ArchiveLister.h"
#include "ArchiveWriter.h"
#include "InformWriter.h"
#include "KeyCommands.h"
#include "InformRtf.h"
#include "NameCharset.h"
#include "Publish.h"
#include "SettingsWriter.h"
#include "format/ArchiveFormat.h"

namespace {

const char kHelp[] =
    "usage: wexlin-pack build -o OUT --stub STUB [OPTION...] FILE...\n"
    "       wexlin-pack list [--name-charset SET] FILE\n"
    "       wexlin-pack inform -o OUT --update-token TOKEN [--charset SET] [--seed N] TEXT_FILE\n"
    "       wexlin-pack original -o NAME.original --program-name NAME --version N\n"
    "                            --target-dir DIR [OPTION...]\n"
    "       wexlin-pack publish --setup FILE --version N -o DIR [--key NAME.key]\n"
    "                           [--previous OLD.info] [OPTION...]\n"
    "       wexlin-pack keygen --out PATH/NAME\n"
    "       wexlin-pack sign --key NAME.key FILE...\n"
    "       wexlin-pack verify --key NAME.pub FILE...\n"
    "\n"
    "build writes OUT: the stub image followed by the archive (header blocks, one compressed\n"
    "entry per FILE, each stored under its own file name, and the trailer). With --volume-size\n"
    "the archive continues in OUT.002, OUT.003, ...\n"
    "list prints the trailer, the header items and the entries of FILE and its volumes; it exits\n"
    "with status 1 when anything is damaged or an entry name could leave the extraction folder\n"
    "(each such name is printed as UNSAFE). With --name-charset GBK names are read as GBK, where\n"
    "a byte 0x5C after a lead byte is part of a character; otherwise every 0x5C is a separator.\n"
    "inform writes OUT, the inform file of an agent in inform mode: the product's token and the\n"
    "text of TEXT_FILE, scrambled. The text is in the message boxes' markup (<B>bold</B>, <P> a\n"
    "line break, <T> a tab, \\\\n and \\\\t) and is written as RTF, which the inform window shows\n"
    "formatted; a text that starts with {\\rtf is kept as it is. --charset GBK converts a UTF-8\n"
    "text to GBK (RTF with \\ansicpg936); without it the bytes are read as code page 1252.\n"
    "original writes the agent's installed settings: program, version, folder, check intervals,\n"
    "and a text for every question, status line and result of the agent.\n"
    "  --language NAME|FILE     Chinese (GBK) or English (default), or the language block FILE\n"
    "                           given to build, whose name chooses\n"
    "  --probe-interval SECONDS between checks (default 86400; 0: once per start of the agent)\n"
    "  --reask-interval SECONDS before the same stamp is offered again (default 604800)\n"
    "  --shared-dir DIR, --auxiliary-dir DIR   further folders for the folder macros\n"
    "  --text KEY=TEXT          replaces one text (s2..s45, BtnText, Error, Confirm, Attention,\n"
    "                           FontName, FontSize, CharSet), given in UTF-8\n"
    "publish copies the setup FILE into DIR and writes DIR/NAME.info (NAME of the setup's\n"
    "--update-file): its exact size, the next stamp (one above OLD.info's, or above DIR/NAME.info\n"
    "when that exists) and the options below. It refuses a setup whose update address, update\n"
    "file, agent, token or update key differ from OLD.info's. With --key it signs the setup and\n"
    "the info file (FILE.sig), after checking that the setup trusts that key. It prints the\n"
    "files to upload, in their order: the setup before the info file.\n"
    "  --program-name NAME      ProgramName (default NAME)\n"
    "  --running-process PATH   the program to stop and restart, e.g. \"<InstallDir>Tolvane.exe\"\n"
    "  --shut-down METHOD       close, quit, terminate, ask or none (default: close with\n"
    "                           --running-process, else none)\n"
    "  --restart                start the program again after the update\n"
    "  --ask-download, --ask-install   ask before the download, before running the setup\n"
    "  --background             run the setup hidden\n"
    "  --inform-finish          tell the user when the update has run\n"
    "  --valid-versions LIST    installed versions that may take it, e.g. 3,4 (default: all)\n"
    "  --stamp N                this stamp instead of the next one\n"
    "  --inform TEXT_FILE       inform instead of update: writes DIR/NAMENews.txt (or\n"
    "                           --inform-file NAME) from TEXT_FILE as inform does, with the\n"
    "                           token of the setup FILE, which is read but not published;\n"
    "                           --inform-url URL is the page its button opens, --charset SET\n"
    "                           as for inform\n"
    "keygen writes a new signing key pair: NAME.key, the secret key (mode 0600; keep it off the\n"
    "update server), and NAME.pub, the public key for --update-key; it never overwrites a key.\n"
    "sign writes FILE.sig beside each FILE: its signature with the secret key NAME.key. Publish\n"
    "each .sig with its file (setup, inform file and info file).\n"
    "verify checks FILE.sig of each FILE as the agent will; status 1 when any is refused.\n"
    "\n"
    "Files:\n"
    "  -o, --output OUT         the installer to write (volume 1)\n"
    "  --stub STUB              the stub executable (its PE header at offset 256)\n"
    "  --setup FILE             the setup program: stored first and marked with \"*\"\n"
    "  --setup-args TEXT        extra command-line text for the setup program\n"
    "  --as NAME                store the next FILE, or the --setup FILE that follows, under\n"
    "                           NAME (--as Setup.exe --setup X); an --as that no FILE takes\n"
    "                           before the next --as or the end is an error\n"
    "  --date Y-M-DTh:m:s       date of every entry (default: each file's modification time)\n"
    "  --name-charset SET       convert entry names from UTF-8 to SET (e.g. GBK), the code page\n"
    "                           of the machines that extract (default: names as given)\n"
    "\n"
    "Header blocks:\n"
    "  --language FILE          add a language block read from FILE, e.g.\n"
    "                           |English|s1=Extracting...|FontName=Tahoma| (repeatable)\n"
    "  --update-url URL         update info: address of the update information file\n"
    "                           (default \"http://\": no update server)\n"
    "  --update-file NAME       update info: update file name (default \".info\")\n"
    "  --agent-exe NAME         update info: file name of the agent executable (default \".exe\")\n"
    "  --update-token TOKEN     update info: product token, stored scrambled\n"
    "  --run-hidden             update info: the setup runs hidden\n"
    "  --update-key KEY         update info: the public key (a NAME.pub file or its text) that\n"
    "                           every update and internet setup must be signed with\n"
    "  --download-url URL       add the download block: folder of the setup on the web server\n"
    "  --download-file NAME     download block: file name of the setup executable\n"
    "  --download-always        download block: always download\n"
    "  --download-token TOKEN   download block: token, stored scrambled\n"
    "  --download-size BYTES    download block: size of the setup executable\n"
    "  --header-blocks N        header-block count stored in the trailer (default 2, or 3 with\n"
    "                           a download block; 0 is read as 2)\n"
    "\n"
    "Trailer flags:\n"
    "  --confirm-extract        ask before extracting to the temporary drive\n"
    "  --span-cd                the volumes are on removable media\n"
    "  --activity-bar           show the activity bar\n"
    "  --internet-setup         the stub downloads its setup (see the download block)\n"
    "  --confirm-download       ask before that download\n"
    "  --write-agent            also write an auto-update agent copy when extracting\n"
    "  --agent                  this executable is an auto-update agent\n"
    "\n"
    "Layout:\n"
    "  --volume-size SIZE       cut volumes at SIZE bytes (suffix K, M or G)\n"
    "  --separate-volume1       for CD sets (with --span-cd): OUT holds only the stub and the\n"
    "                           header blocks; the archive starts in OUT.001\n"
    "  --level N                deflate level 0..9 (default 9)\n"
    "  --no-archive-end         write 0 at offset 252: the archive ends at the end of the file\n"
    "  --trailer-size N         write an older, shorter trailer of N bytes (4..74)\n"
    "  --seed N                 seed of the token scrambler, for reproducible output\n";

// The lead bytes of the code page that a --name-charset value names; sets not known to be
// double-byte are checked as single-byte ones (every 0x5C byte then counts as a separator).
LeadByteTest LeadBytesOfCharset(const std::string& charset) {
  for (const char* gbk : {"GBK", "CP936", "GB2312", "WINDOWS-936"})
    if (SameTextIC(charset, gbk)) return GbkLeadByte;
  return NoLeadBytes;
}

[[noreturn]] void Fail(const std::string& message) {
  std::cerr << "wexlin-pack: " << message << "\n";
  std::exit(2);
}

std::string BaseName(const std::string& path) {
  const std::size_t slash = path.find_last_of('/');
  return slash == std::string::npos ? path : path.substr(slash + 1);
}

std::uint64_t ParseSize(const std::string& text, const std::string& option) {
  char* end = nullptr;
  const unsigned long long v = std::strtoull(text.c_str(), &end, 10);
  std::uint64_t scale = 1;
  const std::string suffix = end ? end : "";
  if (suffix == "K" || suffix == "k")
    scale = 1024;
  else if (suffix == "M" || suffix == "m")
    scale = 1024 * 1024;
  else if (suffix == "G" || suffix == "g")
    scale = 1024ull * 1024 * 1024;
  else if (!suffix.empty())
    Fail("bad number for " + option + ": " + text);
  if (text.empty() || text[0] == '-' || end == text.c_str())
    Fail("bad number for " + option + ": " + text);
  return v * scale;
}

std::uint32_t ParseDate(const std::string& text) {
  archive::DosDateTime d;
  if (std::sscanf(text.c_str(), "%d-%d-%dT%d:%d:%d", &d.year, &d.month, &d.day, &d.hour, &d.minute,
                  &d.second) != 6 ||
      d.year < 1980 || d.year > 2107 || d.month < 1 || d.month > 12 || d.day < 1 || d.day > 31 ||
      d.hour > 23 || d.minute > 59 || d.second > 59)
    Fail("bad date (want YYYY-MM-DDTHH:MM:SS from 1980 on): " + text);
  return archive::EncodeDosDateTime(d);
}

std::string ReadText(const std::string& path) {
  std::FILE* f = std::fopen(path.c_str(), "rb");
  if (!f) Fail("cannot open " + path);
  std::string text;
  char buf[4096];
  std::size_t n;
  while ((n = std::fread(buf, 1, sizeof buf, f)) > 0) text.append(buf, n);
  std::fclose(f);
  while (!text.empty() && (text.back() == '\n' || text.back() == '\r')) text.pop_back();
  return text;
}

int Build(const std::vector<std::string>& args) {
  pack::PackOptions o;
  std::string out;
  std::string pending_name;
  std::string setup_path, setup_name, setup_args;
  std::optional<std::uint32_t> date;
  std::string name_charset;
  std::vector<pack::PackEntry> files;
  pack::DownloadInfo download;
  bool has_download = false;
  std::string update_key;
  using Valued = std::function<void(const std::string& option, const std::string& value)>;
  auto text = [](std::string& field) {
    return [&field](auto&, const std::string& v) { field = v; };
  };
  auto download_text = [&](std::string& field) {
    return [&field, &has_download](auto&, const std::string& v) {
      field = v;
      has_download = true;
    };
  };
  const std::map<std::string, Valued> valued = {
      {"-o", text(out)},
      {"--output", text(out)},
      {"--stub", text(o.stub_path)},
      {"--setup",
       [&](auto&, const std::string& v) {
         setup_path = v;
         setup_name = pending_name;
         pending_name.clear();
       }},
      {"--setup-args", text(setup_args)},
      {"--as",
       [&](auto&, const std::string& v) {
         // A name that no FILE took would otherwise be dropped in silence by the next one.
         if (!pending_name.empty())
           Fail("--as " + pending_name + " names no file: --as " + v +
                " follows before any FILE (--as names the next FILE or --setup FILE)");
         pending_name = v;
       }},
      {"--date", [&](auto&, const std::string& v) { date = ParseDate(v); }},
      {"--name-charset", text(name_charset)},
      {"--language", [&](auto&, const std::string& v) { o.languages.push_back(ReadText(v)); }},
      {"--update-url", text(o.update.url)},
      {"--update-file", text(o.update.update_file)},
      {"--agent-exe", text(o.update.agent_exe)},
      {"--update-token", text(o.update.token)},
      {"--update-key", text(update_key)},
      {"--download-url", download_text(download.url)},
      {"--download-file", download_text(download.file_name)},
      {"--download-token", download_text(download.token)},
      {"--download-size", download_text(download.size)},
      {"--header-blocks",
       [&](auto& opt, const std::string& v) { o.header_blocks_field = int(ParseSize(v, opt)); }},
      {"--volume-size",
       [&](auto& opt, const std::string& v) { o.volume_size = ParseSize(v, opt); }},
      {"--level", [&](auto& opt, const std::string& v) { o.level = int(ParseSize(v, opt)); }},
      {"--trailer-size",
       [&](auto& opt, const std::string& v) { o.trailer_size = std::uint32_t(ParseSize(v, opt)); }},
      {"--seed",
       [&](auto& opt, const std::string& v) { o.seed = std::uint32_t(ParseSize(v, opt)); }},
  };
  const std::map<std::string, std::function<void()>> switches = {
      {"--run-hidden", [&] { o.update.run_hidden = true; }},
      {"--download-always",
       [&] {
         download.always = true;
         has_download = true;
       }},
      {"--confirm-extract", [&] { o.flags |= archive::kFlagConfirmExtract; }},
      {"--span-cd", [&] { o.flags |= archive::kFlagSpanCd; }},
      {"--activity-bar", [&] { o.flags |= archive::kFlagShowActivityBar; }},
      {"--internet-setup", [&] { o.internet_setup = true; }},
      {"--confirm-download", [&] { o.confirm_download = true; }},
      {"--write-agent", [&] { o.write_agent = true; }},
      {"--agent", [&] { o.auto_update_prog = true; }},
      {"--separate-volume1", [&] { o.separate_first_volume = true; }},
      {"--no-archive-end", [&] { o.write_archive_end = false; }},
  };
  for (std::size_t i = 0; i < args.size(); ++i) {
    const std::string& a = args[i];
    if (const auto v = valued.find(a); v != valued.end()) {
      if (i + 1 >= args.size()) Fail(a + " needs a value");
      v->second(a, args[++i]);
    } else if (const auto sw = switches.find(a); sw != switches.end()) {
      sw->second();
    } else if (a.size() > 1 && a[0] == '-') {
      Fail("unknown option " + a + " (see --help)");
    } else {
      pack::PackEntry e;
      e.path = a;
      e.name = pending_name.empty() ? BaseName(a) : pending_name;
      pending_name.clear();
      files.push_back(e);
    }
  }
  if (out.empty()) Fail("build needs -o OUT");
  if (o.stub_path.empty()) Fail("build needs --stub STUB");
  if (!pending_name.empty())
    Fail("--as " + pending_name + " names no file (--as names the next FILE or --setup FILE)");
  if (!setup_args.empty() && setup_path.empty()) Fail("--setup-args needs --setup");
  if (!setup_path.empty()) {
    pack::PackEntry e;
    e.path = setup_path;
    e.name = setup_name.empty() ? BaseName(setup_path) : setup_name;
    e.is_setup = true;
    e.setup_args = setup_args;
    o.entries.push_back(e);
  }
  o.entries.insert(o.entries.end(), files.begin(), files.end());
  if (has_download) o.download = download;
  try {
    if (!update_key.empty()) o.update.update_key = pack::UpdateKeyText(update_key);
    if (update_key.empty() && o.update.url != pack::UpdateInfo{}.url)
      std::cerr << "wexlin-pack: warning: --update-url without --update-key: updates are "
                   "unsigned, and whoever answers the agent's requests can run a program\n";
    if (update_key.empty() && has_download && !download.url.empty())
      std::cerr << "wexlin-pack: warning: --download-url without --update-key: the downloaded "
                   "setup is not verified before it runs\n";
    for (pack::PackEntry& e : o.entries) {
      e.dos_date = date;
      if (!name_charset.empty()) e.name = pack::NameInCharset(e.name, name_charset);
    }
    o.name_lead_bytes = LeadBytesOfCharset(name_charset);
    const pack::PackResult r = pack::WriteArchive(o, out);
    if (!r.launcher.empty()) std::cout << "wrote " << r.launcher << " (launcher)\n";
    for (const std::string& v : r.volumes) std::cout << "wrote " << v << "\n";
    std::cout << r.entries << " entries\n";
  } catch (const pack::PackError& e) {
    Fail(e.what());
  }
  return 0;
}

int Keygen(const std::vector<std::string>& args) {
  if (args.size() != 2 || args[0] != "--out") Fail("usage: wexlin-pack keygen --out PATH/NAME");
  try {
    pack::GenerateKeyFiles(args[1], std::cout);
  } catch (const pack::PackError& e) {
    Fail(e.what());
  }
  return 0;
}

int Sign(const std::vector<std::string>& args) {
  if (args.size() < 3 || args[0] != "--key") Fail("usage: wexlin-pack sign --key NAME.key FILE...");
  try {
    pack::SignFiles(args[1], {args.begin() + 2, args.end()}, std::cout);
  } catch (const pack::PackError& e) {
    Fail(e.what());
  }
  return 0;
}

int Verify(const std::vector<std::string>& args) {
  if (args.size() < 3 || args[0] != "--key")
    Fail("usage: wexlin-pack verify --key NAME.pub FILE...");
  try {
    return pack::VerifyFiles(args[1], {args.begin() + 2, args.end()}, std::cout) ? 0 : 1;
  } catch (const pack::PackError& e) {
    Fail(e.what());
  }
}

int Inform(const std::vector<std::string>& args) {
  std::string out, token, text_path, charset;
  unsigned seed = std::random_device{}();
  for (std::size_t i = 0; i < args.size(); ++i) {
    const std::string& a = args[i];
    const bool valued = a == "-o" || a == "--output" || a == "--update-token" || a == "--seed" ||
                        a == "--charset";
    if (valued && i + 1 >= args.size()) Fail(a + " needs a value");
    if (a == "-o" || a == "--output") {
      out = args[++i];
    } else if (a == "--update-token") {
      token = args[++i];
    } else if (a == "--charset") {
      charset = args[++i];
    } else if (a == "--seed") {
      seed = unsigned(std::strtoul(args[++i].c_str(), nullptr, 10));
    } else if (a.size() > 1 && a[0] == '-') {
      Fail("unknown option " + a + " (see --help)");
    } else if (!text_path.empty()) {
      Fail("inform takes one TEXT_FILE");
    } else {
      text_path = a;
    }
  }
  if (out.empty() || token.empty() || text_path.empty())
    Fail("usage: wexlin-pack inform -o OUT --update-token TOKEN [--charset SET] [--seed N] "
         "TEXT_FILE");
  std::ifstream in(text_path, std::ios::binary);
  if (!in) Fail("cannot read " + text_path);
  std::string body{std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
  while (!body.empty() && (body.back() == '\n' || body.back() == '\r')) body.pop_back();
  std::mt19937 rng(seed);
  std::string text;
  try {
    if (!charset.empty()) body = pack::NameInCharset(body, charset);
    text = pack::InformFileText(token, pack::MarkupToRtf(body, pack::CodePageOfCharset(charset)),
                                rng);
  } catch (const pack::PackError& e) {
    Fail(e.what());
  }
  std::ofstream file(out, std::ios::binary);
  if (!file.write(text.data(), std::streamsize(text.size())) || !file.flush())
    Fail("cannot write " + out);
  std::cout << "wrote " << out << " (" << text.size() << " bytes)\n";
  return 0;
}

// Options of the form "--name VALUE" and "--flag", for the commands that take no FILE.
struct OptionTable {
  std::map<std::string, std::function<void(const std::string&)>> valued;
  std::map<std::string, std::function<void()>> switches;
  void Parse(const std::vector<std::string>& args, const char* command) const {
    for (std::size_t i = 0; i < args.size(); ++i) {
      const std::string& a = args[i];
      if (const auto v = valued.find(a); v != valued.end()) {
        if (i + 1 >= args.size()) Fail(a + " needs a value");
        v->second(args[++i]);
      } else if (const auto sw = switches.find(a); sw != switches.end()) {
        sw->second();
      } else {
        Fail(std::string(command) + ": unknown argument " + a + " (see --help)");
      }
    }
  }
};

int Number(const std::string& text, const std::string& option) {
  char* end = nullptr;
  const long long v = std::strtoll(text.c_str(), &end, 10);
  if (text.empty() || *end != '\0' || v < -1 || v > 2147483647LL)
    Fail("bad number for " + option + ": " + text);
  return int(v);
}

int Original(const std::vector<std::string>& args) {
  pack::OriginalSettings s;
  s.version = 0;
  std::string out;
  OptionTable t;
  t.valued = {
      {"-o", [&](const std::string& v) { out = v; }},
      {"--output", [&](const std::string& v) { out = v; }},
      {"--program-name", [&](const std::string& v) { s.program_name = v; }},
      {"--version", [&](const std::string& v) { s.version = Number(v, "--version"); }},
      {"--target-dir", [&](const std::string& v) { s.target_dir = v; }},
      {"--shared-dir", [&](const std::string& v) { s.shared_dir = v; }},
      {"--auxiliary-dir", [&](const std::string& v) { s.auxiliary_dir = v; }},
      {"--probe-interval",
       [&](const std::string& v) { s.probe_interval = Number(v, "--probe-interval"); }},
      {"--reask-interval",
       [&](const std::string& v) { s.reask_interval = Number(v, "--reask-interval"); }},
      {"--language", [&](const std::string& v) { s.language = v; }},
      {"--text",
       [&](const std::string& v) {
         const std::size_t eq = v.find('=');
         if (eq == std::string::npos || eq == 0) Fail("--text wants KEY=TEXT, not " + v);
         s.texts[v.substr(0, eq)] = v.substr(eq + 1);
       }},
  };
  t.Parse(args, "original");
  if (out.empty() || s.program_name.empty() || s.version < 1 || s.target_dir.empty())
    Fail("usage: wexlin-pack original -o NAME.original --program-name NAME --version N "
         "--target-dir DIR [OPTION...]");
  try {
    s.language = pack::LanguageOfArgument(s.language);
    const std::string text = pack::OriginalSettingsText(s);
    std::ofstream file(out, std::ios::binary | std::ios::trunc);
    if (!file.write(text.data(), std::streamsize(text.size())) || !file.flush())
      Fail("cannot write " + out);
    std::cout << "wrote " << out << " (" << s.language << " texts)\n";
  } catch (const pack::PackError& e) {
    Fail(e.what());
  }
  return 0;
}

int Publish(const std::vector<std::string>& args) {
  pack::PublishOptions o;
  OptionTable t;
  auto text = [](std::string& field) { return [&field](const std::string& v) { field = v; }; };
  t.valued = {
      {"--setup", text(o.setup_path)},
      {"--version", [&](const std::string& v) { o.version = Number(v, "--version"); }},
      {"-o", text(o.out_dir)},
      {"--output", text(o.out_dir)},
      {"--key", text(o.key_path)},
      {"--previous", text(o.previous_path)},
      {"--stamp", [&](const std::string& v) { o.stamp = Number(v, "--stamp"); }},
      {"--program-name", text(o.program_name)},
      {"--running-process", text(o.running_process)},
      {"--shut-down", text(o.shut_down)},
      {"--valid-versions", text(o.valid_versions)},
      {"--inform", text(o.inform_text_path)},
      {"--inform-file", text(o.inform_file)},
      {"--inform-url", text(o.inform_url)},
      {"--charset", text(o.charset)},
  };
  t.switches = {
      {"--restart", [&] { o.restart = true; }},
      {"--ask-download", [&] { o.ask_download = true; }},
      {"--ask-install", [&] { o.ask_install = true; }},
      {"--background", [&] { o.background = true; }},
      {"--inform-finish", [&] { o.inform_finish = true; }},
  };
  t.Parse(args, "publish");
  if (o.setup_path.empty() || o.version < 1 || o.out_dir.empty())
    Fail("usage: wexlin-pack publish --setup FILE --version N -o DIR [--key NAME.key] "
         "[--previous OLD.info] [OPTION...]");
  const bool inform = !o.inform_text_path.empty();
  if (!inform && (!o.inform_file.empty() || !o.inform_url.empty() || !o.charset.empty()))
    Fail("--inform-file, --inform-url and --charset belong to --inform");
  if (inform && (!o.running_process.empty() || !o.shut_down.empty() || o.restart ||
                 o.ask_download || o.ask_install || o.background || o.inform_finish))
    Fail("--inform publishes no setup: the update options do not apply");
  try {
    if (!o.shut_down.empty()) pack::ShutDownMethodText(o.shut_down);
    pack::Publish(o, std::cout);
  } catch (const pack::PackError& e) {
    Fail(e.what());
  } catch (const std::exception& e) {
    Fail(e.what());
  }
  return 0;
}

}  // namespace

int main(int argc, char** argv) {
  std::vector<std::string> args(argv + 1, argv + argc);
  if (args.empty() || args[0] == "--help" || args[0] == "-h" || args[0] == "help") {
    std::cout << kHelp;
    return args.empty() ? 2 : 0;
  }
  if (args[0] == "build") return Build({args.begin() + 1, args.end()});
  if (args[0] == "inform") return Inform({args.begin() + 1, args.end()});
  if (args[0] == "original") return Original({args.begin() + 1, args.end()});
  if (args[0] == "publish") return Publish({args.begin() + 1, args.end()});
  if (args[0] == "keygen") return Keygen({args.begin() + 1, args.end()});
  if (args[0] == "sign") return Sign({args.begin() + 1, args.end()});
  if (args[0] == "verify") return Verify({args.begin() + 1, args.end()});
  if (args[0] == "list") {
    LeadByteTest is_lead = NoLeadBytes;
    std::size_t at = 1;
    if (args.size() == 4 && args[1] == "--name-charset") {
      is_lead = LeadBytesOfCharset(args[2]);
      at = 3;
    }
    if (args.size() != at + 1) Fail("usage: wexlin-pack list [--name-charset SET] FILE");
    return pack::ListArchive(args[at], std::cout, is_lead) ? 0 : 1;
  }
  Fail("unknown command " + args[0] + " (see --help)");
}
