#include "app/RunSetup.h"

#include "app/JobBoxes.h"
#include "app/SetupJobStop.h"
#include "app/SetupLaunch.h"
#include "app/StubGlob.h"
#include "app/StubProgress.h"
#include "app/StubState.h"
#include "app/UnpackArchive.h"
#include "format/GFileInfo.h"
#include "rules/ExtractRules.h"
#include "win/Files.h"
#include "win/Paced.h"
#include "win/Trace.h"
#include "win/Utils.h"

namespace {

const char kSpanDiskKey[] = "HKEY_CURRENT_USER\\Software\\Morvath\\Wexlin\\SpanDisk";

}  // namespace

bool RunSetup(HWND window, const std::string& extraction_folder,
              const std::string& archive_path, const std::string& agent_name,
              const std::string& command_text, bool foreground) {
  const TGFileInfo archive(archive_path);
  if (archive.ShowActivityBar() && StubWindow.activity)
    ShowWindow(StubWindow.activity, SW_SHOW);
  SetStatusText(StubWindow.status, StubWindow.status_font, OwnInfo->LangText("s1", "\xD5\xFD\xCC\xE1\xC8\xA1\xCE\xC4\xBC\xFE..."),
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
    request.progress = {ProgressBarsCallback, &SetupJobStopFlag()};
    request.disk_prompt = OwnInfo->LangText(
        "s8", "Please insert <B>DISK #<DISK_NUM></B> and press OK to continue");
    request.prompt_title = OwnInfo->LangText("Attention", "Attention");
    request.button_texts = JobButtons();
    request.charset = OwnInfo->Charset();
    request.force_prompt = RegReadText(kSpanDiskKey, "ForcePrompt", "0") == "1";
    if (foreground) ShowWindow(window, SW_SHOW);
    WaitPumping(Paced(1000), 0);
    const UnpackResult result = UnpackArchive(request);
    WaitPumping(Paced(1000), 0);
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
