// Under wine: the file routines on real files, and the temporary folders of StubGlob.
#include <windows.h>
#include <sddl.h>

#include <gtest/gtest.h>

#include <set>
#include <vector>

#include "app/StubGlob.h"
#include "win/Files.h"
#include "win/Utils.h"

namespace {

// A folder of the test's own, removed with everything in it.
class FilesTest : public ::testing::Test {
 protected:
  void SetUp() override {
    dir_ = CreateOwnFolder(TempDir(true) + "files_win_test");
    ASSERT_FALSE(dir_.empty());
  }
  void TearDown() override { RemoveOwnFolder(dir_, true); }
  std::string Path(const std::string& name) const { return dir_ + "\\" + name; }
  static std::string Read(const std::string& path) { return ReadFilePart(path, 0, 0); }
  std::string dir_;
};

std::string Pattern(std::size_t size) {
  std::string s(size, '\0');
  for (std::size_t i = 0; i < size; ++i) s[i] = char(i * 131 + i / 977);
  return s;
}

// Local MS-DOS date-time of the file's last write.
std::uint32_t DosDateOf(const std::string& path) {
  WIN32_FILE_ATTRIBUTE_DATA a;
  FILETIME local;
  WORD date = 0, time = 0;
  if (!GetFileAttributesExA(path.c_str(), GetFileExInfoStandard, &a) ||
      !FileTimeToLocalFileTime(&a.ftLastWriteTime, &local) ||
      !FileTimeToDosDateTime(&local, &date, &time))
    return 0;
  return std::uint32_t(date) << 16 | time;
}

std::string SidText(PSID sid) {
  char* text = nullptr;
  if (!ConvertSidToStringSidA(sid, &text)) return "?";
  const std::string out(text);
  LocalFree(text);
  return out;
}

std::string CurrentUserSidText() {
  HANDLE token = nullptr;
  if (!OpenProcessToken(GetCurrentProcess(), TOKEN_QUERY, &token)) return "?";
  std::vector<BYTE> buffer(512);
  DWORD size = 0;
  const bool ok = GetTokenInformation(token, TokenUser, buffer.data(), DWORD(buffer.size()), &size);
  CloseHandle(token);
  return ok ? SidText(reinterpret_cast<TOKEN_USER*>(buffer.data())->User.Sid) : "?";
}

// The SIDs of the allowing ACEs of the path's DACL, as read back from the volume.
std::set<std::string> AllowedSids(const std::string& path) {
  std::set<std::string> sids;
  DWORD size = 0;
  GetFileSecurityA(path.c_str(), DACL_SECURITY_INFORMATION, nullptr, 0, &size);
  std::vector<BYTE> sd(size ? size : 1);
  SECURITY_DESCRIPTOR_CONTROL control = 0;
  DWORD revision = 0;
  BOOL present = FALSE, defaulted = FALSE;
  PACL dacl = nullptr;
  if (!size || !GetFileSecurityA(path.c_str(), DACL_SECURITY_INFORMATION, sd.data(), size, &size) ||
      !GetSecurityDescriptorControl(sd.data(), &control, &revision) ||
      !GetSecurityDescriptorDacl(sd.data(), &present, &dacl, &defaulted) || !present || !dacl)
    return {"no DACL"};
  for (DWORD i = 0; i < dacl->AceCount; ++i) {
    void* ace = nullptr;
    if (!GetAce(dacl, i, &ace)) return {"bad ACE"};
    const auto* header = static_cast<ACE_HEADER*>(ace);
    if (header->AceType != ACCESS_ALLOWED_ACE_TYPE) {
      sids.insert("ACE type " + std::to_string(header->AceType));
      continue;
    }
    auto* allowed = static_cast<ACCESS_ALLOWED_ACE*>(ace);
    sids.insert(SidText(&allowed->SidStart));
  }
  return sids;
}

}  // namespace

// The work folder at a drive's root is made like this: only the user, the system (S-1-5-18) and
// the administrators (S-1-5-32-544) may enter it, so nobody else reaches what is extracted into
// it. (Wine keeps the rights as mode bits: the folder's come back as the user's and the
// system's; a file inside gets its own from its mode, not inherited, so only the folder is read.)
TEST_F(FilesTest, PrivateFoldersGrantOnlyTheUserSystemAndAdministrators) {
  const std::string folder = CreateOwnFolder(Path("TEMP_1"), nullptr, true);
  ASSERT_EQ(folder, Path("TEMP_1"));
  ASSERT_TRUE(WriteFileData(folder + "\\Setup.exe", "x", 0, WriteMode::Create));
  const std::string user = CurrentUserSidText();
  const std::set<std::string> allowed = {user, "S-1-5-18", "S-1-5-32-544"};
  const std::set<std::string> sids = AllowedSids(folder);
  EXPECT_EQ(sids.count(user), 1u);
  for (const std::string& sid : sids) EXPECT_EQ(allowed.count(sid), 1u) << sid;
  EXPECT_TRUE(RemoveOwnFolder(folder, true));
  // A plain folder beside it is open to more: what the private one shuts out.
  const std::string plain = CreateOwnFolder(Path("plain"));
  ASSERT_FALSE(plain.empty());
  std::size_t others = 0;
  for (const std::string& sid : AllowedSids(plain)) others += allowed.count(sid) == 0 ? 1u : 0u;
  EXPECT_GT(others, 0u) << "the test cannot tell the private folder from a plain one";
  EXPECT_TRUE(RemoveOwnFolder(plain, true));
}

TEST_F(FilesTest, LargeWritesGoInPiecesAndReadBackWhole) {
  for (std::size_t size :
       {std::size_t(0), std::size_t(1048576), std::size_t(1048577), std::size_t(3145728)}) {
    const std::string data = Pattern(size);
    int calls = 0;
    DWORD error = 1;
    ASSERT_TRUE(WriteFileData(Path("big.bin"), data, 0, WriteMode::Create, &error, [&] {
      ++calls;
    })) << size;
    EXPECT_EQ(error, DWORD(ERROR_SUCCESS));
    EXPECT_EQ(Read(Path("big.bin")), data) << size;
    EXPECT_EQ(FileSizeOf(Path("big.bin")), size);
    // Between the pieces only: 3 MiB is 10 pieces of 314 572 bytes and one of 8.
    const int pieces = size == 3145728 ? 11 : size == 1048577 ? 11 : size == 0 ? 0 : 1;
    EXPECT_EQ(calls, pieces > 0 ? pieces - 1 : 0) << size;
  }
}

TEST_F(FilesTest, FirstPieceTruncatesALeftoverAndLaterPiecesAppend) {
  const std::string file = Path("entry.dat");
  ASSERT_TRUE(WriteFileData(file, std::string(5000, 'L'), 0, WriteMode::Create));  // leftover
  ASSERT_TRUE(WriteFileData(file, "first", 0, WriteMode::Create));
  ASSERT_TRUE(WriteFileData(file, "+second", 0, WriteMode::Append));
  ASSERT_TRUE(AppendData(file, "+third", 0));
  EXPECT_EQ(Read(file), "first+second+third");
  ASSERT_TRUE(AppendData(Path("new.dat"), "made", 0));  // append creates a missing file
  EXPECT_EQ(Read(Path("new.dat")), "made");
}

TEST_F(FilesTest, WriteFailuresAreReportedWithTheirCode) {
  DWORD error = 0;
  EXPECT_FALSE(WriteFileData(Path("no\\such\\folder.bin"), "x", 0, WriteMode::Create, &error));
  EXPECT_EQ(error, DWORD(ERROR_PATH_NOT_FOUND));
  // A file another program holds open without sharing (as root under wine a read-only mode
  // does not stop a write, the sharing check does).
  const std::string locked = Path("locked.bin");
  ASSERT_TRUE(WriteFileData(locked, "keep", 0, WriteMode::Create));
  HANDLE holder = CreateFileA(locked.c_str(), GENERIC_READ, 0, nullptr, OPEN_EXISTING, 0, nullptr);
  ASSERT_NE(holder, INVALID_HANDLE_VALUE);
  error = 0;
  EXPECT_FALSE(WriteFileData(locked, "over", 0, WriteMode::Create, &error));
  EXPECT_EQ(error, DWORD(ERROR_SHARING_VIOLATION));
  error = 0;
  EXPECT_FALSE(AppendData(locked, "more", 0, &error));
  EXPECT_EQ(error, DWORD(ERROR_SHARING_VIOLATION));
  CloseHandle(holder);
  EXPECT_EQ(Read(locked), "keep");
}

TEST_F(FilesTest, DateIsSetWhenGiven) {
  const std::uint32_t date = 0x2C8B5151;  // 2002-04-11 10:10:34
  ASSERT_TRUE(WriteFileData(Path("dated.txt"), "x", date, WriteMode::Create));
  EXPECT_EQ(DosDateOf(Path("dated.txt")), date);
  ASSERT_TRUE(AppendData(Path("dated.txt"), "y", date + 2));
  EXPECT_EQ(DosDateOf(Path("dated.txt")), date + 2);
}

TEST_F(FilesTest, ReadFilePartEdges) {
  const std::string data = Pattern(100);
  ASSERT_TRUE(WriteFileData(Path("100.bin"), data, 0, WriteMode::Create));
  EXPECT_EQ(ReadFilePart(Path("100.bin"), 100, 0), "");
  EXPECT_EQ(ReadFilePart(Path("100.bin"), 90, 20), data.substr(90));
  EXPECT_EQ(ReadFilePart(Path("100.bin"), 10, 5), data.substr(10, 5));
  EXPECT_EQ(ReadFilePart(Path("100.bin"), -1, 0), "");
  EXPECT_EQ(ReadFilePart(Path("missing.bin"), 0, 0), "");
  EXPECT_EQ(FileSizeOf(Path("missing.bin")), 0u);
}

TEST_F(FilesTest, DeleteTreeRemovesNestedAndReadOnlyFilesOnlyWhenAskedToClear) {
  const std::string tree = Path("tree");
  ASSERT_TRUE(ForceFolders(tree + "\\a\\b\\c"));
  ASSERT_TRUE(WriteFileData(tree + "\\top.txt", "t", 0, WriteMode::Create));
  ASSERT_TRUE(WriteFileData(tree + "\\a\\b\\c\\deep.txt", "d", 0, WriteMode::Create));
  const std::string ro = tree + "\\a\\ro.txt";
  ASSERT_TRUE(WriteFileData(ro, "r", 0, WriteMode::Create));
  SetFileAttributesA(ro.c_str(), FILE_ATTRIBUTE_READONLY | FILE_ATTRIBUTE_HIDDEN);
  EXPECT_EQ(FindFileInTree(tree, "deep.txt"), tree + "\\a\\b\\c\\deep.txt");
  EXPECT_EQ(FindFolderInTree(tree, "B"), tree + "\\a\\b");
  EXPECT_EQ(FindFileInTree(tree, "none.txt"), "");

  EXPECT_FALSE(DeleteTree(tree, false));  // the read-only file keeps its folder
  EXPECT_TRUE(FileExists(ro));
  EXPECT_FALSE(FileExists(tree + "\\top.txt"));
  EXPECT_TRUE(DeleteTree(tree, true));
  EXPECT_FALSE(FolderExists(tree));
  EXPECT_FALSE(DeleteTree(tree, true));  // gone already: false, nothing done
}

TEST_F(FilesTest, DeleteTreeRemovesLinksButNeverWhatTheyPointTo) {
  const std::string outside = Path("outside"), tree = Path("linked");
  ASSERT_TRUE(ForceFolders(outside + "\\sub"));
  ASSERT_TRUE(WriteFileData(outside + "\\keep.txt", "k", 0, WriteMode::Create));
  ASSERT_TRUE(WriteFileData(outside + "\\sub\\keep2.txt", "k", 0, WriteMode::Create));
  ASSERT_TRUE(ForceFolders(tree + "\\a"));
  const std::string inner = tree + "\\a\\to-outside", whole = Path("whole-link");
  using Link = BOOLEAN(WINAPI*)(LPCSTR, LPCSTR, DWORD);
  const auto link = reinterpret_cast<Link>(reinterpret_cast<void*>(
      GetProcAddress(GetModuleHandleA("kernel32.dll"), "CreateSymbolicLinkA")));
  // 1 = a folder link, 2 = allowed without elevation where the system knows the flag.
  if (!link || (!link(inner.c_str(), outside.c_str(), 1 | 2) && !link(inner.c_str(), outside.c_str(), 1)) ||
      !(GetFileAttributesA(inner.c_str()) & FILE_ATTRIBUTE_REPARSE_POINT) ||
      !FileExists(inner + "\\keep.txt"))
    GTEST_SKIP() << "no working folder links here (wine makes links that lead nowhere)";
  EXPECT_TRUE(DeleteTree(tree, true));
  EXPECT_FALSE(FolderExists(tree));
  EXPECT_TRUE(FileExists(outside + "\\keep.txt"));
  EXPECT_TRUE(FileExists(outside + "\\sub\\keep2.txt"));
  // A link given as the folder itself: only the link goes.
  if (link(whole.c_str(), outside.c_str(), 1 | 2) || link(whole.c_str(), outside.c_str(), 1)) {
    EXPECT_TRUE(DeleteTree(whole, true));
    EXPECT_FALSE(FolderExists(whole));
    EXPECT_TRUE(FileExists(outside + "\\sub\\keep2.txt"));
  }
}

TEST_F(FilesTest, DeleteFilesMatchesAMaskAndSaysWhetherAnyMatched) {
  for (const char* name : {"a.tmp", "b.tmp", "c.txt"})
    ASSERT_TRUE(WriteFileData(Path(name), "x", 0, WriteMode::Create));
  SetFileAttributesA(Path("b.tmp").c_str(), FILE_ATTRIBUTE_READONLY);
  EXPECT_TRUE(DeleteFiles(Path("*.tmp"), true));
  EXPECT_FALSE(FileExists(Path("a.tmp")));
  EXPECT_FALSE(FileExists(Path("b.tmp")));
  EXPECT_TRUE(FileExists(Path("c.txt")));
  EXPECT_FALSE(DeleteFiles(Path("*.tmp"), true));
}

TEST_F(FilesTest, FreeSpaceNameAndEject) {
  const double free_c = FreeSpace("C:\\");
  EXPECT_GT(free_c, 0.0);
  EXPECT_EQ(FreeSpace("C:"), free_c);  // short paths ask the root
  EXPECT_GT(FreeSpace(dir_), 0.0);
  EXPECT_EQ(FreeSpace("\\\\nowhere\\share\\x"), 0.0);
  EXPECT_EQ(NameWithoutExt("C:\\a.b\\setup.exe"), "setup");
  EXPECT_FALSE(EjectCd("C:\\windows"));  // a hard disk: no device opened
  EXPECT_FALSE(EjectCd("\\\\server\\share"));
}

TEST_F(FilesTest, ForceFoldersReportsWhatCannotBeMade) {
  EXPECT_TRUE(ForceFolders(Path("x\\y\\z\\")));
  EXPECT_TRUE(FolderExists(Path("x\\y\\z")));
  ASSERT_TRUE(WriteFileData(Path("plain"), "f", 0, WriteMode::Create));
  DWORD error = 0;
  EXPECT_FALSE(ForceFolders(Path("plain\\sub"), &error));  // a file stands where a folder must
  EXPECT_NE(error, DWORD(ERROR_SUCCESS));
  EXPECT_FALSE(ForceFolders("", &error));
}

// --- Temporary folders ---

TEST_F(FilesTest, OwnFoldersAreNewEachTimeAndATakenNameIsLeftAlone) {
  const std::string stem = Path("SETUP_1234");
  ASSERT_TRUE(ForceFolders(stem));  // somebody else's folder of that name, with a file
  ASSERT_TRUE(WriteFileData(stem + "\\theirs.txt", "theirs", 0, WriteMode::Create));
  const std::string first = CreateOwnFolder(stem);
  const std::string second = CreateOwnFolder(stem);
  ASSERT_FALSE(first.empty());
  ASSERT_FALSE(second.empty());
  EXPECT_NE(first, stem);
  EXPECT_NE(second, first);
  EXPECT_EQ(first.compare(0, stem.size() + 1, stem + "_"), 0) << first;
  EXPECT_TRUE(IsOwnFolder(first));
  EXPECT_TRUE(IsOwnFolder(second + "\\"));
  EXPECT_FALSE(IsOwnFolder(stem));
  // Only folders of our own are deleted.
  EXPECT_FALSE(RemoveOwnFolder(stem, true));
  EXPECT_EQ(Read(stem + "\\theirs.txt"), "theirs");
  ASSERT_TRUE(WriteFileData(first + "\\ours.txt", "x", 0, WriteMode::Create));
  EXPECT_TRUE(RemoveOwnFolder(first, true));
  EXPECT_FALSE(FolderExists(first));
  EXPECT_FALSE(IsOwnFolder(first));
  EXPECT_TRUE(RemoveOwnFolder(second, true));
  // The free name is taken as it is.
  const std::string plain = CreateOwnFolder(Path("fresh"));
  EXPECT_EQ(plain, Path("fresh"));
  EXPECT_TRUE(RemoveOwnFolder(plain, true));
}

TEST(StubGlob, SetupFolderIsOursHeldAndNeverAForeignOne) {
  const std::string stem = SetupTempDirStem();
  EXPECT_EQ(stem.compare(0, TempDir(true).size() + 6, TempDir(true) + "SETUP_"), 0) << stem;
  // A folder of the stem's name exists already (an earlier run, another user's setup): it is
  // neither used nor deleted.
  const bool planted = CreateDirectoryA(stem.c_str(), nullptr) != FALSE;
  const std::string marker = stem + "\\earlier.txt";
  if (planted) {
    ASSERT_TRUE(WriteFileData(marker, "earlier", 0, WriteMode::Create));
  }
  const std::string setup = SetupTempDir();
  ASSERT_FALSE(setup.empty());
  EXPECT_NE(setup, stem);
  EXPECT_TRUE(FolderExists(setup));
  EXPECT_EQ(SetupTempDir(), setup);  // held: the same folder, not made again
  ASSERT_TRUE(WriteFileData(setup + "\\x.txt", "x", 0, WriteMode::Create));
  RemoveSetupTempDir();
  EXPECT_FALSE(FolderExists(setup));
  EXPECT_TRUE(FileExists(marker));
  const std::string next = SetupTempDir();  // after removal a new one
  EXPECT_TRUE(FolderExists(next));
  RemoveSetupTempDir();
  if (planted) {
    DeleteFileA(marker.c_str());
    RemoveDirectoryA(stem.c_str());
  }
}

TEST(StubGlob, NoBetterTempDriveUnderWineAndNothingLeftBehind) {
  // Wine's only fixed drive among C:, D: and E: is C:, which also holds the temporary folder.
  const bool had_temp = FolderExists("C:\\TEMP");
  EXPECT_FALSE(FindBestTempBase());
  EXPECT_EQ(WorkTempDir(), "");
  RemoveWorkTempDir();
  EXPECT_EQ(FolderExists("C:\\TEMP"), had_temp);
}
