// AgentSettings: the agent's settings, from the local settings file (".original") and the info
// file (".info"), and its override slots.
#pragma once

#include <cstdint>
#include <string>

#include "rules/AgentRules.h"

// Both lie in the running program's folder under item 1 of the own archive's information list
// with its extension replaced. Every getter reads its file anew (nothing is cached); a yes/no key
// is true exactly when its text is "1"; a missing file or key gives the default.

std::string LocalSettingsPath();
std::string InfoFilePath();

// Agent time: the local time now as whole seconds since 30 December 1899.
std::int64_t SecondsNow();

// A text of section "AutoUpdate" of the local settings file.
std::string AgentText(const std::string& key, const std::string& default_text);

namespace OriginalSetup {
std::string ProgramName();
std::int32_t VersionOriginal();
std::int32_t Stamp();
std::int64_t ProbeSecondsInterval();
std::int64_t ProbeSecondsLast();
std::int64_t ReAskSecondsInterval();
std::int64_t ReAskSecondsLast();
void SetVersionOriginal(std::int32_t value);
void SetStamp(std::int32_t value);
void SetProbeSecondsInterval(std::int64_t value);
void SetReAskSecondsInterval(std::int64_t value);
// These two also write the "__" key: the same instant as a date-time text for people.
void SetProbeSecondsLast(std::int64_t value);
void SetReAskSecondsLast(std::int64_t value);
}  // namespace OriginalSetup

namespace Directories {
std::string TargetDir();
std::string SharedDir();
std::string AuxiliaryDir();
}  // namespace Directories

namespace UnInstall {
std::string StartUpLink();
std::string CheckforNewUpdateLink();
}  // namespace UnInstall

namespace MsgBox {
std::string BtnText();
std::string Error();
std::string Confirm();
std::string Attention();
int CharSet();
std::string FontName();
int FontSize();
}  // namespace MsgBox

namespace NewSetup {
// Empty when the info file names anything but an http or https address or a local folder.
std::string DownloadURL_UPDATE();
std::string NameOfUpdateFile();
std::int32_t SizeOfUpdateFile();
bool RequestConfirmationBeforeDownload();  // override slot 1
bool RequestConfirmationBeforeInstall();   // slot 2
bool BackgroundUpdate();                   // slot 3
std::string ShutDownMethod();
bool RestartProcess();                     // slot 5
bool InformFinish();                       // slot 4
std::string RunningProcess();
std::string ProgramName();
std::int32_t VersionNew();
std::int32_t Stamp();
std::string ValidVersions();
bool RemoveStartUpShortcut();
bool RemoveCheckForNewUpdateShortcut();
}  // namespace NewSetup

namespace General {
std::int32_t AutoInform();
}  // namespace General

namespace AutoInform {
std::string DownloadURL_INFORM();
std::string NameOfInformFile();
std::int32_t SizeOfInformFile();
std::int32_t AutoInformW();
std::int32_t AutoInformH();
}  // namespace AutoInform

// The agent's six override slots (255 at start).
std::uint8_t OverrideSlot(int slot);
void SetOverrideSlot(int slot, std::uint8_t value);  // slots outside 0..5 are ignored
std::string OverrideListText();
void ApplyOverrideList(const std::string& list);
