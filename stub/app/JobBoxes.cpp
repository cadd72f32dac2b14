#include "app/JobBoxes.h"

#include <cstdint>

#include "app/StubState.h"
#include "format/GFileInfo.h"
#include "rules/ExtractRules.h"
#include "win/Files.h"
#include "win/Trace.h"
#include "win/Utils.h"
#include "win/WMsgBox.h"

namespace {

const char kDefaultButtons[] = "|&OK|&Cancel|&Yes|&No|&Abort|&Retry|&Ignore|";
const char kDefaultChecksumError[] =
    "Bad CRC!<P>This indicates that your setup file might be corrupted...";

}  // namespace

std::string JobButtons() { return OwnInfo->LangText("BtnText", kDefaultButtons); }

void ShowJobError(HWND window, const std::string& text) {
  TraceLine() << " SetupJob error: " << text;
  ErrorBox(window, text, OwnInfo->LangText("Error", "Error"), JobButtons(), OwnInfo->Charset());
}

void ShowChecksumError(HWND window) {
  ErrorBox(window, OwnInfo->LangText("s7", kDefaultChecksumError),
           OwnInfo->LangText("Error", "Error"), JobButtons(), OwnInfo->Charset());
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
  return AskYesNo(window, question, OwnInfo->LangText("Confirm", "Confirm"), JobButtons(),
                  OwnInfo->Charset());
}
