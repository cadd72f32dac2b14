// The stub's copies of itself, their batch, and the remote control of a running transient copy.
// Every step that can fail leaves a trace line; the agent then simply ends and its next start
// tries again.
#include "app/StubSetup.h"

#include <algorithm>
#include <cstdint>
#include <vector>

#include "app/AgentCommands.h"
#include "app/AgentListener.h"
#include "app/AgentSettings.h"
#include "app/JobBoxes.h"
#include "app/StubGlob.h"
#include "app/StubState.h"
#include "rules/AgentProtocol.h"
#include "rules/CopyRules.h"
#include "rules/RunMode.h"
#include "rules/SelfDeleteBatch.h"
#include "win/Files.h"
#include "win/HiddenStart.h"
#include "win/Owners.h"
#include "win/Process.h"
#include "win/SelfDelete.h"
#include "win/Trace.h"
#include "win/Utils.h"

namespace {

// How long the agent waits for its new copy's window when it was started with switches, and for
// the copy's window before it posts commands: a stub needs about a second to open its window.
constexpr DWORD kNewCopyWindowMs = 3000;
constexpr DWORD kCommandWindowMs = 6000;
// A copy told to stop ends at its next tick (a second), unless a tick is busy (a download, a
// setup): that long and it counts as not ending.
constexpr DWORD kOldCopyEndMs = 15000;
// The old copy's batch deletes its file at its first try; the interpreter takes a moment to
// start, and a try is repeated every second.
constexpr DWORD kOldBatchMs = 15000;
// A copy's file without a running copy: its batch is between two tries, or it was left behind
// (a crash); the wait is short for the second case.
constexpr DWORD kLeftCopyMs = 4000;
// "/WAIT=" is a number from the command line; an absurd value must not keep the agent forever.
constexpr std::int64_t kMaxWaitSeconds = 600;

// Whether this start made a new transient copy: it gets the countdown of a fresh copy.
bool made_new_copy = false;

std::string TransientCopyPath() { return ExeDir(true) + TransientCopyName(OwnFileName()); }
std::string TransientClass() { return TransientWindowClass(OwnInfo->AgentExeName()); }

DWORD Elapsed(DWORD t0) { return GetTickCount() - t0; }

// The copy's window, waiting for it (serving messages) when it is not there yet.
HWND WaitForClassWindow(const std::string& cls, DWORD milliseconds, HANDLE process = nullptr) {
  const DWORD t0 = GetTickCount();
  for (;;) {
    if (const HWND window = FindWindowA(cls.c_str(), nullptr)) return window;
    if (process && WaitForSingleObject(process, 0) == WAIT_OBJECT_0) return nullptr;
    if (Elapsed(t0) >= milliseconds) return nullptr;
    PumpMessages(100);
  }
}

// The process of the running transient copy: the owner of its window, or, before it has one,
// the process started from its file; 0 when none runs.
DWORD RunningCopyProcess(const std::string& cls, const std::string& copy_path) {
  if (const HWND window = FindWindowA(cls.c_str(), nullptr)) {
    DWORD pid = 0;
    GetWindowThreadProcessId(window, &pid);
    if (pid) return pid;
  }
  return FindProcess(copy_path, true);
}

// "/_ZZ=99" with a copy running: the copy is told to end (stop countdown 0: it ends at its next
// tick, never in the middle of one), and the file is free only once its process has ended and
// its batch has deleted the file and then itself. A new file written before that batch is done
// could be deleted by the batch's next try, so the batch's own file is waited for too.
bool EndRunningCopy(DWORD pid, const std::string& cls, const std::string& copy_path) {
  TraceLine() << " CreateAndRun_X_Exe: ending the running copy, process " << pid;
  const OwnedHandle process(OpenProcess(SYNCHRONIZE, FALSE, pid));
  bool told = false, ended = false;
  const DWORD t0 = GetTickCount();
  for (;;) {
    if (!told) {
      if (const HWND window = FindWindowA(cls.c_str(), nullptr))
        told = PostMessageA(window, kMsgStopCountdown, 0, 0) != FALSE;
    }
    ended = process ? WaitForSingleObject(process.get(), 0) == WAIT_OBJECT_0 : !IsPidAlive(pid);
    if (ended || Elapsed(t0) >= kOldCopyEndMs) break;
    PumpMessages(100);
  }
  if (!ended) {
    TraceLine() << " CreateAndRun_X_Exe: FAILED, the running copy did not end";
    return false;
  }
  const std::string batch = TempDir(true) + SelfDeleteBatchName(pid);
  const DWORD t1 = GetTickCount();
  while ((FileExists(copy_path) || FileExists(batch)) && Elapsed(t1) < kOldBatchMs)
    PumpMessages(100);
  if (FileExists(copy_path)) {
    TraceLine() << " CreateAndRun_X_Exe: FAILED, the old copy's file is still there";
    return false;
  }
  // The file is gone but the batch never finished: it did not run (a running one would have
  // deleted itself right after the file).
  if (FileExists(batch)) TraceLine() << " CreateAndRun_X_Exe: the old copy's batch is left: " << batch;
  return true;
}

// Copies the own file to path, replacing a file there; true when the copy holds every byte.
bool CopyOwnFile(const std::string& path, const char* who) {
  const std::string own = OwnExePath();
  if (!CopyFileA(own.c_str(), path.c_str(), FALSE)) {
    const DWORD code = GetLastError();
    TraceLine() << " " << who << ": FAILED to copy to " << path << ": " << LastErrorText(code);
    return false;
  }
  const std::uint32_t size = FileSizeOf(own), written = FileSizeOf(path);
  if (size == 0 || written != size) {
    TraceLine() << " " << who << ": FAILED, " << path << " holds " << written << " of " << size
                << " bytes";
    return false;
  }
  return true;
}

UINT MessageOf(RemoteMessage message) {
  switch (message) {
    case RemoteMessage::StopCountdown: return kMsgStopCountdown;
    case RemoteMessage::RegisterListener: return kMsgRegisterListener;
    case RemoteMessage::Command: return kMsgCommand;
  }
  return 0;
}

}  // namespace

void CreateAndRun_X_Exe() {
  const std::string zz = SwitchValue("/_ZZ=");
  TraceLine() << " CreateAndRun_X_Exe-1 " << zz;
  if (!IsAutoUpdateProg) return;
  const std::string cls = TransientClass();
  const std::string copy_path = TransientCopyPath();
  // A copy counts as running from its start, not only once its window is up: two quick agent
  // starts must not both write the file.
  const DWORD running = RunningCopyProcess(cls, copy_path);
  if (running && zz != "99") {
    TraceLine() << " CreateAndRun_X_Exe: the transient copy runs, process " << running;
    return;
  }
  if (!IsAgentOwnName(OwnFileName(), OwnInfo->AgentExeName())) return;
  TraceLine() << " CreateAndRun_X_Exe-2";
  const std::int64_t wait = std::max<std::int64_t>(0, std::min(SwitchInt("/WAIT=", 0), kMaxWaitSeconds));
  if (wait > 0) WaitPumping(DWORD(wait * 1000), 0);
  // Whichever copy ran when this start was decided, the one running now is the one to end.
  const DWORD old_copy = RunningCopyProcess(cls, copy_path);
  if (old_copy && !EndRunningCopy(old_copy, cls, copy_path)) return;
  // A copy that has just ended (an update's restart) leaves its file to its batch, whose next
  // try would delete a new copy written there now: give the batch its moment first.
  if (!old_copy && FileExists(copy_path)) {
    const DWORD t0 = GetTickCount();
    while (FileExists(copy_path) && Elapsed(t0) < kLeftCopyMs) PumpMessages(100);
    if (FileExists(copy_path)) TraceLine() << " CreateAndRun_X_Exe: replacing a left copy";
  }
  if (!CopyOwnFile(copy_path, "CreateAndRun_X_Exe")) return;
  const std::string args = TransientCopyArguments(CommandTail());
  OwnedHandle process;
  DWORD error = 0;
  if (!StartHiddenProcess(copy_path, "\"" + copy_path + "\"" + args, ExeDir(false), 0, &process,
                          &error)) {
    TraceLine() << " CreateAndRun_X_Exe: FAILED to start " << copy_path << ": "
                << LastErrorText(error);
    return;
  }
  made_new_copy = true;
  TraceLine() << " CreateAndRun_X_Exe: started " << copy_path << args << ", process "
              << GetProcessId(process.get());
  if (CommandTail().empty()) return;
  // Commands follow: they need the copy's window.
  if (WaitForClassWindow(cls, kNewCopyWindowMs, process.get()))
    TraceLine() << " CreateAndRun_X_Exe: the copy runs";
  else if (WaitForSingleObject(process.get(), 0) == WAIT_OBJECT_0)
    TraceLine() << " CreateAndRun_X_Exe: FAILED, the copy ended at once";
}

void SendCommands(bool copy_was_running) {
  TraceLine() << " SendCommands copy running=" << TraceBool(copy_was_running);
  const std::vector<RemotePost> posts =
      RemoteCommandPosts(CommandTail(), !copy_was_running || made_new_copy);
  if (!posts.empty()) {
    const std::string copy_path = TransientCopyPath();
    // A copy started a moment ago has no window yet; posts to nothing would be lost.
    const HWND window = FileExists(copy_path) ? WaitForClassWindow(TransientClass(), kCommandWindowMs)
                                              : nullptr;
    if (!window) {
      TraceLine() << " SendCommands: no transient copy runs from " << copy_path;
    } else {
      for (const RemotePost& post : posts) {
        const UINT message = MessageOf(post.message);
        PostMessageA(window, message, WPARAM(post.w_param), LPARAM(post.l_param));
        TraceLine() << " SendCommands: " << message << " " << post.w_param << " " << post.l_param;
      }
    }
  }
  ApplyTransientOverrides();
}

void ApplyTransientOverrides() {
  const std::string list = SwitchValue("/TRANSIENTx=");
  if (list.empty()) return;
  ApplyOverrideList(list);
  TraceLine() << " TRANSIENTx=" << OverrideListText();
}

void SpanCdHandOver() {
  unsigned long code = 0;
  const std::string folder = SetupTempDir(&code);
  if (folder.empty()) {
    ShowJobError(nullptr, SetupTempDirStem() + "<P><P>Unable to create Directory!<P><P>" +
                              LastErrorText(code));
    return;
  }
  const std::string copy = FixTrailingBackslash(folder, true) + SpanCdCopyName(OwnFileName());
  const std::string command =
      "\"" + copy + "\" " + SpanCdCopyArguments(CommandTail(), OwnExePath());
  TraceLine() << " SpanCdHandOver: " << command;
  if (!CopyOwnFile(copy, "SpanCdHandOver")) {
    ShowJobError(nullptr, copy + "<P><P>Unable to copy the setup to the temporary folder!");
    RemoveSetupTempDir();
    return;
  }
  DWORD error = 0;
  // The copy runs in its own folder: a current folder on the medium would hold the disc.
  if (!StartHiddenProcess(copy, command, folder, 0, nullptr, &error)) {
    ShowJobError(nullptr, copy + "<P><P>Unable to start the setup!<P><P>" + LastErrorText(error));
    RemoveSetupTempDir();
  }
}

void SelfDeleteBatch(bool remove_folder, bool short_names) {
  const bool started = WriteAndStartSelfDeleteBatch(OwnExePath(), remove_folder, short_names);
  TraceLine() << " SelfDeleteBatch remove folder=" << TraceBool(remove_folder)
              << " short names=" << TraceBool(short_names) << " started=" << TraceBool(started);
}

void RemoteStopCountdown(WPARAM count) {
  StopCountdown = std::int32_t(count);
  TraceLine() << kTraceStopCountdown << StopCountdown;
}

void RemoteRegisterListener(WPARAM listener_window, LPARAM listener_message) {
  ListenerWindow = reinterpret_cast<HWND>(listener_window);
  ListenerMessage = UINT(listener_message);
  TraceLine() << " Listener=" << listener_window << ":" << ListenerMessage;
  NotifyListener(AgentNotice::TransientWindow, reinterpret_cast<LPARAM>(StubWindow.window));
  NotifyListener(AgentNotice::CommandMessage, kMsgCommand);
}

LRESULT RemoteCommand(WPARAM command, LPARAM argument) {
  TraceLine() << " RemoteCommand " << command << " " << std::int32_t(argument);
  return AgentCommand(command, argument);
}
