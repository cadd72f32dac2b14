#include "SettingsWriter.h"

#include <fstream>
#include <iterator>
#include <utility>

#include "ArchiveWriter.h"
#include "NameCharset.h"
#include "text/UtilsText.h"

namespace pack {
namespace {

using TextTable = std::vector<std::pair<std::string, std::string>>;

// "PROG_NAME" is replaced by the agent. s11 is followed by s12 or s13 in one question; s21 by
// the check level; s3..s5 by a path or address.
const TextTable kEnglish = {
    {"s2", "There is no Internet connection: PROG_NAME cannot look for a new version now."},
    {"s3", "File Download Aborted!"},
    {"s4", "File not Found!"},
    {"s5", "Unable to Download File!"},
    {"s11", "<B>A new version of PROG_NAME is available.</B><P>"},
    {"s12", "<P>Download and install it now?"},
    {"s13", "<P>Download it now? You will be asked again before it is installed."},
    {"s14", "The new version of PROG_NAME has been downloaded.<P><P>Install it now?"},
    {"s15", "Please close PROG_NAME so that the new version can be installed, then press OK."},
    {"s16", "PROG_NAME has been updated."},
    {"s17", "<P><P>Start PROG_NAME again now?"},
    {"s21", "There is no new version of PROG_NAME."},
    {"s22", "<B>Look for a new version of PROG_NAME?</B><P><P>"},
    {"s23", "This connects to the Internet.<P>"},
    {"s24", "Continue?"},
    {"s31", "Downloading INFO File..."},
    {"s32", "Downloading UPDATE File..."},
    {"s33", "Downloading INFORM File..."},
    {"s34", "New Version"},
    {"s35", "Download"},
    // Why a check the user asked for offers nothing, by the level it stopped at (0 to 5).
    {"s40", "The update information could not be fetched from the server."},
    {"s41", "No installed version is recorded in the settings (VersionOriginal)."},
    {"s42", "This version was offered before; it is offered again when the re-ask time has passed."},
    {"s43", "The published version VERSION_NEW is not newer than the installed version VERSION_ORIGINAL."},
    {"s44", "This update is not meant for the installed version VERSION_ORIGINAL."},
    {"s45", "The published size differs from the file on the server, or the file is missing there."},
};
const TextTable kEnglishBox = {
    {"BtnText", "|&OK|&Cancel|&Yes|&No|&Abort|&Retry|&Ignore|"},
    {"Error", "Error"},
    {"Confirm", "Confirm"},
    {"Attention", "Attention"},
    {"CharSet", "0"},
    {"FontName", "Tahoma"},
    {"FontSize", "8"},
};

const TextTable kChinese = {
    {"s2", "没有网络连接：PROG_NAME 现在无法检查新版本。"},
    {"s3", "文件下载已中止！"},
    {"s4", "找不到文件！"},
    {"s5", "无法下载文件！"},
    {"s11", "<B>PROG_NAME 有新版本可用。</B><P>"},
    {"s12", "<P>现在下载并安装吗？"},
    {"s13", "<P>现在下载吗？安装之前会再次询问。"},
    {"s14", "PROG_NAME 的新版本已下载。<P><P>现在安装吗？"},
    {"s15", "请关闭 PROG_NAME 以便安装新版本，然后按“确定”。"},
    {"s16", "PROG_NAME 已更新。"},
    {"s17", "<P><P>现在重新启动 PROG_NAME 吗？"},
    {"s21", "PROG_NAME 没有新版本。"},
    {"s22", "<B>检查 PROG_NAME 的新版本吗？</B><P><P>"},
    {"s23", "这将连接到互联网。<P>"},
    {"s24", "继续吗？"},
    {"s31", "正在下载信息文件..."},
    {"s32", "正在下载更新文件..."},
    {"s33", "正在下载通知文件..."},
    {"s34", "新版本"},
    {"s35", "下载"},
    {"s40", "无法从服务器取得更新信息。"},
    {"s41", "设置中没有记录已安装的版本（VersionOriginal）。"},
    {"s42", "此版本已经提示过；到了再次询问的时间会再提示。"},
    {"s43", "发布的版本 VERSION_NEW 不比已安装的版本 VERSION_ORIGINAL 新。"},
    {"s44", "此更新不适用于已安装的版本 VERSION_ORIGINAL。"},
    {"s45", "发布的大小与服务器上的文件不同，或服务器上没有该文件。"},
};
const TextTable kChineseBox = {
    {"BtnText", "|确定(&O)|取消(&C)|是(&Y)|否(&N)|中止(&A)|重试(&R)|忽略(&I)|"},
    {"Error", "错误"},
    {"Confirm", "确认"},
    {"Attention", "注意"},
    {"CharSet", "134"},
    {"FontName", "宋体"},
    {"FontSize", "9"},
};

struct Language {
  const char* name;
  const char* charset;  // code page of the file; empty: ASCII only
  const TextTable* texts;
  const TextTable* box;
};
const Language kLanguages[] = {
    {"English", "", &kEnglish, &kEnglishBox},
    {"Chinese", "GBK", &kChinese, &kChineseBox},
};

const Language& LanguageNamed(const std::string& name) {
  for (const Language& l : kLanguages)
    if (SameTextIC(name, l.name)) return l;
  std::string known;
  for (const Language& l : kLanguages) known += std::string(known.empty() ? "" : ", ") + l.name;
  throw PackError("no texts for the language \"" + name + "\" (known: " + known + ")");
}

std::string Encoded(const std::string& utf8, const Language& l, const std::string& what) {
  if (utf8.find_first_of("\r\n") != std::string::npos)
    throw PackError(what + " holds a line break");
  if (*l.charset) return NameInCharset(utf8, l.charset);
  for (unsigned char c : utf8)
    if (c >= 0x80) throw PackError(what + " is not ASCII; give --language Chinese for GBK");
  return utf8;
}

void Line(std::string& out, const std::string& key, const std::string& value) {
  out += key + "=" + value + "\r\n";
}

}  // namespace

std::vector<std::string> TextLanguages() {
  std::vector<std::string> names;
  for (const Language& l : kLanguages) names.push_back(l.name);
  return names;
}

const std::vector<std::string>& AgentTextKeys() {
  static const std::vector<std::string> keys = [] {
    std::vector<std::string> k;
    for (const auto& [key, text] : kEnglish) k.push_back(key);
    return k;
  }();
  return keys;
}

std::string LanguageOfArgument(const std::string& value) {
  for (const Language& l : kLanguages)
    if (SameTextIC(value, l.name)) return l.name;
  std::ifstream in(value, std::ios::binary);
  if (!in) return LanguageNamed(value).name;  // throws with the known names
  const std::string block{std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
  const std::string name = TrimText(ListItem(block, 0, ""));
  if (name.empty()) throw PackError(value + " is no language block (|NAME|key=value|...|)");
  return LanguageNamed(name).name;
}

std::string OriginalSettingsText(const OriginalSettings& s) {
  const Language& l = LanguageNamed(s.language);
  if (s.program_name.empty()) throw PackError("the settings need a program name");
  if (s.version < 1) throw PackError("the installed version must be 1 or more");
  if (s.target_dir.empty()) throw PackError("the settings need the target folder");
  for (const auto& [key, text] : s.texts) {
    bool known = false;
    for (const TextTable* table : {l.texts, l.box})
      for (const auto& [k, v] : *table) known = known || k == key;
    if (!known) throw PackError("no text key " + key + " (s2..s45, BtnText, Error, Confirm, ...)");
  }
  auto text_of = [&](const std::string& key, const std::string& builtin) {
    const auto given = s.texts.find(key);
    return Encoded(given == s.texts.end() ? builtin : given->second, l, "the text " + key);
  };
  std::string out = "[OriginalSetup]\r\n";
  Line(out, "ProgramName", Encoded(s.program_name, l, "the program name"));
  Line(out, "VersionOriginal", std::to_string(s.version));
  Line(out, "ProbeSecondsInterval", std::to_string(s.probe_interval));
  Line(out, "ReAskSecondsInterval", std::to_string(s.reask_interval));
  out += "[Directories]\r\n";
  Line(out, "TargetDir", Encoded(s.target_dir, l, "the target folder"));
  if (!s.shared_dir.empty()) Line(out, "SharedDir", Encoded(s.shared_dir, l, "the shared folder"));
  if (!s.auxiliary_dir.empty())
    Line(out, "AuxiliaryDir", Encoded(s.auxiliary_dir, l, "the auxiliary folder"));
  out += "[MsgBox]\r\n";
  for (const auto& [key, text] : *l.box) {
    const std::string value = text_of(key, text);
    if (key == "BtnText" && ListItemCount(value) != 7)
      throw PackError("BtnText must be seven captions between \"|\": " + value);
    Line(out, key, value);
  }
  out += "[AutoUpdate]\r\n";
  for (const auto& [key, text] : *l.texts) Line(out, key, text_of(key, text));
  return out;
}

}  // namespace pack
