#include "app/UpdateSignature.h"

#include "app/AgentDownload.h"
#include "app/AgentState.h"
#include "app/StubState.h"
#include "format/GFileInfo.h"
#include "format/Signature.h"
#include "win/Files.h"
#include "win/InetHTTP.h"
#include "win/Trace.h"
#include "win/Utils.h"
#include "win/WMsgBox.h"

namespace {

const char kNotGenuine[] = "Update not genuine!";
int refused_files = 0;

// Where a file's signature comes from and where it is put (beside the file).
struct SignatureSource {
  std::string folder_file;  // a signature file to copy, or empty
  std::string url;          // a signature to download, or empty
};

// Puts the signature beside file; a signature that cannot be had leaves none, which the check
// then names as missing. A stale one of an earlier run is removed first.
void FetchSignature(const SignatureSource& from, const std::string& sig_path,
                    bool sig_is_source) {
  if (sig_is_source) return;
  SetFileAttributesA(sig_path.c_str(), FILE_ATTRIBUTE_NORMAL);
  DeleteFileA(sig_path.c_str());
  std::string text;
  if (!from.folder_file.empty()) {
    text = ReadFilePart(from.folder_file, 0, 0);
  } else if (!from.url.empty()) {
    TransferError error;
    if (!HTTP_DownloadFile_Incremental(nullptr, from.url, "", &text, JobProgress(), &error))
      text.clear();
    // A server's page for a missing file is no signature: the signature is missing.
    if (!NotFoundPageText("", text, from.url, false, "").empty()) text.clear();
    if (!error.ok()) TraceLine() << " FetchSignature: " << error.text();
  }
  if (!text.empty()) WriteFileData(sig_path, text, 0, WriteMode::Create, nullptr);
}

// The stub's update key: absent (unsigned updates), or parsed; a damaged key refuses all.
enum class KeyState { Absent, Good, Damaged };
KeyState OwnKey(sig::PublicKey* key) {
  if (!OwnInfo) return KeyState::Absent;
  const std::string text = OwnInfo->UpdateKey();
  if (text.empty()) return KeyState::Absent;
  return sig::ParsePublicKey(text, key) == sig::Status::Good ? KeyState::Good : KeyState::Damaged;
}

// Verifies file with its signature from `from`; on a refusal deletes the file and the signature
// put beside it (the file only when delete_refused) and sets *reason ("PATH: why").
TakenFile Check(const std::string& file, const SignatureSource& from, std::int64_t expected_size,
                bool delete_refused, VerifiedFile* held, std::string* reason) {
  sig::PublicKey key;
  const KeyState state = OwnKey(&key);
  if (state == KeyState::Absent) return TakenFile::Unsigned;
  const std::string sig_path = file + ".sig";
  const bool sig_is_source =
      !from.folder_file.empty() && SameTextIC(FullPathName(from.folder_file), FullPathName(sig_path));
  if (state == KeyState::Damaged) {
    *reason = file + ": the stub's update key is damaged";
  } else {
    FetchSignature(from, sig_path, sig_is_source);
    *held = VerifiedFile::Open(file, sig_path, key, expected_size);
    // The signature has served once the held file is checked; a copy of it goes.
    if (!sig_is_source) DeleteFileA(sig_path.c_str());
    if (held->verified()) {
      TraceLine() << " Verified " << file;
      return TakenFile::Verified;
    }
    *reason = held->error();
  }
  held->Release();
  if (delete_refused) {
    SetFileAttributesA(file.c_str(), FILE_ATTRIBUTE_NORMAL);
    DeleteFileA(file.c_str());
  }
  TraceLine() << " Not genuine, deleted " << *reason;
  ++refused_files;
  return TakenFile::Refused;
}

}  // namespace

int RefusedFileCount() { return refused_files; }

std::string NotGenuineText(const std::string& file) {
  return std::string(kNotGenuine) + "<P><P>" + FileNameOfPath(file);
}

TakenFile VerifyAgentFile(const std::string& base_in, const std::string& file,
                          std::int64_t expected_size, VerifiedFile* held) {
  // The signature comes from where the file came from.
  const AgentSource source = AgentFileSource(base_in, FileNameOfPath(file));
  SignatureSource from;
  if (!source.file.empty())
    from.folder_file = source.file + ".sig";
  else if (!source.url.empty())
    from.url = source.url + ".sig";
  std::string reason;
  const TakenFile result = Check(file, from, expected_size, true, held, &reason);
  if (result == TakenFile::Refused)
    ShowAgentError(NotGenuineText(file));
  return result;
}

TakenFile VerifyDownloadedSetup(const std::string& url, const std::string& file, bool downloaded,
                                VerifiedFile* held, std::string* reason) {
  SignatureSource from;
  if (downloaded)
    from.url = url + ".sig";
  else
    from.folder_file = file + ".sig";
  return Check(file, from, -1, downloaded, held, reason);
}
