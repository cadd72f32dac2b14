#include "win/VerifiedFile.h"

#include <vector>

namespace {

// A signature is one line of about a hundred characters; anything far longer is no signature.
constexpr DWORD kMaxSignatureFile = 4096;

// Missing when the file does not exist; Malformed when it cannot be read or is far too long.
sig::Status ReadSignature(const std::string& sig_path, sig::Signature* signature) {
  OwnedHandle file(CreateFileA(sig_path.c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr,
                               OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr));
  if (!file) {
    const DWORD error = GetLastError();
    return error == ERROR_FILE_NOT_FOUND || error == ERROR_PATH_NOT_FOUND ? sig::Status::Missing
                                                                           : sig::Status::Malformed;
  }
  char text[kMaxSignatureFile + 1];
  DWORD got = 0;
  if (!ReadFile(file.get(), text, sizeof text, &got, nullptr) || got > kMaxSignatureFile)
    return sig::Status::Malformed;
  return sig::ParseSignature(std::string_view(text, got), signature);
}

}  // namespace

VerifiedFile VerifiedFile::Open(const std::string& path, const std::string& sig_path,
                                const sig::PublicKey& key, std::int64_t expected_size) {
  VerifiedFile result;
  auto refuse = [&](Outcome outcome, const std::string& reason) {
    result.handle_.Close();
    result.outcome_ = outcome;
    result.error_ = path + ": " + reason;
    return std::move(result);
  };
  // Read sharing only: the setup program may read itself, nobody may change or remove it.
  result.handle_ = OwnedHandle(CreateFileA(path.c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr,
                                           OPEN_EXISTING, FILE_FLAG_SEQUENTIAL_SCAN, nullptr));
  if (!result.handle_)
    return refuse(Outcome::CannotOpen, "cannot be opened (error " + std::to_string(GetLastError()) +
                                           ")");
  LARGE_INTEGER size;
  if (!GetFileSizeEx(result.handle_.get(), &size))
    return refuse(Outcome::CannotRead, "size unknown");
  if (expected_size >= 0 && size.QuadPart != expected_size)
    return refuse(Outcome::WrongSize, std::to_string(size.QuadPart) + " bytes, not " +
                                          std::to_string(expected_size));

  sig::Signature signature;
  result.status_ = ReadSignature(sig_path, &signature);
  if (result.status_ != sig::Status::Good)
    return refuse(Outcome::Refused, sig::StatusText(result.status_));

  sig::FileDigest digest;
  std::vector<char> buffer(1 << 16);
  for (;;) {
    DWORD got = 0;
    if (!ReadFile(result.handle_.get(), buffer.data(), DWORD(buffer.size()), &got, nullptr))
      return refuse(Outcome::CannotRead, "read error " + std::to_string(GetLastError()));
    if (got == 0) break;
    digest.Update(buffer.data(), got);
  }
  // The size read must be the size checked: nothing can have changed it, but a short read
  // would otherwise verify a prefix.
  if (std::int64_t(digest.size()) != size.QuadPart)
    return refuse(Outcome::CannotRead, "read " + std::to_string(digest.size()) + " bytes of " +
                                           std::to_string(size.QuadPart));
  result.status_ = sig::Verify(key, signature, digest);
  if (result.status_ != sig::Status::Good)
    return refuse(Outcome::Refused, sig::StatusText(result.status_));
  result.outcome_ = Outcome::Verified;
  return result;
}
