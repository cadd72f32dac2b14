#include "app/AgentSettings.h"

#include "app/StubState.h"
#include "win/Files.h"
#include "win/Trace.h"
#include "win/Utils.h"

namespace {

OverrideSlots& Slots() {
  static OverrideSlots slots = InitialOverrideSlots();
  return slots;
}

// Without a file name (no information list) the system would read and write its own INI file.
std::string Read(const std::string& file, const char* section, const char* key,
                 const std::string& default_value) {
  return file.empty() ? default_value : IniReadText(file, section, key, default_value);
}
std::int64_t ReadInt(const std::string& file, const char* section, const char* key,
                     std::int64_t default_value) {
  return file.empty() ? default_value : IniReadInt(file, section, key, default_value);
}
// 32-bit keys compare as signed 32-bit numbers: a larger stored number keeps its low bits.
std::int32_t Low32(std::int64_t value) { return std::int32_t(std::uint32_t(value)); }

std::string Local(const char* section, const char* key, const std::string& default_value) {
  return Read(LocalSettingsPath(), section, key, default_value);
}
std::int64_t LocalInt(const char* section, const char* key, std::int64_t default_value) {
  return ReadInt(LocalSettingsPath(), section, key, default_value);
}
std::string Info(const char* section, const char* key) {
  return Read(InfoFilePath(), section, key, "");
}
std::int32_t InfoInt32(const char* section, const char* key, std::int32_t default_value) {
  return Low32(ReadInt(InfoFilePath(), section, key, default_value));
}
bool InfoYes(const char* section, const char* key) { return Info(section, key) == "1"; }
bool InfoYesOverridden(const char* key, int slot) {
  return OverriddenYesNo(Slots()[std::size_t(slot)], InfoYes("NewSetup", key));
}

void WriteLocalInt(const char* key, std::int64_t value) {
  const std::string file = LocalSettingsPath();
  if (!file.empty()) IniWriteInt(file, "OriginalSetup", key, value);
}
void WriteLocalTime(const char* key, const char* text_key, std::int64_t value) {
  const std::string file = LocalSettingsPath();
  if (file.empty()) return;
  IniWriteInt(file, "OriginalSetup", key, value);
  IniWriteText(file, "OriginalSetup", text_key, DateTimeText(AgentDateTime(value)));
}

// An empty item 1 leaves only the extension: no file then, rather than one named ".original".
std::string BesideProgram(const std::string& name) {
  return name.empty() || name[0] == '.' ? std::string() : ExeDir(true) + name;
}

}  // namespace

std::string LocalSettingsPath() { return BesideProgram(OwnInfo ? OwnInfo->SettingsFileName() : ""); }
std::string InfoFilePath() { return BesideProgram(OwnInfo ? OwnInfo->InfoFileName() : ""); }

std::int64_t SecondsNow() { return AgentSeconds(LocalNow()); }

std::string AgentText(const std::string& key, const std::string& default_text) {
  return Read(LocalSettingsPath(), "AutoUpdate", key.c_str(), default_text);
}

namespace OriginalSetup {
std::string ProgramName() { return Local("OriginalSetup", "ProgramName", ""); }
std::int32_t VersionOriginal() { return Low32(LocalInt("OriginalSetup", "VersionOriginal", 0)); }
std::int32_t Stamp() { return Low32(LocalInt("OriginalSetup", "Stamp", 0)); }
std::int64_t ProbeSecondsInterval() { return LocalInt("OriginalSetup", "ProbeSecondsInterval", 0); }
std::int64_t ProbeSecondsLast() { return LocalInt("OriginalSetup", "ProbeSecondsLast", 0); }
std::int64_t ReAskSecondsInterval() { return LocalInt("OriginalSetup", "ReAskSecondsInterval", 0); }
std::int64_t ReAskSecondsLast() { return LocalInt("OriginalSetup", "ReAskSecondsLast", 0); }
void SetVersionOriginal(std::int32_t value) { WriteLocalInt("VersionOriginal", value); }
void SetStamp(std::int32_t value) { WriteLocalInt("Stamp", value); }
void SetProbeSecondsInterval(std::int64_t value) { WriteLocalInt("ProbeSecondsInterval", value); }
void SetReAskSecondsInterval(std::int64_t value) { WriteLocalInt("ReAskSecondsInterval", value); }
void SetProbeSecondsLast(std::int64_t value) {
  WriteLocalTime("ProbeSecondsLast", "__ProbeSecondsLast", value);
}
void SetReAskSecondsLast(std::int64_t value) {
  WriteLocalTime("ReAskSecondsLast", "__ReAskSecondsLast", value);
}
}  // namespace OriginalSetup

namespace Directories {
std::string TargetDir() { return Local("Directories", "TargetDir", ""); }
std::string SharedDir() { return Local("Directories", "SharedDir", ""); }
std::string AuxiliaryDir() { return Local("Directories", "AuxiliaryDir", ""); }
}  // namespace Directories

namespace UnInstall {
std::string StartUpLink() { return Local("UnInstall", "StartUpLink", ""); }
std::string CheckforNewUpdateLink() { return Local("UnInstall", "CheckforNewUpdateLink", ""); }
}  // namespace UnInstall

namespace MsgBox {
std::string BtnText() { return Local("MsgBox", "BtnText", "|&OK|&Cancel|&Yes|&No|&Abort|&Retry|&Ignore|"); }
std::string Error() { return Local("MsgBox", "Error", "Error"); }
std::string Confirm() { return Local("MsgBox", "Confirm", "Confirm"); }
std::string Attention() { return Local("MsgBox", "Attention", "Attention"); }
int CharSet() { return int(LocalInt("MsgBox", "CharSet", 0)); }
std::string FontName() { return Local("MsgBox", "FontName", "Tahoma"); }
int FontSize() { return int(LocalInt("MsgBox", "FontSize", 8)); }
}  // namespace MsgBox

namespace NewSetup {
std::string DownloadURL_UPDATE() {
  const std::string base = Info("NewSetup", "DownloadURL_UPDATE");
  if (base.empty() || IsAllowedUpdateSource(base)) return base;
  TraceLine() << " DownloadURL_UPDATE refused (not http, https or a local folder): " << base;
  return std::string();
}
std::string NameOfUpdateFile() { return Info("NewSetup", "NameOfUpdateFile"); }
std::int32_t SizeOfUpdateFile() { return InfoInt32("NewSetup", "SizeOfUpdateFile", 0); }
bool RequestConfirmationBeforeDownload() {
  return InfoYesOverridden("RequestConfirmationBeforeDownload", 1);
}
bool RequestConfirmationBeforeInstall() {
  return InfoYesOverridden("RequestConfirmationBeforeInstall", 2);
}
bool BackgroundUpdate() { return InfoYesOverridden("BackgroundUpdate", 3); }
std::string ShutDownMethod() { return Info("NewSetup", "ShutDownMethod"); }
bool RestartProcess() { return InfoYesOverridden("RestartProcess", 5); }
bool InformFinish() { return InfoYesOverridden("InformFinish", 4); }
std::string RunningProcess() { return Info("NewSetup", "RunningProcess"); }
std::string ProgramName() { return Info("NewSetup", "ProgramName"); }
std::int32_t VersionNew() { return InfoInt32("NewSetup", "VersionNew", 0); }
std::int32_t Stamp() { return InfoInt32("NewSetup", "Stamp", 0); }
std::string ValidVersions() { return Info("NewSetup", "ValidVersions"); }
bool RemoveStartUpShortcut() { return InfoYes("NewSetup", "RemoveStartUpShortcut"); }
bool RemoveCheckForNewUpdateShortcut() {
  return InfoYes("NewSetup", "RemoveCheckForNewUpdateShortcut");
}
}  // namespace NewSetup

namespace General {
std::int32_t AutoInform() { return InfoInt32("General", "AutoInform", 0); }
}  // namespace General

namespace AutoInform {
std::string DownloadURL_INFORM() { return Info("AutoInform", "DownloadURL_INFORM"); }
std::string NameOfInformFile() { return Info("AutoInform", "NameOfInformFile"); }
std::int32_t SizeOfInformFile() { return InfoInt32("AutoInform", "SizeOfInformFile", 0); }
std::int32_t AutoInformW() { return InfoInt32("AutoInform", "AutoInformW", 360); }
std::int32_t AutoInformH() { return InfoInt32("AutoInform", "AutoInformH", 360); }
}  // namespace AutoInform

std::uint8_t OverrideSlot(int slot) {
  return slot >= 0 && slot < kOverrideSlots ? Slots()[std::size_t(slot)] : kNoOverride;
}
void SetOverrideSlot(int slot, std::uint8_t value) {
  if (slot >= 0 && slot < kOverrideSlots) Slots()[std::size_t(slot)] = value;
}
std::string OverrideListText() { return OverrideListText(Slots()); }
void ApplyOverrideList(const std::string& list) { ApplyOverrideList(Slots(), list); }
