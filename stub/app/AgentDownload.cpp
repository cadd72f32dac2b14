#include "app/AgentDownload.h"

#include <vector>

#include "app/AgentSettings.h"
#include "app/AgentState.h"
#include "app/StubProgress.h"
#include "app/StubState.h"
#include "format/InformFile.h"
#include "rules/AgentProtocol.h"
#include "rules/AgentRules.h"
#include "win/Files.h"
#include "win/InetHTTP.h"
#include "win/Paced.h"
#include "win/Trace.h"
#include "win/Utils.h"
#include "win/WMsgBox.h"

namespace {

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

// Deletes what an earlier run left at the target; false (with error) when it stays.
bool RemoveStaleTarget(const std::string& target, TransferError& error) {
  if (!FileExists(target)) return true;
  SetFileAttributesA(target.c_str(), FILE_ATTRIBUTE_NORMAL);
  if (DeleteFileA(target.c_str())) return true;
  const DWORD code = GetLastError();
  error = TransferError(TransferFault::CannotStore,
                        "Unable to replace " + target + " <P>" + LastErrorText(code), code);
  TraceLine() << kTraceDownloadFile << error.text();
  return false;
}

TransferError CannotWrite(const std::string& target, DWORD code) {
  return TransferError(TransferFault::CannotStore,
                       "Unable to write " + target + " <P>" + LastErrorText(code), code);
}

// Whether a fetched update or inform file may be used: it must carry the installed product's
// token. A file that may not is deleted and the user told; every check of what arrived belongs
// here, before anything opens or starts the file.
bool AcceptFetched(const std::string& target, const std::string& source, AgentFile kind) {
  if (TokenMatches(target, kind)) return true;
  const std::string message = NotFoundPageText(target, "", source, false, "Bad Secret Token!");
  DeleteFileA(target.c_str());
  TraceLine() << " DownloadFileAU: token differs, deleted " << target;
  ShowAgentError(message);
  return false;
}

// The download folder made when missing; false (with error) when it cannot be.
bool MakeDownloadDir(TransferError& error) {
  const std::string dir = AgentDownloadDir();
  const DWORD code = CreateDirectoryA(dir.c_str(), nullptr) ? 0 : GetLastError();
  if (FolderExists(dir)) return true;
  error = TransferError(TransferFault::CannotStore,
                        "Unable to make " + dir + " <P>" + LastErrorText(code), code);
  TraceLine() << kTraceDownloadFile << error.text();
  return false;
}

}  // namespace

std::string AgentDownloadDir() {
  return ExeDir(true) +
         AgentDownloadFolderName(OwnInfo ? OwnInfo->AgentExeName() : "", CurrentLeadByteTest()) +
         "\\";
}

void ShowAgentError(const std::string& text) {
  ErrorBox(nullptr, text, MsgBox::Error(), MsgBox::BtnText(), MsgBox::CharSet());
}

AgentSource AgentFileSource(const std::string& base_in, const std::string& name) {
  const std::string base = TestMode ? TestModeURL : base_in;
  if (base.empty()) return {};
  const std::string local = FolderJoin(base, name);
  if (FileExists(local)) return {local, std::string()};
  if (TestMode) return {};
  return {std::string(), UrlJoin(base, name)};
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
  if ((TestMode ? TestModeURL : base_in).empty()) return false;
  const AgentSource from = AgentFileSource(base_in, name);
  std::int64_t actual = -1;
  if (!from.file.empty())
    actual = FileSizeOf(from.file);
  else if (!from.url.empty() && InternetConnected())
    actual = UrlContentLength(from.url);
  TraceLine() << " UpdateSizeMatches: " << actual << " expected " << expected;
  return actual == expected;
}

bool DownloadFileAU(const std::string& base_in, const std::string& name_in, AgentFile kind,
                    TransferError& error) {
  error = TransferError();
  const std::string name = FileNameOfPath(name_in);
  const std::string base = TestMode ? TestModeURL : base_in;
  if (kind != AgentFile::Info) {
    const std::string refusal = AgentTargetRefusal(name, ProtectedNames(), CurrentLeadByteTest());
    if (!refusal.empty()) {
      error = TransferError(TransferFault::Refused, refusal);
      TraceLine() << " DownloadFileAU: refused, " << refusal;
      return false;
    }
  }
  if (kind != AgentFile::Info && !MakeDownloadDir(error)) return false;
  const std::string target = (kind == AgentFile::Info ? ExeDir(true) : AgentDownloadDir()) + name;
  std::string source = FolderJoin(base, name);
  // A source folder that is the agent's own holds the file itself: it is the copy.
  const bool source_is_target = !base.empty() && SameTextIC(FullPathName(source), FullPathName(target));
  // Only a file this run wrote whole may be taken for the update: an older one left at the
  // target would pass the token test after a failed or short download and be installed.
  if (kind != AgentFile::Info && !source_is_target && !RemoveStaleTarget(target, error))
    return false;
  const bool local = !base.empty() && FileExists(source);
  TraceLine() << kTraceDownloadFile << TraceBool(local) << " " << source;
  std::string content;
  bool wrote = false;
  if (local) {
    content = ReadFilePart(source, 0, 0);
    if (kind != AgentFile::Info) {
      DWORD code = 0;
      if (content.empty())
        error = TransferError(TransferFault::EmptyFile, "Empty file: " + source);
      else if (source_is_target)
        wrote = true;
      else if (!(wrote = WriteFileData(target, content, 0, WriteMode::Create, &code)))
        error = CannotWrite(target, code);
    }
  } else if (!TestMode && !base.empty() && InternetConnected()) {
    WaitPumping(Paced(500), 0);
    const int charset = MsgBox::CharSet();
    SetStatusText(StubWindow.status, StubWindow.status_font, AgentText(StatusKey(kind), StatusDefault(kind)),
                  MsgBox::FontName(), MsgBox::FontSize(), charset);
    source = UrlJoin(base, name);
    SetDownloadAbort(false);
    const bool show_progress = kind == AgentFile::Update &&
                               NewSetup::RequestConfirmationBeforeDownload() && CheckMode != 1;
    if (show_progress && StubWindow.window) ShowWindow(StubWindow.window, SW_SHOW);
    const bool complete = HTTP_DownloadFile_Incremental(
        CheckMode == 1 ? StubWindow.window : nullptr, source,
        kind == AgentFile::Info ? std::string() : target, &content, StubWindowProgress(), &error);
    wrote = complete && error.ok() && kind != AgentFile::Info;
    if (show_progress && StubWindow.window) ShowWindow(StubWindow.window, SW_HIDE);
    WaitPumping(Paced(500), 0);
  }

  bool ok = false;
  if (kind == AgentFile::Info) {
    if (error.ok() && !content.empty()) {
      const std::string page = NotFoundPageText("", content, source, false, "");
      if (!page.empty()) error = TransferError(TransferFault::ErrorPage, page);
    }
    if (error.ok() && !content.empty()) {
      DWORD code = 0;
      ok = WriteFileData(target, content, 0, WriteMode::Create, &code);
      if (!ok) error = CannotWrite(target, code);
    }
    // Nothing published at that address is no error for the info file.
    if (error.kind() == TransferFault::NotPublished) error = TransferError();
    return ok;
  }
  if (error.ok() && wrote) {
    ok = AcceptFetched(target, source, kind);
  } else if (!error.ok() && source.size() > 2 && NewSetup::RequestConfirmationBeforeDownload()) {
    const std::string text =
        error.kind() == TransferFault::Aborted
            ? AgentText("s3", "File Download Aborted!")
        : source[1] == ':' ? AgentText("s4", "File not Found!") + "<P><P>" + source
                           : AgentText("s5", "Unable to Download File!") + "<P><P>" + source;
    WarningBox(nullptr, text, MsgBox::Attention(), MsgBox::BtnText(), MsgBox::CharSet(), 0);
  }
  if (!error.ok()) TraceLine() << kTraceDownloadFile << error.text();
  return ok;
}
