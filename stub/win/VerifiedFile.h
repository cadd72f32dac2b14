// A published file checked against its detached signature and held open until its holder lets
// go: opened once with read sharing only (no writer, no delete, no rename), its size compared
// with the size the info file announced, its bytes hashed from that same handle. What was
// checked is then what runs: the setup is started while the holder still owns the handle.
#pragma once

#ifndef NOMINMAX
#define NOMINMAX
#endif
#include <windows.h>

#include <cstdint>
#include <string>

#include "win/Owners.h"
#include "format/Signature.h"

class VerifiedFile {
 public:
  enum class Outcome { Verified, CannotOpen, WrongSize, CannotRead, Refused };

  VerifiedFile() = default;
  VerifiedFile(VerifiedFile&&) noexcept = default;
  VerifiedFile& operator=(VerifiedFile&&) noexcept = default;

  bool verified() const { return outcome_ == Outcome::Verified; }
  Outcome outcome() const { return outcome_; }
  // The signature's verdict when the signature was checked (Refused or Verified).
  sig::Status status() const { return status_; }
  // For the trace: the file's path and the reason, empty when verified.
  const std::string& error() const { return error_; }
  // Held while verified; closed on every refusal, so the caller can delete the file.
  HANDLE handle() const { return handle_.get(); }
  void Release() { handle_.Close(); }

  // Opens path, compares its size with expected_size (negative: any size) and verifies it with
  // the signature text in sig_path against key.
  static VerifiedFile Open(const std::string& path, const std::string& sig_path,
                           const sig::PublicKey& key, std::int64_t expected_size);

 private:
  OwnedHandle handle_;
  Outcome outcome_ = Outcome::CannotOpen;
  sig::Status status_ = sig::Status::Missing;
  std::string error_;
};
