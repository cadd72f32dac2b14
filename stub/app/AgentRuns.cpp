#include "app/AgentRuns.h"

#include "app/AgentDownload.h"
#include "app/AgentListener.h"
#include "app/AgentSettings.h"
#include "app/AgentState.h"
#include "app/RunSetup.h"
#include "app/StubGlob.h"
#include "app/StubProgress.h"
#include "app/StubState.h"
#include "app/UpdateSignature.h"
#include "format/InformFile.h"
#include "rules/AgentProtocol.h"
#include "rules/AgentRules.h"
#include "rules/UpdateRules.h"
#include "win/Files.h"
#include "win/Global.h"
#include "win/HiddenStart.h"
#include "win/InfoWindow.h"
#include "win/Owners.h"
#include "win/Process.h"
#include "win/Trace.h"
#include "win/Utils.h"
#include "win/WMsgBox.h"

namespace {

// The last trace line of the update run, written on every way out.
class UpdateTraceEnd {
 public:
  UpdateTraceEnd() = default;
  ~UpdateTraceEnd() { TraceLine() << StageLine(kStagePerformAutoUpdate, 12); }
  UpdateTraceEnd(const UpdateTraceEnd&) = delete;
  UpdateTraceEnd& operator=(const UpdateTraceEnd&) = delete;
};

// Whether the waits of the update run must end now: a new "/STOP=" (its countdown changed),
// the first close of the agent (it aborts downloads) or a quit.
class WaitStop {
 public:
  bool operator()() const {
    MSG quit;
    return StopCountdown != countdown_ || DownloadAborted() ||
           PeekMessageA(&quit, nullptr, WM_QUIT, WM_QUIT, PM_NOREMOVE);
  }

 private:
  std::int32_t countdown_ = StopCountdown;
};

// While it lives, a box of this thread is closed as soon as the wait must stop: "/STOP=" is not
// held up by a question nobody answers.
class BoxesCloseOnStop {
 public:
  explicit BoxesCloseOnStop(const WaitStop& stop) : timer_(SetTimer(nullptr, 0, 250, Check)) {
    current = &stop;
  }
  ~BoxesCloseOnStop() {
    if (timer_) KillTimer(nullptr, timer_);
    current = nullptr;
  }
  BoxesCloseOnStop(const BoxesCloseOnStop&) = delete;
  BoxesCloseOnStop& operator=(const BoxesCloseOnStop&) = delete;

 private:
  static void CALLBACK Check(HWND, UINT, UINT_PTR, DWORD) noexcept {
    if (current && (*current)()) CloseThreadBoxes();
  }
  static const WaitStop* current;
  UINT_PTR timer_;
};
const WaitStop* BoxesCloseOnStop::current = nullptr;

// "Issue a Message Box": the user is asked until the program has gone, within the bound.
ProgramWait AskUntilClosed(const std::string& program, const std::string& message,
                           const WaitStop& stop) {
  const BoxesCloseOnStop closer(stop);
  const DWORD t0 = GetTickCount();
  for (;;) {
    if (stop()) return ProgramWait::Stopped;
    if (!IsProcessRunning(program)) return ProgramWait::Ended;
    const DWORD elapsed = GetTickCount() - t0;
    if (elapsed >= kProgramEndWaitMs) return ProgramWait::TimedOut;
    WarningBox(nullptr, message, MsgBox::Attention(), MsgBox::BtnText(), MsgBox::CharSet(),
               kProgramEndWaitMs - elapsed);
  }
}

// Stops the program as the info file says (matching its full path only), then waits for its
// end, serving messages, within the bound.
ProgramWait StopProgram(const std::string& program, ShutDown method, const WaitStop& stop) {
  switch (method) {
    case ShutDown::Close: CloseProgram(program, true); break;
    case ShutDown::Quit: QuitProgram(program, true); break;
    case ShutDown::Terminate: TerminateProgram(program, true); break;
    default: break;
  }
  if (!WaitsForProgramEnd(method)) return ProgramWait::Ended;
  return WaitForProcessEnd(program, kProgramEndWaitMs, stop);
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

// The one way out of an update run, whichever return or exception (out of memory) ends it: the
// downloaded setup is released and deleted, the extraction folder removed, and a program that
// was stopped is started again unless the user declined.
class UpdateRunEnd {
 public:
  UpdateRunEnd() = default;
  ~UpdateRunEnd() {
    try {
      held.Release();
      size_hold.Close();
      if (!setup_file.empty()) {
        SetFileAttributesA(setup_file.c_str(), FILE_ATTRIBUTE_NORMAL);
        DeleteFileA(setup_file.c_str());
      }
      if (extracting) RemoveSetupTempDir();
      if (restart) StartProgram(program);
    } catch (...) {
      TraceLine() << " Update run: clean-up failed";
    }
  }
  UpdateRunEnd(const UpdateRunEnd&) = delete;
  UpdateRunEnd& operator=(const UpdateRunEnd&) = delete;

  // Held until the setup has run: nobody can change the checked bytes before they are read.
  VerifiedFile held;
  // Without an update key: the setup held against writes at its announced size.
  OwnedHandle size_hold;
  std::string setup_file;  // set once the agent may have written it
  bool extracting = false;
  std::string program;
  bool restart = false;
};

// An unsigned setup, held against writers and deleters until it has run, must have exactly
// the announced size: the size probed before the download says nothing of what arrived.
bool HoldAtSize(const std::string& file, std::int64_t size, OwnedHandle* hold) {
  OwnedHandle opened(CreateFileA(file.c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr,
                                 OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr));
  LARGE_INTEGER actual{};
  if (!opened || !GetFileSizeEx(opened.get(), &actual)) return false;
  if (actual.QuadPart != size) {
    TraceLine() << " " << file << ": " << actual.QuadPart << " bytes, announced " << size;
    return false;
  }
  *hold = std::move(opened);
  return true;
}

}  // namespace

bool PerformAutoInform() {
  TraceLine() << StageLine(kStagePerformAutoInform, 1);
  const std::string base = NewSetup::DownloadURL_UPDATE();
  const std::string name = AutoInform::NameOfInformFile();
  if (base.empty() || name.empty()) return false;
  TraceLine() << StageLine(kStagePerformAutoInform, 2);
  AgentState = AgentActivity::FetchingFile;
  NotifyListener(AgentNotice::FileDownload, kNoticeBegins);
  TransferError error;
  const bool fetched = DownloadFileAU(base, name, AgentFile::Inform, error);
  NotifyListener(AgentNotice::FileDownload, kNoticeEnds);
  if (!fetched) return false;
  const std::string file = AgentDownloadDir() + FileNameOfPath(name);
  VerifiedFile held;
  if (VerifyAgentFile(base, file, AutoInform::SizeOfInformFile(), &held) == TakenFile::Refused)
    return false;
  TraceLine() << StageLine(kStagePerformAutoInform, 3);
  const std::string body =
      ReadInformText(ReadFilePart(file, 0, 0), OwnInfo->UpdateToken(false)).body;
  const std::string address = AutoInform::DownloadURL_INFORM();
  bool open_failed = false;
  const bool shown =
      InfoWindow(StubWindow.window, AgentText("s34", "New Version"), AgentText("s35", "Download"),
                 body, address, AutoInform::AutoInformW(), AutoInform::AutoInformH(), false,
                 MsgBox::FontName(), MsgBox::FontSize(), MsgBox::CharSet(), &open_failed);
  // The version stays until the news reached the user: the next due check brings it again.
  if (shown) OriginalSetup::SetVersionOriginal(NewSetup::VersionNew());
  if (open_failed) ShowAgentError("Unable to open<P><P>" + address);
  TraceLine() << StageLine(kStagePerformAutoInform, 4);
  return shown;
}

bool PerformAutoUpdate(bool* put_off) {
  if (put_off) *put_off = false;
  const UpdateTraceEnd trace_end;
  TraceLine() << StageLine(kStagePerformAutoUpdate, 4);
  const std::string base = NewSetup::DownloadURL_UPDATE();
  const std::string update_name = NewSetup::NameOfUpdateFile();
  if (base.empty() || update_name.empty()) return false;

  // The info file comes from a server: it may name for stopping only a program of the
  // installed product, and is refused before anything is fetched or stopped.
  SetInstallFolders(Directories::TargetDir(), Directories::SharedDir(),
                    Directories::AuxiliaryDir());
  const ShutDown method = ParseShutDown(NewSetup::ShutDownMethod());
  std::string program = ExpandMacros(NewSetup::RunningProcess(), "\\", true, true);
  const std::string target_dir = ExpandMacros(Directories::TargetDir(), "\\", true, true);
  if (!program.empty() && !IsInsideFolder(Dequote(program, true), target_dir)) {
    TraceLine() << " RunningProcess refused (outside " << target_dir << "): " << program;
    if (method != ShutDown::DontStop) return false;
    program.clear();  // neither stopped nor restarted
  }

  TraceLine() << StageLine(kStagePerformAutoUpdate, 5);
  const std::string program_name = NewSetup::ProgramName();
  const bool confirm_download = NewSetup::RequestConfirmationBeforeDownload() && CheckMode != 1;
  const bool confirm_install = NewSetup::RequestConfirmationBeforeInstall();
  const std::string question = DownloadQuestion(AgentText("s11", ""), AgentText("s12", ""),
                                                AgentText("s13", ""), confirm_install, program_name);
  if (confirm_download &&
      !AskYesNo(nullptr, question, MsgBox::Confirm(), MsgBox::BtnText(), MsgBox::CharSet()))
    return false;

  TraceLine() << StageLine(kStagePerformAutoUpdate, 6);
  AgentState = AgentActivity::FetchingFile;
  NotifyListener(AgentNotice::FileDownload, kNoticeBegins);
  UpdateRunEnd end;
  const std::string setup_file = AgentDownloadDir() + FileNameOfPath(update_name);
  end.setup_file = setup_file;
  TransferError error;
  bool ok = DownloadFileAU(base, update_name, AgentFile::Update, error);
  NotifyListener(AgentNotice::FileDownload, kNoticeEnds);
  if (ok && VerifyAgentFile(base, setup_file, NewSetup::SizeOfUpdateFile(), &end.held) ==
                TakenFile::Refused)
    return false;
  if (ok && !end.held.verified() &&
      !HoldAtSize(setup_file, NewSetup::SizeOfUpdateFile(), &end.size_hold)) {
    ShowAgentError(AgentText("s5", "Unable to Download File!") + "<P><P>" + setup_file);
    return false;
  }
  if (ok && confirm_install && CheckMode != 1)
    ok = AskYesNo(nullptr, WithProgramName(AgentText("s14", ""), program_name), MsgBox::Confirm(),
                  MsgBox::BtnText(), MsgBox::CharSet());
  if (!ok) return false;

  TraceLine() << StageLine(kStagePerformAutoUpdate, 7);
  const bool was_running = IsProcessRunning(program);
  TraceLine() << " RunningProcess=" << program << " running=" << TraceBool(was_running);
  const WaitStop stop;
  ProgramWait waited = ProgramWait::Ended;
  if (method == ShutDown::AskUser) {
    const std::string message = WithProgramName(AgentText("s15", ""), FileNameOfPath(program));
    waited = AskUntilClosed(program, message, stop);
  }

  TraceLine() << StageLine(kStagePerformAutoUpdate, 8);
  if (waited == ProgramWait::Ended) waited = StopProgram(program, method, stop);
  if (waited != ProgramWait::Ended) {
    TraceLine() << (waited == ProgramWait::TimedOut ? " Program still running, update put off: "
                                                    : " Told to stop, update put off: ")
                << program;
    if (put_off) *put_off = true;
    if (waited == ProgramWait::TimedOut && CheckMode == 1)
      ShowAgentError(WithProgramName(AgentText("s15", ""), FileNameOfPath(program)));
    return false;
  }

  TraceLine() << StageLine(kStagePerformAutoUpdate, 9);
  const bool stopped = was_running && !IsProcessRunning(program);
  const bool restart = NewSetup::RestartProcess() && stopped;
  end.program = program;
  end.restart = restart;
  const std::string arguments = OriginalInfoArgument(InfoFilePath());
  AgentState = AgentActivity::RunningSetup;
  NotifyListener(AgentNotice::SetupRun, kNoticeBegins);

  TraceLine() << StageLine(kStagePerformAutoUpdate, 10);
  end.extracting = true;
  const std::string folder = SetupTempDir();
  ok = !folder.empty() && RunSetup(StubWindow.window, folder, setup_file, OwnInfo->AgentExeName(),
                                   arguments, !NewSetup::BackgroundUpdate());
  end.extracting = false;
  RemoveSetupTempDir();
  end.held.Release();
  end.size_hold.Close();

  TraceLine() << StageLine(kStagePerformAutoUpdate, 11);
  NotifyListener(AgentNotice::SetupRun, kNoticeEnds);
  if (ok) OriginalSetup::SetVersionOriginal(NewSetup::VersionNew());
  DeleteFileA(setup_file.c_str());
  end.setup_file.clear();
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
  // Also after a failed run: the user gets back the program the agent stopped (at the end).
  end.restart = restart && proceed;
  return ok;
}

void RestartAgentTransient() {
  if (StopCountdown > 0) return;
  const std::string exe = ExeDir(true) + OwnInfo->AgentExeName();
  const std::string line =
      AgentRestartCommand(ExeDir(true), OwnInfo->AgentExeName(), OverrideListText());
  TraceLine() << kTraceRestartAgent << line;
  // The program is named apart from its line: with a blank in the folder, the line alone would
  // let a shorter path ("C:\Program.exe") be started in its place.
  DWORD error = 0;
  if (!StartHiddenProcess(exe, line, "", 0, nullptr, &error))
    TraceLine() << kTraceRestartAgent << LastErrorText(error);
  PostQuitMessage(0);
}
