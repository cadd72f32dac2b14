// AgentProtocol: the numbers and texts that the stub and the programs around it exchange, in
// one place for the stub, the listener programs and the tests: the remote-control window
// messages, the command codes of kMsgCommand, the notifications posted to a registered
// listener, the check levels, and the trace lines that mark the stages of a run.
#pragma once

#include <string>

// The first message number free for a window class's own use (the system's WM_USER).
constexpr unsigned kWindowMessageUser = 0x0400;

// Remote control of a running stub window (1123, 1124, 1125).
// wparam: the ticks until the agent ends.
constexpr unsigned kMsgStopCountdown = kWindowMessageUser + 99;
// wparam: the listener's window, lparam: the message it is posted notifications with.
constexpr unsigned kMsgRegisterListener = kWindowMessageUser + 100;
// wparam: an AgentCommandCode, lparam: its argument; the result is the command's value.
constexpr unsigned kMsgCommand = kWindowMessageUser + 101;

// The commands of kMsgCommand. Reading commands return the value as a 32-bit number; writing
// commands take it as the argument and return 0.
enum class AgentCommandCode : int {
  VersionOriginal = 4,
  VersionNew = 5,
  AgentState = 7,  // an AgentActivity
  ProbeSecondsInterval = 8,
  ReAskSecondsInterval = 9,
  ProbeSecondsLast = 10,
  ReAskSecondsLast = 11,
  SetProbeSecondsInterval = 12,
  SetReAskSecondsInterval = 13,
  SetProbeSecondsLast = 14,
  SetReAskSecondsLast = 15,
  SetOverrideSlot0 = 20,  // 20 + slot for the six override slots 0..5
  SetOverrideSlot5 = 25,
  SetStopCountdown = 30,
  CheckNow = 31,  // a check in the next tick; argument kCheckNowInteractive: an interactive one
};
constexpr int kCheckNowInteractive = 2;

// What the agent is doing, as command AgentState answers.
enum class AgentActivity : int { Idle = 0, FetchingInfo = 1, FetchingFile = 2, RunningSetup = 3 };

// The notifications posted to a registered listener: wparam the notice, lparam its value.
enum class AgentNotice : int {
  InfoDownload = 40,     // kNoticeBegins / kNoticeEnds around the info file's download
  FileDownload = 41,     // the same around the update or inform file's download
  SetupRun = 42,         // the same around the update's setup run
  WindowEnd = 43,        // the stub window's message loop has ended (value 0)
  TransientWindow = 50,  // the transient copy's window (value: its handle)
  CommandMessage = 51,   // the message its commands are sent with (value: kMsgCommand)
};
constexpr int kNoticeBegins = 1;
constexpr int kNoticeEnds = 2;

// The check levels that CheckLevel climbs (AgentRules.h); only the last offers the update.
constexpr int kLevelOffered = 6;

// Trace lines that mark the stages of a run, as the trace viewer and the tests look for them.
constexpr char kTraceStubStart[] = " ==== STUB START ====> ";
constexpr char kTraceStubEnd[] = " ==== STUB END ====> ";
constexpr char kTraceStubFailed[] = " ==== STUB FAILED ====>";
constexpr char kTraceRunMode[] = " RunMode=";
constexpr char kTraceTimerCount[] = " AutoUpdateTimerCount=";
constexpr char kTraceStopCountdown[] = " StopCountdown=";
constexpr char kTraceShotTimeStatus[] = " ShotTimeStatus=";
constexpr char kTraceCheckLevel[] = " GetOkToPerformAU=";
constexpr char kTraceDownloadFile[] = " DownloadFileAU: ";
constexpr char kTraceRestartAgent[] = " RestartAgentTransient: ";
// The numbered stages of a check and of the runs that follow it: " ==== PerformShot-1 ====".
constexpr char kStagePerformShot[] = "PerformShot";
constexpr char kStagePerformAutoInform[] = "PerformAutoInform";
constexpr char kStagePerformAutoUpdate[] = "PerformAutoUpdate";
inline std::string StageLine(const char* job, int step) {
  return std::string(" ==== ") + job + "-" + std::to_string(step) + " ====";
}
