#include "app/StubAU.h"

#include "app/AgentDownload.h"
#include "app/AgentListener.h"
#include "app/AgentRuns.h"
#include "app/AgentSettings.h"
#include "app/AgentState.h"
#include "app/StubState.h"
#include "app/UpdateSignature.h"
#include "rules/AgentProtocol.h"
#include "rules/AgentRules.h"
#include "rules/UpdateRules.h"
#include "win/InetHTTP.h"
#include "win/Paced.h"
#include "win/Trace.h"
#include "win/Utils.h"
#include "win/WMsgBox.h"

namespace {

const char kTestModeNote[] =
    "<P><P><T><B>PLEASE NOTE</B> - You are now running in <B>Test Mode</B>!";

// Holds the tick guard for one tick; released on every way out, an exception included.
class TickGuard {
 public:
  TickGuard() { TickBusy = true; }
  ~TickGuard() {
    AgentState = AgentActivity::Idle;
    TickBusy = false;
  }
  TickGuard(const TickGuard&) = delete;
  TickGuard& operator=(const TickGuard&) = delete;
};

std::string WithProgName(const std::string& text, const std::string& name) {
  return ReplaceAll(text, "PROG_NAME", name);
}

}  // namespace

int GetShotTimeStatus() {
  ShotTimeInput in;
  in.first_shot = FirstShot;
  in.force_shot = ForceShot;
  if (FirstShot || ForceShot) {
    in.test_mode = TestMode;
    in.probe_interval = OriginalSetup::ProbeSecondsInterval();
    in.probe_last = OriginalSetup::ProbeSecondsLast();
    in.now = SecondsNow();
  }
  ForceShot = false;
  return ShotTimeStatus(in);
}

void ConfirmManualCheck(int& status) {
  IsTestMode(true);
  const std::string source = TestMode ? TestModeURL : OwnInfo->UpdateInfoUrl();
  std::string s23 = AgentText("s23", "");
  if (source.size() < 2 || source[1] == ':') s23.clear();
  std::string question = AgentText("s22", "") + s23 + AgentText("s24", "");
  if (TestMode) question += kTestModeNote;
  question = WithProgName(question, OriginalSetup::ProgramName());
  if (!AskYesNo(BOX_OWNER_ACTIVE, question, MsgBox::Confirm(), MsgBox::BtnText(),
                MsgBox::CharSet()))
    status = 0;
}

bool GetOkToPerformAU(bool info_received, int& level) {
  CheckLevelInput in;
  in.info_received = info_received;
  in.interactive = CheckMode == 1;
  if (info_received) {
    in.version_original = OriginalSetup::VersionOriginal();
    in.version_new = NewSetup::VersionNew();
    in.stamp_original = OriginalSetup::Stamp();
    in.stamp_new = NewSetup::Stamp();
    in.now = SecondsNow();
    in.reask_last = OriginalSetup::ReAskSecondsLast();
    in.reask_interval = OriginalSetup::ReAskSecondsInterval();
    in.valid_versions = NewSetup::ValidVersions();
    in.size_matches = [] {
      return UpdateSizeMatches(NewSetup::DownloadURL_UPDATE(), NewSetup::NameOfUpdateFile(),
                               AutoInform::NameOfInformFile());
    };
  }
  level = CheckLevel(in);
  TraceLine() << kTraceCheckLevel << level;
  return level == kLevelOffered;
}

// The sentence under s21 that says why a check the user asked for offers nothing.
static std::string NoUpdateCause(int level) {
  const std::string text =
      AgentText(CheckLevelCauseKey(level), CheckLevelCauseDefault(level));
  return CheckLevelCause(text, level >= 3 ? NewSetup::VersionNew() : 0,
                         level >= 1 ? OriginalSetup::VersionOriginal() : 0);
}

void PerformShot() {
  TraceLine() << " Fire  " << DateTimeText(LocalNow());
  IsTestMode(true);
  bool done = false;
  AgentState = AgentActivity::FetchingInfo;
  NotifyListener(AgentNotice::InfoDownload, kNoticeBegins);
  TransferError error;
  const std::string info_file = InfoFilePath();
  bool info_ok =
      !info_file.empty() &&
      DownloadFileAU(OwnInfo->UpdateInfoUrl(), info_file, AgentFile::Info, error);
  NotifyListener(AgentNotice::InfoDownload, kNoticeEnds);
  // A signed product's info file is verified before any value of it is read, and held against
  // change while the check reads it.
  VerifiedFile held_info;
  if (info_ok && VerifyAgentFile(OwnInfo->UpdateInfoUrl(), info_file, -1, &held_info) ==
                     TakenFile::Refused)
    info_ok = false;
  if (info_ok) SetFileAttributesA(info_file.c_str(), FILE_ATTRIBUTE_HIDDEN);
  OriginalSetup::SetProbeSecondsLast(SecondsNow());
  int level = 0;
  if (GetOkToPerformAU(info_ok, level)) {
    TraceLine() << StageLine(kStagePerformShot, 1);
    done = true;
    OriginalSetup::SetReAskSecondsLast(SecondsNow());
    const std::int32_t stamp_before = OriginalSetup::Stamp();
    const int refused_before = RefusedFileCount();
    OriginalSetup::SetStamp(NewSetup::Stamp());
    bool put_off = false;
    if (General::AutoInform() == 1)
      PerformAutoInform();
    else if (PerformAutoUpdate(&put_off))
      RestartAgentTransient();
    // A file that was not genuine, or a program that would not end, leaves the stamp unseen:
    // the next due check offers the update again.
    if (put_off || RefusedFileCount() != refused_before) OriginalSetup::SetStamp(stamp_before);
    TraceLine() << StageLine(kStagePerformShot, 2);
  }
  if (CheckMode == 1) {
    WaitPumping(Paced(1000), 0);
    if (StubWindow.window) ShowWindow(StubWindow.window, SW_HIDE);
    if (!done) {
      const bool connected = InternetConnected();
      TraceLine() << " TestMode=" << TraceBool(TestMode)
                  << " InternetConnected=" << TraceBool(connected);
      if (!TestMode && !connected)
        ShowAgentError(AgentText("s2", ""));
      else if (!TestMode && !error.ok())
        ShowAgentError(error.text());
      else
        WarningBox(BOX_OWNER_ACTIVE, NoUpdateResultText(AgentText("s21", ""), NoUpdateCause(level),
                                                        level),
                   MsgBox::Attention(), MsgBox::BtnText(), MsgBox::CharSet(), 0);
    }
  }
  held_info.Release();
  if (!info_file.empty()) {
    SetFileAttributesA(info_file.c_str(), FILE_ATTRIBUTE_NORMAL);
    DeleteFileA(info_file.c_str());
  }
}

void AutoUpdateTick() {
  if (TickBusy) return;
  SetBoxFont(MsgBox::FontName(), MsgBox::FontSize(), MsgBox::CharSet());
  const TickGuard guard;
  AgentState = AgentActivity::Idle;
  if (CheckMode == 2) CheckMode = 1;
  if (CheckMode == 1) AutoUpdateTimerCount = 0;  // an interactive check is not delayed
  if (StopCountdown == 0) PostQuitMessage(0);
  if (StopCountdown >= 0) --StopCountdown;
  ++AutoUpdateTimerCount;
  TraceLine() << kTraceTimerCount << AutoUpdateTimerCount;
  if (AutoUpdateTimerCount <= 0) return;
  IsTestMode(false);
  int status = GetShotTimeStatus();
  // A check asked for during this tick's own messages (a command is handled whenever this
  // thread sends one, e.g. a trace line) was taken with its flag just now: it asks now, or its
  // question would be lost.
  if (CheckMode == 2) CheckMode = 1;
  TraceLine() << kTraceShotTimeStatus << status;
  if (status == 2) FirstShot = false;
  if (status > 0 && (CheckMode == 1 || OverrideSlot(0) == 1)) ConfirmManualCheck(status);
  if (status > 0) PerformShot();
  if (CheckMode == 1) CheckMode = 0;
}
