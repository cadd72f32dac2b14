#include "Publish.h"

#include <sodium.h>

#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <map>
#include <memory>
#include <random>

#include "format/ArchiveFormat.h"
#include "format/ArchiveSource.h"
#include "ArchiveWriter.h"
#include "format/GFileInfo.h"
#include "InformRtf.h"
#include "InformWriter.h"
#include "KeyCommands.h"
#include "NameCharset.h"
#include "text/UtilsText.h"
#include "format/Signing.h"

namespace pack {
namespace {

namespace fs = std::filesystem;

// What the installed agent was built with and never changes: an update that differs in any of
// these is either refused by the agent (token, key) or never found (address, file name).
struct FixedSettings {
  std::string url, info_file, agent_exe, token_digest, update_key;
};

std::string ReadWhole(const std::string& path) {
  std::ifstream in(path, std::ios::binary);
  if (!in) throw PackError("cannot read " + path);
  return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
}

// Replaced in one step, so that a reader never sees half a file.
void WriteWhole(const std::string& path, const std::string& text) {
  const std::string tmp = path + ".tmp";
  {
    std::ofstream f(tmp, std::ios::binary | std::ios::trunc);
    if (!f.write(text.data(), std::streamsize(text.size())) || !f.flush())
      throw PackError("cannot write " + tmp);
  }
  std::error_code error;
  fs::rename(tmp, path, error);
  if (error) {
    fs::remove(tmp, error);
    throw PackError("cannot write " + path);
  }
}

// The info file is public; the token is recorded only as a keyed hash of it.
std::string TokenDigest(const std::string& token) {
  static const char kContext[] = "wexlin-pack token digest v1";
  unsigned char hash[16];
  crypto_generichash(hash, sizeof hash, reinterpret_cast<const unsigned char*>(token.data()),
                     token.size(), reinterpret_cast<const unsigned char*>(kContext),
                     sizeof kContext - 1);
  std::string hex(sizeof hash * 2 + 1, '\0');
  sodium_bin2hex(&hex[0], hex.size(), hash, sizeof hash);
  hex.pop_back();
  return hex;
}

struct Setup {
  FixedSettings fixed;
  std::string token;
  std::uint64_t size = 0;
};

Setup ReadSetup(const std::string& path) {
  std::unique_ptr<archive::ArchiveSource> file = archive::OpenArchiveSource(path);
  if (!file) throw PackError("cannot open the setup " + path);
  const archive::ArchiveTrailer t = archive::ReadTrailer(*file);
  if (!t.HasMagic()) throw PackError(path + " is no installer built by wexlin-pack");
  if (t.Flag(archive::kFlagSpanVolumes))
    throw PackError(path + " continues in further volumes; an update is one file");
  const TGFileInfo info(*file);
  Setup s;
  s.size = file->Size();
  s.token = info.UpdateToken(true);
  s.fixed = {info.UpdateInfoUrl(), info.InfoFileName(), info.AgentExeName(),
             TokenDigest(s.token), ListItem(info.Info, sig::kUpdateKeyItem, "")};
  if (s.fixed.url.size() < 8 || s.fixed.url == "http://")
    throw PackError(path + " has no update address (build it with --update-url)");
  if (s.fixed.info_file.empty() || s.fixed.info_file == ".info")
    throw PackError(path + " has no update file name (build it with --update-file NAME.info)");
  if (s.token.empty()) throw PackError(path + " has no token (build it with --update-token)");
  return s;
}

// Section + "/" + key, upper-cased, of an INI text.
std::map<std::string, std::string> IniValues(const std::string& text) {
  std::map<std::string, std::string> values;
  std::string section;
  std::size_t at = 0;
  while (at < text.size()) {
    std::size_t end = text.find('\n', at);
    if (end == std::string::npos) end = text.size();
    const std::string line = TrimText(text.substr(at, end - at));
    at = end + 1;
    if (line.size() > 1 && line[0] == '[' && line.back() == ']') {
      section = UpperText(line.substr(1, line.size() - 2), NoLeadBytes);
    } else if (const std::size_t eq = line.find('='); eq != std::string::npos) {
      values[section + "/" + UpperText(TrimText(line.substr(0, eq)), NoLeadBytes)] =
          line.substr(eq + 1);
    }
  }
  return values;
}

std::string Value(const std::map<std::string, std::string>& v, const std::string& key) {
  const auto it = v.find(key);
  return it == v.end() ? "" : it->second;
}

void RefuseChangedSettings(const FixedSettings& now, const std::string& previous_path,
                           const std::map<std::string, std::string>& previous) {
  const std::pair<const char*, std::string> fields[] = {
      {"UpdateURL", now.url},        {"UpdateFile", now.info_file},
      {"AgentExe", now.agent_exe},   {"TokenDigest", now.token_digest},
      {"UpdateKey", now.update_key},
  };
  static const char* const kWhat[] = {"update address (--update-url)",
                                      "update file (--update-file)", "agent (--agent-exe)",
                                      "token (--update-token)", "update key (--update-key)"};
  int i = 0;
  for (const auto& [key, value] : fields) {
    const std::string was = Value(previous, "PUBLISHED/" + UpperText(key, NoLeadBytes));
    if (was != value)
      throw PackError("the setup's " + std::string(kWhat[i]) + " differs from the version " +
                      "published in " + previous_path + " (\"" + was + "\" there, \"" + value +
                      "\" now): installed agents would " +
                      (i == 3 || i == 4 ? "refuse it" : "never find it"));
    ++i;
  }
}

int NumberOr0(const std::string& text) { return int(std::strtol(text.c_str(), nullptr, 10)); }

std::string Yes(bool b) { return b ? "1" : "0"; }

void Line(std::string& out, const std::string& key, const std::string& value) {
  out += key + "=" + value + "\r\n";
}

std::string BaseName(const std::string& path) { return fs::path(path).filename().string(); }

}  // namespace

std::string ShutDownMethodText(const std::string& value) {
  static const std::pair<const char*, const char*> kMethods[] = {
      {"close", "Using WM_CLOSE"},      {"quit", "Using WM_QUIT"},
      {"terminate", "Using Terminate Process"}, {"ask", "Issue a Message Box"},
      {"none", "Don't Shut Down"},
  };
  for (const auto& [word, text] : kMethods)
    if (value == word || value == text) return text;
  throw PackError("unknown shut-down method \"" + value +
                  "\" (close, quit, terminate, ask or none)");
}

std::vector<std::string> Publish(const PublishOptions& o, std::ostream& out) {
  if (o.version < 1) throw PackError("publish needs --version N (1 or more)");
  const bool inform = !o.inform_text_path.empty();
  const Setup setup = ReadSetup(o.setup_path);
  if (!o.key_path.empty()) {
    sig::SecretKey key;
    if (sig::ParseSecretKey(ReadWhole(o.key_path), &key) != sig::Status::Good)
      throw PackError(o.key_path + " is no secret key");
    const std::string pub = sig::PublicKeyText(key.public_key);
    if (setup.fixed.update_key.empty())
      throw PackError(o.setup_path + " was built without --update-key; its agents could not "
                      "check the signatures of " + o.key_path);
    if (setup.fixed.update_key != pub)
      throw PackError(o.setup_path + " trusts the update key " + setup.fixed.update_key +
                      ", not the public half of " + o.key_path + " (" + pub + ")");
  } else if (!setup.fixed.update_key.empty()) {
    throw PackError(o.setup_path + " trusts an update key: give --key NAME.key to sign");
  }
  const std::string name = ChangeFileExt(setup.fixed.info_file, "", NoLeadBytes);
  const fs::path dir(o.out_dir);
  std::error_code error;
  fs::create_directories(dir, error);
  if (!fs::is_directory(dir)) throw PackError("cannot create the folder " + o.out_dir);
  const std::string info_path = (dir / setup.fixed.info_file).string();

  // The previous publication: its stamp is counted on, its fixed settings must stay.
  std::string previous_path = o.previous_path;
  if (previous_path.empty() && fs::exists(info_path)) previous_path = info_path;
  int stamp = 1;
  if (!previous_path.empty()) {
    const auto previous = IniValues(ReadWhole(previous_path));
    if (Value(previous, "PUBLISHED/UPDATEURL").empty())
      throw PackError(previous_path + " was not written by wexlin-pack publish");
    RefuseChangedSettings(setup.fixed, previous_path, previous);
    stamp = NumberOr0(Value(previous, "NEWSETUP/STAMP")) + 1;
    const int was = NumberOr0(Value(previous, "NEWSETUP/VERSIONNEW"));
    if (o.version < was)
      throw PackError("version " + std::to_string(o.version) + " is below version " +
                      std::to_string(was) + " published in " + previous_path);
  }
  if (o.stamp > 0) stamp = o.stamp;

  std::vector<std::string> upload;
  std::string info = "[NewSetup]\r\n";
  Line(info, "DownloadURL_UPDATE", setup.fixed.url);
  if (inform) {
    const std::string inform_name = o.inform_file.empty() ? name + "News.txt" : o.inform_file;
    if (inform_name != BaseName(inform_name) || inform_name == setup.fixed.info_file)
      throw PackError("bad inform file name " + inform_name);
    std::string body = ReadWhole(o.inform_text_path);
    while (!body.empty() && (body.back() == '\n' || body.back() == '\r')) body.pop_back();
    if (!o.charset.empty()) body = NameInCharset(body, o.charset);
    std::mt19937 rng(std::random_device{}());
    const std::string text =
        InformFileText(setup.token, MarkupToRtf(body, CodePageOfCharset(o.charset)), rng);
    const std::string inform_path = (dir / inform_name).string();
    WriteWhole(inform_path, text);
    out << "wrote " << inform_path << " (" << text.size() << " bytes)\n";
    upload.push_back(inform_path);
    Line(info, "NameOfUpdateFile", "");
    Line(info, "VersionNew", std::to_string(o.version));
    Line(info, "Stamp", std::to_string(stamp));
    Line(info, "ValidVersions", o.valid_versions);
    Line(info, "ProgramName", o.program_name.empty() ? name : o.program_name);
    info += "[General]\r\nAutoInform=1\r\n[AutoInform]\r\n";
    Line(info, "DownloadURL_INFORM", o.inform_url);
    Line(info, "NameOfInformFile", inform_name);
    Line(info, "SizeOfInformFile", std::to_string(text.size()));
  } else {
    const std::string setup_name = BaseName(o.setup_path);
    if (setup_name == setup.fixed.info_file) throw PackError("the setup has the info file's name");
    const fs::path copy = dir / setup_name;
    if (!fs::exists(copy) || !fs::equivalent(copy, o.setup_path)) {
      fs::copy_file(o.setup_path, copy, fs::copy_options::overwrite_existing, error);
      if (error) throw PackError("cannot copy the setup to " + copy.string());
    }
    out << "wrote " << copy.string() << " (" << setup.size << " bytes)\n";
    upload.push_back(copy.string());
    Line(info, "NameOfUpdateFile", setup_name);
    Line(info, "SizeOfUpdateFile", std::to_string(setup.size));
    Line(info, "VersionNew", std::to_string(o.version));
    Line(info, "Stamp", std::to_string(stamp));
    Line(info, "ValidVersions", o.valid_versions);
    Line(info, "ProgramName", o.program_name.empty() ? name : o.program_name);
    Line(info, "RunningProcess", o.running_process);
    Line(info, "ShutDownMethod",
         ShutDownMethodText(o.shut_down.empty() ? (o.running_process.empty() ? "none" : "close")
                                                : o.shut_down));
    Line(info, "RestartProcess", Yes(o.restart));
    Line(info, "InformFinish", Yes(o.inform_finish));
    Line(info, "RequestConfirmationBeforeDownload", Yes(o.ask_download));
    Line(info, "RequestConfirmationBeforeInstall", Yes(o.ask_install));
    Line(info, "BackgroundUpdate", Yes(o.background));
    info += "[General]\r\nAutoInform=0\r\n";
  }
  // Read by publish only: what a later version must keep.
  info += "[Published]\r\n";
  Line(info, "UpdateURL", setup.fixed.url);
  Line(info, "UpdateFile", setup.fixed.info_file);
  Line(info, "AgentExe", setup.fixed.agent_exe);
  Line(info, "TokenDigest", setup.fixed.token_digest);
  Line(info, "UpdateKey", setup.fixed.update_key);

  WriteWhole(info_path, info);
  out << "wrote " << info_path << " (stamp " << stamp << ", version " << o.version << ")\n";
  upload.push_back(info_path);
  if (!o.key_path.empty()) {
    SignFiles(o.key_path, {upload[0], info_path}, out);
    upload = {upload[0], upload[0] + ".sig", info_path, info_path + ".sig"};
  }
  out << "upload to " << setup.fixed.url << ", in this order:\n";
  for (std::size_t i = 0; i < upload.size(); ++i) out << "  " << i + 1 << ". " << upload[i] << "\n";
  return upload;
}

}  // namespace pack
