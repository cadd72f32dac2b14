// Under wine: a verified file is held against writers, deleters and renamers, in this process
// and in another, until it is released; every refusal closes the file and names its reason.
#include "win/VerifiedFile.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <random>
#include <string>

#include "format/Signing.h"

namespace {

std::string ReadAll(const std::string& path) {
  std::ifstream in(path, std::ios::binary);
  return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
}

// Runs a command line in another process and waits for its end.
bool RunAndWait(std::string command) {
  STARTUPINFOA si{};
  si.cb = sizeof si;
  PROCESS_INFORMATION pi{};
  if (!CreateProcessA(nullptr, &command[0], nullptr, nullptr, FALSE, CREATE_NO_WINDOW, nullptr,
                      nullptr, &si, &pi))
    return false;
  const bool ended = WaitForSingleObject(pi.hProcess, 30000) == WAIT_OBJECT_0;
  CloseHandle(pi.hThread);
  CloseHandle(pi.hProcess);
  return ended;
}

void WriteAll(const std::string& path, const std::string& data) {
  std::ofstream(path, std::ios::binary | std::ios::trunc) << data;
}

class VerifiedFileTest : public ::testing::Test {
 protected:
  void SetUp() override {
    char buffer[MAX_PATH];
    const DWORD n = GetTempPathA(MAX_PATH, buffer);
    dir_ = std::string(buffer, n) + "verified_file_" + std::to_string(GetCurrentProcessId()) + "\\";
    std::filesystem::remove_all(dir_);
    std::filesystem::create_directories(dir_);
    std::mt19937 rng(18);
    data_.resize(700000);
    for (char& c : data_) c = char(rng());
    setup_ = dir_ + "Setup2.exe";
    WriteAll(setup_, data_);
    WriteAll(setup_ + ".sig", sig::SignatureText(sig::SignBytes(key_, data_)) + "\r\n");
  }
  void TearDown() override { std::filesystem::remove_all(dir_); }

  VerifiedFile Open(std::int64_t size) {
    return VerifiedFile::Open(setup_, setup_ + ".sig", key_.public_key, size);
  }

  sig::SecretKey key_ = sig::GenerateKey();
  std::string dir_, setup_, data_;
};

TEST_F(VerifiedFileTest, HeldAgainstChangeUntilReleased) {
  VerifiedFile file = Open(std::int64_t(data_.size()));
  ASSERT_TRUE(file.verified()) << file.error();
  EXPECT_EQ(file.status(), sig::Status::Good);

  // The setup's own read still opens it.
  HANDLE reader = CreateFileA(setup_.c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr,
                              OPEN_EXISTING, 0, nullptr);
  EXPECT_NE(reader, INVALID_HANDLE_VALUE);
  if (reader != INVALID_HANDLE_VALUE) CloseHandle(reader);

  HANDLE writer = CreateFileA(setup_.c_str(), GENERIC_WRITE,
                              FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr,
                              OPEN_EXISTING, 0, nullptr);
  EXPECT_EQ(writer, INVALID_HANDLE_VALUE);
  EXPECT_EQ(GetLastError(), DWORD(ERROR_SHARING_VIOLATION));
  if (writer != INVALID_HANDLE_VALUE) CloseHandle(writer);
  EXPECT_FALSE(DeleteFileA(setup_.c_str()));
  EXPECT_FALSE(MoveFileExA(setup_.c_str(), (dir_ + "moved.exe").c_str(), MOVEFILE_REPLACE_EXISTING));
  EXPECT_FALSE(MoveFileExA((setup_ + ".sig").c_str(), setup_.c_str(), MOVEFILE_REPLACE_EXISTING));

  // Another process cannot append to it either; the same command does once it is released.
  const std::string append = "cmd.exe /c echo swapped>>\"" + setup_ + "\"";
  ASSERT_TRUE(RunAndWait(append));
  EXPECT_EQ(ReadAll(setup_), data_);

  file.Release();
  ASSERT_TRUE(RunAndWait(append));
  EXPECT_NE(ReadAll(setup_), data_);
  EXPECT_TRUE(DeleteFileA(setup_.c_str()));
}

TEST_F(VerifiedFileTest, RefusalsCloseTheFileAndNameTheReason) {
  sig::SecretKey other = sig::GenerateKey();
  struct Case {
    const char* name;
    std::string sig_text;  // empty: no .sig file
    std::int64_t size;
    VerifiedFile::Outcome outcome;
    sig::Status status;
    const char* reason;
  } cases[] = {
      {"size differs", "keep", std::int64_t(data_.size()) + 1, VerifiedFile::Outcome::WrongSize,
       sig::Status::Missing, "bytes, not"},
      {"no signature", "", -1, VerifiedFile::Outcome::Refused, sig::Status::Missing,
       "no signature"},
      {"another key", sig::SignatureText(sig::SignBytes(other, data_)), -1,
       VerifiedFile::Outcome::Refused, sig::Status::OtherKey, "another key"},
      {"not this file", sig::SignatureText(sig::SignBytes(key_, data_.substr(1))), -1,
       VerifiedFile::Outcome::Refused, sig::Status::BadSignature, "does not match"},
      {"far too long", std::string(5000, 'A'), -1, VerifiedFile::Outcome::Refused,
       sig::Status::Malformed, "not readable"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    if (c.sig_text.empty())
      std::filesystem::remove(setup_ + ".sig");
    else if (c.sig_text != "keep")
      WriteAll(setup_ + ".sig", c.sig_text);
    VerifiedFile file = Open(c.size);
    EXPECT_FALSE(file.verified());
    EXPECT_EQ(file.outcome(), c.outcome);
    EXPECT_EQ(file.status(), c.status);
    EXPECT_NE(file.error().find(setup_), std::string::npos) << file.error();
    EXPECT_NE(file.error().find(c.reason), std::string::npos) << file.error();
    EXPECT_EQ(file.handle(), nullptr);
    // Closed: the refused file can be replaced.
    HANDLE writer = CreateFileA(setup_.c_str(), GENERIC_WRITE, 0, nullptr, OPEN_EXISTING, 0,
                                nullptr);
    EXPECT_NE(writer, INVALID_HANDLE_VALUE);
    if (writer != INVALID_HANDLE_VALUE) CloseHandle(writer);
  }
  VerifiedFile missing = VerifiedFile::Open(dir_ + "none.exe", dir_ + "none.exe.sig",
                                            key_.public_key, -1);
  EXPECT_EQ(missing.outcome(), VerifiedFile::Outcome::CannotOpen);
}

}  // namespace
