#include "app/StubAU.h"

#include <vector>

#include "app/StubGlob.h"
#include "app/StubState.h"
#include "app/StubWin.h"
#include "app/UnPack.h"
#include "app/UpdateSignature.h"
#include "format/InformFile.h"
#include "rules/AgentRules.h"
#include "rules/RunMode.h"
#include "rules/UpdateRules.h"
#include "win/Files.h"
#include "win/Global.h"
#include "win/HiddenStart.h"
#include "win/InetHTTP.h"
#include "win/InfoWindow.h"
#include "win/Process.h"
#include "win/Trace.h"
#include "win/Utils.h"
#include "win/WMsgBox.h"

std::int32_t AgentState = 0;
bool FirstShot = true;
bool TickBusy = false;
bool TestMode = false;
std::string TestModeURL;

const char kTestModeKey[] = "HKEY_CURRENT_USER\\Software\\Morvath\\Wexlin\\AutoUpdate";

namespace {

const char kTestModeNote[] =
    "<P><P><T><B>PLEASE NOTE</B> - You are now running in <B>Test Mode</B>!";

// Holds the tick guard for one tick; released on every way out, an exception included.
class TickGuard {
 public:
  TickGuard() { TickBusy = true; }
  ~TickGuard() {
    AgentState = 0;
    TickBusy = false;
  }
  TickGuard(const TickGuard&) = delete;
  TickGuard& operator=(const TickGuard&) = delete;
};

bool test_mode_read = false;
DWORD test_mode_tick = 0;

std::string WithProgName(const std::string& text, const std::string& name) {
  return ReplaceAll(text, "PROG_NAME", name);
}

// base + "/" + name without a doubled slash.
std::string UrlJoin(const std::string& base, const std::string& name) {
  std::string url = base;
  while (!url.empty() && url.back() == '/') url.pop_back();
  return url + "/" + name;
}

std::string FolderJoin(const std::string& base, const std::string& name) {
  return FixTrailingBackslash(base, true) + name;
}

// The files a name from the info file may never replace.
std::vector<std::string> ProtectedNames() {
  const std::string agent = OwnInfo ? OwnInfo->AgentExeName() : std::string();
  return {agent,
          agent.empty() ? std::string() : "X_" + agent,
          OwnFileName(),
          FileNameOfPath(LocalSettingsPath()),
          FileNameOfPath(InfoFilePath()),
          FileNameOfPath(NewSetup::RunningProcess())};
}

const char* StatusKey(AgentFile kind) {
  return kind == AgentFile::Info ? "s31" : kind == AgentFile::Update ? "s32" : "s33";
}
const char* StatusDefault(AgentFile kind) {
  return kind == AgentFile::Info     ? "Downloading INFO File..."
         : kind == AgentFile::Update ? "Downloading UPDATE File..."
                                     : "Downloading INFORM File...";
}

// The downloaded update carries the installed product's update token; an inform file starts
// with it.
bool TokenMatches(const std::string& file, AgentFile kind) {
  if (!OwnInfo) return false;
  if (kind == AgentFile::Update) return SameUpdateToken(TGFileInfo(file), *OwnInfo);
  if (kind == AgentFile::Inform)
    return ReadInformText(ReadFilePart(file, 0, 0), OwnInfo->UpdateToken(false)).token_matches;
  return false;
}

void ShowAgentError(const std::string& text) {
  ErrorBox(nullptr, text, MsgBox::Error(), MsgBox::BtnText(), MsgBox::CharSet());
}

// Deletes what an earlier run left at the target; false (with error) when it stays.
bool RemoveStaleTarget(const std::string& target, std::string& error) {
  if (!FileExists(target)) return true;
  SetFileAttributesA(target.c_str(), FILE_ATTRIBUTE_NORMAL);
  if (DeleteFileA(target.c_str())) return true;
  error = "Unable to replace " + target + " <P>" + LastErrorText();
  TraceLine() << " DownloadFileAU: " << error;
  return false;
}

// The last trace line of the update run, written on every way out.
class UpdateTraceEnd {
 public:
  UpdateTraceEnd() = default;
  ~UpdateTraceEnd() { TraceLine() << " ==== PerformAutoUpdate-12 ===="; }
  UpdateTraceEnd(const UpdateTraceEnd&) = delete;
  UpdateTraceEnd& operator=(const UpdateTraceEnd&) = delete;
};

// Stops the program as the info file says (matching its full path only), then waits for its
// end without a time limit, serving messages: a program that ignores the request keeps the
// update waiting until the user ends it.
void StopProgram(const std::string& program, ShutDown method) {
  switch (method) {
    case ShutDown::Close: CloseProgram(program, true); break;
    case ShutDown::Quit: QuitProgram(program, true); break;
    case ShutDown::Terminate: TerminateProgram(program, true); break;
    default: break;
  }
  if (WaitsForProgramEnd(method)) WaitForProcessEnd(program);
}

// Starts the program again, shown normally, in its own folder.
void StartProgram(const std::string& program) {
  const ProgramStart start = RestartCommand(program, CurrentLeadByteTest());
  DWORD error = 0;
  if (StartProcessShown(program, start.command_line, start.folder, SW_SHOWNORMAL, 0, nullptr,
                        &error))
    TraceLine() << " Restarted " << start.command_line;
  else
    TraceLine() << " Restart of " << program << " failed: " << LastErrorText(error);
}

}  // namespace

bool IsTestMode(bool force) {
  const DWORD now = GetTickCount();
  if (force || !test_mode_read || std::int32_t(now - test_mode_tick) > 30000) {
    TestMode = RegReadText(kTestModeKey, "TestMode", "0") == "1";
    TestModeURL = RegReadText(kTestModeKey, "TestModeURL", "");
    test_mode_read = true;
  }
  test_mode_tick = now;
  return TestMode;
}

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

bool UpdateSizeMatches(const std::string& base_in, const std::string& update_name,
                       const std::string& inform_name) {
  const bool inform = General::AutoInform() == 1;
  const std::int64_t expected =
      inform ? AutoInform::SizeOfInformFile() : NewSetup::SizeOfUpdateFile();
  const std::string name = inform ? inform_name : update_name;
  const std::string refusal = AgentTargetRefusal(name, ProtectedNames(), CurrentLeadByteTest());
  if (!refusal.empty()) {
    TraceLine() << " UpdateSizeMatches: " << refusal;
    return false;
  }
  const std::string base = TestMode ? TestModeURL : base_in;
  if (base.empty()) return false;
  std::int64_t actual = -1;
  const std::string local = FolderJoin(base, name);
  if (FileExists(local))
    actual = FileSizeOf(local);
  else if (!TestMode && InternetConnected())
    actual = UrlContentLength(UrlJoin(base, name));
  TraceLine() << " UpdateSizeMatches: " << actual << " expected " << expected;
  return actual == expected;
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
  TraceLine() << " GetOkToPerformAU=" << level;
  return level == 6;
}

void NotifyListener(WPARAM code, LPARAM value) {
  if (ListenerWindow && ListenerMessage) PostMessageA(ListenerWindow, ListenerMessage, code, value);
}

bool DownloadFileAU(const std::string& base_in, const std::string& name_in, AgentFile kind,
                    std::string& error) {
  error.clear();
  const std::string name = FileNameOfPath(name_in);
  const std::string base = TestMode ? TestModeURL : base_in;
  if (kind != AgentFile::Info) {
    error = AgentTargetRefusal(name, ProtectedNames(), CurrentLeadByteTest());
    if (!error.empty()) {
      TraceLine() << " DownloadFileAU: refused, " << error;
      return false;
    }
  }
  const std::string target = ExeDir(true) + name;
  std::string source = FolderJoin(base, name);
  // A source folder that is the agent's own holds the file itself: it is the copy.
  const bool source_is_target = !base.empty() && SameTextIC(FullPathName(source), FullPathName(target));
  // Only a file this run wrote whole may be taken for the update: an older one left at the
  // target would pass the token test after a failed or short download and be installed.
  if (kind != AgentFile::Info && !source_is_target && !RemoveStaleTarget(target, error))
    return false;
  const bool local = !base.empty() && FileExists(source);
  TraceLine() << " DownloadFileAU: " << TraceBool(local) << " " << source;
  std::string content;
  bool wrote = false;
  if (local) {
    content = ReadFilePart(source, 0, 0);
    if (kind != AgentFile::Info) {
      DWORD code = 0;
      if (content.empty())
        error = "Empty file: " + source;
      else if (source_is_target)
        wrote = true;
      else if (!(wrote = WriteFileData(target, content, 0, WriteMode::Create, &code)))
        error = "Unable to write " + target + " <P>" + LastErrorText(code);
    }
  } else if (!TestMode && !base.empty() && InternetConnected()) {
    WaitPumping(500, 0);
    const int charset = MsgBox::CharSet();
    SetStatusText(StubWindow.status, AgentText(StatusKey(kind), StatusDefault(kind)),
                  MsgBox::FontName(), MsgBox::FontSize(), charset);
    source = UrlJoin(base, name);
    SetDownloadAbort(false);
    const bool show_progress = kind == AgentFile::Update &&
                               NewSetup::RequestConfirmationBeforeDownload() && CheckMode != 1;
    if (show_progress && StubWindow.window) ShowWindow(StubWindow.window, SW_SHOW);
    const bool complete = HTTP_DownloadFile_Incremental(
        CheckMode == 1 ? StubWindow.window : nullptr, source,
        kind == AgentFile::Info ? std::string() : target, &content, ProgressBarsCallback, &error);
    wrote = complete && error.empty() && kind != AgentFile::Info;
    if (show_progress && StubWindow.window) ShowWindow(StubWindow.window, SW_HIDE);
    WaitPumping(500, 0);
  }

  bool ok = false;
  if (kind == AgentFile::Info) {
    if (error.empty() && !content.empty()) error = NotFoundPageText("", content, source, false, "");
    if (error.empty() && !content.empty()) {
      DWORD code = 0;
      ok = WriteFileData(target, content, 0, WriteMode::Create, &code);
      if (!ok) error = "Unable to write " + target + " <P>" + LastErrorText(code);
    }
    // Nothing published at that address is no error for the info file.
    if (!error.empty() && error[0] == '3') error.clear();
    return ok;
  }
  if (error.empty() && wrote) {
    ok = true;
    if (!TokenMatches(target, kind)) {
      ok = false;
      const std::string message = NotFoundPageText(target, "", source, false, "Bad Secret Token!");
      DeleteFileA(target.c_str());
      TraceLine() << " DownloadFileAU: token differs, deleted " << target;
      ShowAgentError(message);
    }
  } else if (!error.empty() && source.size() > 2 && NewSetup::RequestConfirmationBeforeDownload()) {
    const std::string text =
        error == "Download Aborted" ? AgentText("s3", "File Download Aborted!")
        : source[1] == ':'          ? AgentText("s4", "File not Found!") + "<P><P>" + source
                                    : AgentText("s5", "Unable to Download File!") + "<P><P>" + source;
    WarningBox(nullptr, text, MsgBox::Attention(), MsgBox::BtnText(), MsgBox::CharSet(), 0);
  }
  if (!error.empty()) TraceLine() << " DownloadFileAU: " << error;
  return ok;
}

bool PerformAutoInform() {
  TraceLine() << " ==== PerformAutoInform-1 ====";
  const std::string base = NewSetup::DownloadURL_UPDATE();
  const std::string name = AutoInform::NameOfInformFile();
  if (base.empty() || name.empty()) return false;
  TraceLine() << " ==== PerformAutoInform-2 ====";
  AgentState = 2;
  NotifyListener(41, 1);
  std::string error;
  const bool fetched = DownloadFileAU(base, name, AgentFile::Inform, error);
  NotifyListener(41, 2);
  if (!fetched) return false;
  const std::string file = ExeDir(true) + FileNameOfPath(name);
  VerifiedFile held;
  if (VerifyAgentFile(base, file, AutoInform::SizeOfInformFile(), &held) == TakenFile::Refused)
    return false;
  TraceLine() << " ==== PerformAutoInform-3 ====";
  const std::string body =
      ReadInformText(ReadFilePart(file, 0, 0), OwnInfo->UpdateToken(false)).body;
  const bool shown =
      InfoWindow(StubWindow.window, AgentText("s34", "New Version"), AgentText("s35", "Download"),
                 body, AutoInform::DownloadURL_INFORM(), AutoInform::AutoInformW(),
                 AutoInform::AutoInformH(), false, MsgBox::FontName(), MsgBox::FontSize(),
                 MsgBox::CharSet());
  if (shown) OriginalSetup::SetVersionOriginal(NewSetup::VersionNew());
  TraceLine() << " ==== PerformAutoInform-4 ====";
  return shown;
}

bool PerformAutoUpdate() {
  const UpdateTraceEnd trace_end;
  TraceLine() << " ==== PerformAutoUpdate-4 ====";
  const std::string base = NewSetup::DownloadURL_UPDATE();
  const std::string update_name = NewSetup::NameOfUpdateFile();
  if (base.empty() || update_name.empty()) return false;

  TraceLine() << " ==== PerformAutoUpdate-5 ====";
  const std::string program_name = NewSetup::ProgramName();
  const bool confirm_download = NewSetup::RequestConfirmationBeforeDownload() && CheckMode != 1;
  const bool confirm_install = NewSetup::RequestConfirmationBeforeInstall();
  const std::string question = DownloadQuestion(AgentText("s11", ""), AgentText("s12", ""),
                                                AgentText("s13", ""), confirm_install, program_name);
  if (confirm_download &&
      !AskYesNo(nullptr, question, MsgBox::Confirm(), MsgBox::BtnText(), MsgBox::CharSet()))
    return false;

  TraceLine() << " ==== PerformAutoUpdate-6 ====";
  AgentState = 2;
  NotifyListener(41, 1);
  std::string error;
  bool ok = DownloadFileAU(base, update_name, AgentFile::Update, error);
  NotifyListener(41, 2);
  const std::string setup_file = ExeDir(true) + FileNameOfPath(update_name);
  // Held until the setup has run: nobody can change the checked bytes before they are read.
  VerifiedFile held;
  if (ok && VerifyAgentFile(base, setup_file, NewSetup::SizeOfUpdateFile(), &held) ==
                TakenFile::Refused)
    return false;
  if (ok && confirm_install && CheckMode != 1)
    ok = AskYesNo(nullptr, WithProgramName(AgentText("s14", ""), program_name), MsgBox::Confirm(),
                  MsgBox::BtnText(), MsgBox::CharSet());
  if (!ok) return false;

  TraceLine() << " ==== PerformAutoUpdate-7 ====";
  SetInstallFolders(Directories::TargetDir(), Directories::SharedDir(),
                    Directories::AuxiliaryDir());
  const std::string program = ExpandMacros(NewSetup::RunningProcess(), "\\", true, true);
  const bool was_running = IsProcessRunning(program);
  TraceLine() << " RunningProcess=" << program << " running=" << TraceBool(was_running);
  const ShutDown method = ParseShutDown(NewSetup::ShutDownMethod());
  if (method == ShutDown::AskUser) {
    const std::string message = WithProgramName(AgentText("s15", ""), FileNameOfPath(program));
    while (IsProcessRunning(program))
      WarningBox(nullptr, message, MsgBox::Attention(), MsgBox::BtnText(), MsgBox::CharSet(), 0);
  }

  TraceLine() << " ==== PerformAutoUpdate-8 ====";
  StopProgram(program, method);

  TraceLine() << " ==== PerformAutoUpdate-9 ====";
  const bool stopped = was_running && !IsProcessRunning(program);
  const bool restart = NewSetup::RestartProcess() && stopped;
  const std::string arguments = OriginalInfoArgument(InfoFilePath());
  AgentState = 3;
  NotifyListener(42, 1);

  TraceLine() << " ==== PerformAutoUpdate-10 ====";
  const std::string folder = SetupTempDir();
  ok = !folder.empty() && RunSetup(StubWindow.window, folder, setup_file, OwnInfo->AgentExeName(),
                                   arguments, !NewSetup::BackgroundUpdate());
  RemoveSetupTempDir();
  held.Release();

  TraceLine() << " ==== PerformAutoUpdate-11 ====";
  NotifyListener(42, 2);
  if (ok) OriginalSetup::SetVersionOriginal(NewSetup::VersionNew());
  DeleteFileA(setup_file.c_str());
  const std::string message = WithProgramName(AgentText("s16", ""), program_name);
  bool proceed = true;
  switch (DecideFinishNotice(ok, NewSetup::InformFinish(), CheckMode == 1, restart)) {
    case FinishNotice::AskRestart:
      proceed = AskYesNo(BOX_OWNER_ACTIVE, message + AgentText("s17", ""), MsgBox::Confirm(),
                         MsgBox::BtnText(), MsgBox::CharSet());
      break;
    case FinishNotice::Tell:
      WarningBox(BOX_OWNER_ACTIVE, message, MsgBox::Attention(), MsgBox::BtnText(),
                 MsgBox::CharSet(), 0);
      break;
    case FinishNotice::None:
      break;
  }
  // Also after a failed run: the user gets back the program the agent stopped.
  if (restart && proceed) StartProgram(program);
  return ok;
}

void RestartAgentTransient() {
  if (StopCountdown > 0) return;
  const std::string exe = ExeDir(true) + OwnInfo->AgentExeName();
  const std::string line =
      AgentRestartCommand(ExeDir(true), OwnInfo->AgentExeName(), OverrideListText());
  TraceLine() << " RestartAgentTransient: " << line;
  // The program is named apart from its line: with a blank in the folder, the line alone would
  // let a shorter path ("C:\Program.exe") be started in its place.
  DWORD error = 0;
  if (!StartHiddenProcess(exe, line, "", 0, nullptr, &error))
    TraceLine() << " RestartAgentTransient: " << LastErrorText(error);
  PostQuitMessage(0);
}

void PerformShot() {
  TraceLine() << " Fire  " << DateTimeText(LocalNow());
  IsTestMode(true);
  bool done = false;
  AgentState = 1;
  NotifyListener(40, 1);
  std::string error;
  const std::string info_file = InfoFilePath();
  bool info_ok =
      !info_file.empty() && DownloadFileAU(OwnInfo->UpdateInfoUrl(), info_file, AgentFile::Info, error);
  NotifyListener(40, 2);
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
    TraceLine() << " ==== PerformShot-1 ====";
    done = true;
    OriginalSetup::SetReAskSecondsLast(SecondsNow());
    OriginalSetup::SetStamp(NewSetup::Stamp());
    if (General::AutoInform() == 1)
      PerformAutoInform();
    else if (PerformAutoUpdate())
      RestartAgentTransient();
    TraceLine() << " ==== PerformShot-2 ====";
  }
  if (CheckMode == 1) {
    WaitPumping(1000, 0);
    if (StubWindow.window) ShowWindow(StubWindow.window, SW_HIDE);
    if (!done) {
      const bool connected = InternetConnected();
      TraceLine() << " TestMode=" << TraceBool(TestMode)
                  << " InternetConnected=" << TraceBool(connected);
      if (!TestMode && !connected)
        ShowAgentError(AgentText("s2", ""));
      else if (!TestMode && !error.empty())
        ShowAgentError(error);
      else
        WarningBox(BOX_OWNER_ACTIVE, AgentText("s21", "") + "   (" + IntText(level) + ")   ",
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
  AgentState = 0;
  if (CheckMode == 2) CheckMode = 1;
  if (CheckMode == 1) AutoUpdateTimerCount = 0;  // an interactive check is not delayed
  if (StopCountdown == 0) PostQuitMessage(0);
  if (StopCountdown >= 0) --StopCountdown;
  ++AutoUpdateTimerCount;
  TraceLine() << " AutoUpdateTimerCount=" << AutoUpdateTimerCount;
  if (AutoUpdateTimerCount <= 0) return;
  IsTestMode(false);
  int status = GetShotTimeStatus();
  TraceLine() << " ShotTimeStatus=" << status;
  if (status == 2) FirstShot = false;
  if (status > 0 && (CheckMode == 1 || OverrideSlot(0) == 1)) ConfirmManualCheck(status);
  if (status > 0) PerformShot();
  if (CheckMode == 1) CheckMode = 0;
}

LRESULT AgentCommand(WPARAM code, LPARAM argument) {
  // Results and arguments are 32-bit on every build, as for a 32-bit caller.
  const std::int32_t arg = std::int32_t(argument);
  auto result = [](std::int64_t value) { return LRESULT(std::int32_t(value)); };
  switch (code) {
    case 4: return result(OriginalSetup::VersionOriginal());
    case 5: return result(NewSetup::VersionNew());
    case 7: return result(AgentState);
    case 8: return result(OriginalSetup::ProbeSecondsInterval());
    case 9: return result(OriginalSetup::ReAskSecondsInterval());
    case 10: return result(OriginalSetup::ProbeSecondsLast());
    case 11: return result(OriginalSetup::ReAskSecondsLast());
    case 12: OriginalSetup::SetProbeSecondsInterval(arg); break;
    case 13: OriginalSetup::SetReAskSecondsInterval(arg); break;
    case 14: OriginalSetup::SetProbeSecondsLast(arg); break;
    case 15: OriginalSetup::SetReAskSecondsLast(arg); break;
    case 20: case 21: case 22: case 23: case 24: case 25:
      SetOverrideSlot(int(code) - 20, std::uint8_t(arg));
      break;
    case 30: StopCountdown = arg; break;
    case 31:
      // Only flags: the check itself runs in the next tick, never inside this message.
      ForceShot = true;
      if (arg == 2) CheckMode = 2;
      break;
    default: break;
  }
  return 0;
}
