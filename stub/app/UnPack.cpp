#include "app/UnPack.h"

#include <exception>
#include <new>

#include "app/InternetSetup.h"
#include "app/SetupLaunch.h"
#include "app/StubGlob.h"
#include "app/StubState.h"
#include "app/StubWin.h"
#include "rules/ExtractRules.h"
#include "win/Files.h"
#include "win/Trace.h"
#include "win/Utils.h"
#include "win/WMsgBox.h"

namespace {

const char kDefaultButtons[] = "|&OK|&Cancel|&Yes|&No|&Abort|&Retry|&Ignore|";
const char kDefaultChecksumError[] =
    "Bad CRC!<P>This indicates that your setup file might be corrupted...";
const char kSpanDiskKey[] = "HKEY_CURRENT_USER\\Software\\Morvath\\Wexlin\\SpanDisk";

bool job_running = false;
bool stop_requested = false;

// Marks the job as under way for its whole run, whichever way it ends.
class JobScope {
 public:
  JobScope() {
    job_running = true;
    stop_requested = false;
  }
  ~JobScope() { job_running = false; }
  JobScope(const JobScope&) = delete;
  JobScope& operator=(const JobScope&) = delete;
};

std::string Buttons() { return OwnInfo->LangText("BtnText", kDefaultButtons); }

}  // namespace

bool SetupJobRunning() { return job_running; }
void RequestSetupJobStop() {
  if (job_running) stop_requested = true;
}
bool SetupJobStopRequested() { return stop_requested; }

void ShowJobError(HWND window, const std::string& text) {
  TraceLine() << " SetupJob error: " << text;
  ErrorBox(window, text, OwnInfo->LangText("Error", "Error"), Buttons(), OwnInfo->Charset());
}

void ShowChecksumError(HWND window) {
  ErrorBox(window, OwnInfo->LangText("s7", kDefaultChecksumError),
           OwnInfo->LangText("Error", "Error"), Buttons(), OwnInfo->Charset());
}

bool ConfirmSpace(HWND window, const std::string& extraction_folder, const TGFileInfo& archive) {
  const double needed = archive.SpaceNeededFor(extraction_folder);
  const double free_bytes = FreeSpace(extraction_folder);
  TraceLine() << " SpaceReq=" << IntText(std::int64_t(needed))
              << " SpaceAvail=" << IntText(std::int64_t(free_bytes))
              << " ConfirmExtract=" << TraceBool(archive.ConfirmExtract());
  SpaceTexts texts;
  texts.extract_to = OwnInfo->LangText("s2", "Wexlin will extract files to your Temp Drive (<DRIVE>)<P>");
  texts.limited = OwnInfo->LangText("s3", "Limited Free Space on your Temp Drive! (<DRIVE>)<P>");
  texts.required = OwnInfo->LangText(
      "s4", "<P>Estimated space required on your Temp drive is: <T>  <SPACE_REQ> MB<P>");
  texts.available =
      OwnInfo->LangText("s5", "Free space available on your Temp drive is: <T>  <SPACE_AVAIL> MB<P>");
  texts.continue_ask = OwnInfo->LangText("s6", "<P>Continue with Setup?<P>");
  const std::string question =
      SpaceQuestionText(texts, extraction_folder, needed, free_bytes, archive.ConfirmExtract());
  if (question.empty()) return true;
  return AskYesNo(window, question, OwnInfo->LangText("Confirm", "Confirm"), Buttons(),
                  OwnInfo->Charset());
}

bool RunSetup(HWND window, const std::string& extraction_folder,
              const std::string& archive_path, const std::string& agent_name,
              const std::string& command_text, bool foreground) {
  const TGFileInfo archive(archive_path);
  if (archive.ShowActivityBar() && StubWindow.activity)
    ShowWindow(StubWindow.activity, SW_SHOW);
  SetStatusText(StubWindow.status, OwnInfo->LangText("s1", "\xD5\xFD\xCC\xE1\xC8\xA1\xCE\xC4\xBC\xFE..."),
                OwnInfo->FontName(), OwnInfo->FontSize(), OwnInfo->Charset());
  std::string folder = extraction_folder;
  if ((SpaceIsShort(archive.SpaceNeededFor(folder), FreeSpace(folder)) || !FolderExists(folder)) &&
      FindBestTempBase()) {
    const std::string work = WorkTempDir();
    if (!work.empty()) folder = work;
  }
  TraceLine() << "========= ForegroundOp=" << TraceBool(foreground) << " ==========";
  bool success = false;
  if (!foreground || ConfirmSpace(window, folder, archive)) {
    UnpackRequest request;
    request.owner = window;
    request.archive_path = archive_path;
    request.target_folder = folder;
    request.agent_name = agent_name;
    request.progress = ProgressBarsCallback;
    request.disk_prompt = OwnInfo->LangText(
        "s8", "Please insert <B>DISK #<DISK_NUM></B> and press OK to continue");
    request.prompt_title = OwnInfo->LangText("Attention", "Attention");
    request.button_texts = Buttons();
    request.charset = OwnInfo->Charset();
    request.force_prompt = RegReadText(kSpanDiskKey, "ForcePrompt", "0") == "1";
    if (foreground) ShowWindow(window, SW_SHOW);
    WaitPumping(1000, 0);
    const UnpackResult result = UnpackArchive(request);
    WaitPumping(1000, 0);
    switch (result.end) {
      case UnpackEnd::Extracted:
        if (!result.setup_entry.empty())
          success = LaunchSetup(window, folder, result.setup_entry, command_text, foreground);
        else
          TraceLine() << " No setup entry in the archive";
        break;
      case UnpackEnd::BadChecksum:
        ShowChecksumError(window);
        break;
      case UnpackEnd::Failed:
        ShowJobError(window, result.error);
        break;
      case UnpackEnd::Cancelled:
      case UnpackEnd::Stopped:
        TraceLine() << " Extraction ended by the user";
        break;
    }
  }
  RemoveWorkTempDir();
  return success;
}

void SetupJob(HWND window) {
  KillTimer(window, kStartTimerId);
  {
    const JobScope scope;
    try {
      const std::string folder = SetupTempDir();
      TraceLine() << " SetupTempDir=" << folder;
      if (folder.empty()) {
        ShowJobError(window, SetupTempDirStem() + "<P><P>Unable to create Directory!<P><P>" +
                                 LastErrorText());
      } else if (OwnInfo->InternetSetup()) {
        RunInternetSetup(window, folder);
      } else {
        const std::string agent = OwnInfo->WriteAgent() ? OwnInfo->AgentExeName() : std::string();
        std::string archive_path = SwitchValue("/SpanDiskFName1=");
        if (archive_path.empty()) archive_path = OwnExePath();
        const bool hidden = HasSwitch("/hide") || OwnInfo->RunHidden();
        RunSetup(window, folder, archive_path, agent, CommandTail(), !hidden);
      }
    } catch (const std::bad_alloc&) {
      ShowJobError(window, "Out of memory.");
    } catch (const std::exception& e) {
      ShowJobError(window, e.what());
    }
  }
  // Only once the job (and the setup program it waited for) has ended.
  RemoveSetupTempDir();
  PostQuitMessage(0);
}
