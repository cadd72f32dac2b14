#include "app/InternetSetup.h"

#include <string>

#include "app/RunSetup.h"
#include "app/SetupJobStop.h"
#include "app/StubProgress.h"
#include "app/StubState.h"
#include "app/UnpackArchive.h"
#include "app/UpdateSignature.h"
#include "format/EntryName.h"
#include "format/GFileInfo.h"
#include "win/Files.h"
#include "win/InetHTTP.h"
#include "win/Trace.h"
#include "win/Utils.h"
#include "win/WMsgBox.h"

namespace {

const char kDefaultButtons[] = "|&OK|&Cancel|&Yes|&No|&Abort|&Retry|&Ignore|";
const char kDefaultQuestion[] =
    "<b>INTERNET DOWNLOAD</b><p><p>Wexlin will download the Setup File from the Internet...<p>"
    "Please make sure your Internet connection is properly set.<p><p>Continue with Setup?<p><P>"
    "Size: <SIZE> MB<P>";
const char kDefaultOffline[] = "No valid Internet Connection.<p>Can not Download File!";

std::string Buttons() { return OwnInfo->LangText("BtnText", kDefaultButtons); }

// The agent copy of the own file for the setup program to install: the extraction of the own
// archive, which carries no entries, writes just that copy.
void WriteAgentCopy(HWND window, const std::string& folder) {
  UnpackRequest request;
  request.owner = window;
  request.archive_path = OwnExePath();
  request.target_folder = folder;
  request.agent_name = OwnInfo->AgentExeName();
  request.button_texts = Buttons();
  request.charset = OwnInfo->Charset();
  request.progress.abort = &SetupJobStopFlag();
  const UnpackResult result = UnpackArchive(request);
  if (result.end == UnpackEnd::Extracted) return;
  TraceLine() << " RunInternetSetup: no agent copy, " << result.error;
  // Without its copy the product installs without its updater: the user must know. A job the
  // user ended has nothing to tell.
  if (result.end == UnpackEnd::Failed || result.end == UnpackEnd::BadChecksum)
    ErrorBox(window, "Unable to write the auto-update agent " + request.agent_name + "<P><P>" +
                         result.error,
             OwnInfo->LangText("Error", "Error"), Buttons(), OwnInfo->Charset());
}

}  // namespace

void RunInternetSetup(HWND window, const std::string& extraction_folder) {
  const std::string name = OwnInfo->DownloadFileName();
  // The name joins a folder: only a plain file name will do.
  const std::string unsafe = archive::UnsafeEntryNameReason(name, CurrentLeadByteTest());
  if (!unsafe.empty()) {
    TraceLine() << " RunInternetSetup: download file name refused, " << unsafe;
    ErrorBox(window, "Bad download file name: " + name, OwnInfo->LangText("Error", "Error"),
             Buttons(), OwnInfo->Charset());
    return;
  }
  std::string source = OwnInfo->DownloadUrl();
  if (!OwnInfo->DownloadAlways() && FileExists(ExeDir(true) + name)) source = ExeDir(false);
  if (OwnInfo->WriteAgent()) WriteAgentCopy(window, extraction_folder);

  TransferError error;
  bool downloaded = false;
  std::string setup_file = FixTrailingBackslash(source, true) + name;
  const std::string url = source + "/" + name;
  if (!FileExists(setup_file)) {
    SetStatusText(StubWindow.status, StubWindow.status_font, OwnInfo->LangText("s10", "Downloading File..."),
                  OwnInfo->FontName(), OwnInfo->FontSize(), OwnInfo->Charset());
    if (OwnInfo->ConfirmDownload()) {
      const std::string question =
          ReplaceAll(OwnInfo->LangText("s11", kDefaultQuestion), "<SIZE>",
                     MegabytesText(double(ParseDecimal(OwnInfo->DownloadSize(), 0))));
      if (!AskYesNo(window, question, OwnInfo->LangText("Confirm", "Confirm"), Buttons(),
                    OwnInfo->Charset()))
        error = TransferError(TransferFault::Declined, "");
    }
    if (error.ok() && !InternetConnected()) {
      // A language table that blanks the text leaves nothing to report: the setup goes on.
      const std::string offline = OwnInfo->LangText("s12", kDefaultOffline);
      if (!offline.empty()) error = TransferError(TransferFault::Offline, offline);
    }
    SetDownloadAbort(false);
    setup_file = TempDir(true) + name;
    if (error.ok()) {
      TraceLine() << " RunInternetSetup: " << url << " -> " << setup_file;
      downloaded =
          HTTP_DownloadFile_Incremental(window, url, setup_file, nullptr, StubWindowProgress(),
                                        &error);
    }
  }
  if (error.ok()) {
    const TGFileInfo setup(setup_file);
    if (!SameDownloadToken(setup, *OwnInfo))
      error = TransferError(TransferFault::NotGenuine,
                            NotFoundPageText(setup_file, "", url, false, "Bad Secret Token!"));
  }
  // With an update key the setup runs only as signed, from a handle held until it has run.
  VerifiedFile held;
  std::string refusal;
  if (error.ok() &&
      VerifyDownloadedSetup(url, setup_file, downloaded, &held, &refusal) == TakenFile::Refused) {
    TraceLine() << " RunInternetSetup: " << refusal;
    error = TransferError(TransferFault::NotGenuine, NotGenuineText(setup_file));
  }
  if (error.ok()) RunSetup(window, extraction_folder, setup_file, "", "", true);
  held.Release();
  if (downloaded) DeleteFileA(setup_file.c_str());
  if (!error.ok() && error.kind() != TransferFault::Declined) {
    TraceLine() << " RunInternetSetup: " << error.text();
    ErrorBox(window, error.text(), OwnInfo->LangText("Error", "Error"), Buttons(),
             OwnInfo->Charset());
  }
}
