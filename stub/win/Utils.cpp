// Utils, Win32 side: system calls behind the byte-string rules of UtilsText.
#include "win/Utils.h"

#include <shellapi.h>

#include <algorithm>
#include <cstring>
#include <vector>

namespace {

std::string FolderText(UINT (WINAPI* query)(LPSTR, UINT), bool with_slash) {
  char buffer[256];
  const UINT n = query(buffer, sizeof buffer);
  const std::string folder = (n > 0 && n < sizeof buffer) ? std::string(buffer, n) : "";
  return FixTrailingBackslash(folder, with_slash);
}

UINT WINAPI TempPathQuery(LPSTR buffer, UINT size) { return GetTempPathA(size, buffer); }

bool IsBareFileName(const std::string& name) {
  return !name.empty() && name.find_first_of("\\/:") == std::string::npos && name != "." &&
         name != "..";
}

UINT auto_play_cancel_message = 0;

}  // namespace

// --- Paths and the program's own location ---

bool IsLeadByte(unsigned char byte) { return IsDBCSLeadByte(byte) != 0; }

void InstallSystemLeadByteRule() { SetLeadByteTest(IsLeadByte); }

std::string FixTrailingBackslash(const std::string& path, bool add) {
  return FixTrailingBackslash(path, add, IsLeadByte);
}

std::string StripTrailingBackslash(const std::string& path) {
  return StripTrailingBackslash(path, IsLeadByte);
}

std::string CollapseBackslashes(const std::string& path, bool strip_trailing) {
  return CollapseBackslashes(path, strip_trailing, IsLeadByte);
}

// A path longer than MAX_PATH is read in full rather than cut.
std::string ExeFileName() {
  std::vector<char> buffer(MAX_PATH);
  for (;;) {
    const DWORD n = GetModuleFileNameA(nullptr, buffer.data(), static_cast<DWORD>(buffer.size()));
    if (n == 0) return std::string();
    if (n < buffer.size()) return std::string(buffer.data(), n);
    if (buffer.size() >= 32768) return std::string();
    buffer.resize(buffer.size() * 2);
  }
}

std::string ExeDir(bool with_slash) {
  const std::string exe = ExeFileName();
  std::size_t cut = std::string::npos;  // last backslash that is not a trail byte
  for (std::size_t i = 0; i < exe.size(); ++i) {
    if (IsLeadByte(static_cast<unsigned char>(exe[i])) && i + 1 < exe.size())
      ++i;
    else if (exe[i] == '\\')
      cut = i;
  }
  const std::string dir = cut == std::string::npos ? std::string() : exe.substr(0, cut + 1);
  return FixTrailingBackslash(dir, with_slash);
}

std::string WindowsDir(bool with_slash) { return FolderText(GetWindowsDirectoryA, with_slash); }
std::string SystemDir(bool with_slash) { return FolderText(GetSystemDirectoryA, with_slash); }
std::string TempDir(bool with_slash) { return FolderText(TempPathQuery, with_slash); }

bool IsWinNT() {
  // GetVersionExA is deprecated but still reports the platform id, which is all we need.
  OSVERSIONINFOA info = {};
  info.dwOSVersionInfoSize = sizeof info;
#pragma GCC diagnostic push
#pragma GCC diagnostic ignored "-Wdeprecated-declarations"
  if (!GetVersionExA(&info)) return false;
#pragma GCC diagnostic pop
  return info.dwPlatformId == VER_PLATFORM_WIN32_NT;
}

// --- Command line ---

std::string CommandTail() { return CommandTailOf(GetCommandLineA(), ExeFileName()); }
bool HasSwitch(const std::string& name) { return HasSwitchIn(CommandTail(), name); }
std::string SwitchValue(const std::string& name) { return SwitchValueIn(CommandTail(), name); }
std::int64_t SwitchInt(const std::string& name, std::int64_t default_value) {
  return SwitchIntIn(CommandTail(), name, default_value);
}

// --- Settings storage ---

std::string IniReadText(const std::string& file, const std::string& section,
                        const std::string& key, const std::string& default_value) {
  std::vector<char> buffer(10241);
  const DWORD n = GetPrivateProfileStringA(section.c_str(), key.c_str(), default_value.c_str(),
                                           buffer.data(), static_cast<DWORD>(buffer.size()),
                                           file.c_str());
  return std::string(buffer.data(), std::min<std::size_t>(n, buffer.size() - 1));
}

std::int64_t IniReadInt(const std::string& file, const std::string& section,
                        const std::string& key, std::int64_t default_value) {
  return ParseDecimal(IniReadText(file, section, key, IntText(default_value)), default_value);
}

bool IniWriteText(const std::string& file, const std::string& section, const std::string& key,
                  const std::string& value) {
  return WritePrivateProfileStringA(section.c_str(), key.c_str(), value.c_str(), file.c_str()) !=
         0;
}

bool IniWriteInt(const std::string& file, const std::string& section, const std::string& key,
                 std::int64_t value) {
  return IniWriteText(file, section, key, IntText(value));
}

namespace {

HKEY RootKey(RegRoot id) {
  switch (id) {
    case RegRoot::ClassesRoot: return HKEY_CLASSES_ROOT;
    case RegRoot::LocalMachine: return HKEY_LOCAL_MACHINE;
    case RegRoot::Users: return HKEY_USERS;
    case RegRoot::CurrentConfig: return HKEY_CURRENT_CONFIG;
    case RegRoot::DynData: return HKEY_DYN_DATA;
    case RegRoot::CurrentUser: break;
  }
  return HKEY_CURRENT_USER;
}

}  // namespace

HKEY RegRootFromName(const std::string& name) { return RootKey(RegRootIdFromName(name)); }

void SplitRegPath(const std::string& path, HKEY& root, std::string& sub_key) {
  RegRoot id;
  SplitRegPathText(path, id, sub_key);
  root = RootKey(id);
}

std::string RegReadText(const std::string& path, const std::string& value_name,
                        const std::string& default_value) {
  HKEY root;
  std::string sub_key;
  SplitRegPath(path, root, sub_key);
  HKEY opened = nullptr;
  if (RegOpenKeyExA(root, sub_key.c_str(), 0, KEY_READ, &opened) != ERROR_SUCCESS)
    return default_value;
  const KeyOwner key(opened);
  BYTE buffer[2048];
  DWORD type = 0, size = sizeof buffer;
  if (RegQueryValueExA(key.get(), value_name.c_str(), nullptr, &type, buffer, &size) !=
      ERROR_SUCCESS)
    return default_value;  // also a value longer than the buffer (ERROR_MORE_DATA)
  if (type == REG_DWORD && size == 4) {
    const std::uint32_t v = static_cast<std::uint32_t>(buffer[0]) |
                            static_cast<std::uint32_t>(buffer[1]) << 8 |
                            static_cast<std::uint32_t>(buffer[2]) << 16 |
                            static_cast<std::uint32_t>(buffer[3]) << 24;
    return std::to_string(v);
  }
  const char* text = reinterpret_cast<const char*>(buffer);
  std::size_t n = 0;
  while (n < size && text[n] != '\0') ++n;
  return std::string(text, n);
}

// --- System names ---

std::string LoggedUserName() {
  char buffer[256];
  DWORD size = sizeof buffer;
  if (!GetUserNameA(buffer, &size)) return std::string();
  return TrimText(std::string(buffer, strnlen(buffer, sizeof buffer)));
}

std::string ComputerName() {
  char buffer[256];
  DWORD size = sizeof buffer;
  if (!GetComputerNameA(buffer, &size)) return std::string();
  return TrimText(std::string(buffer, strnlen(buffer, sizeof buffer)));
}

std::string WindowsVersionKey() { return WindowsVersionKeyFor(IsWinNT()); }

// An owner value that is present but blank counts as none registered (wine and some images).
std::string OwnerUserName() {
  const std::string owner = TrimText(RegReadText(WindowsVersionKey(), "RegisteredOwner", ""));
  return owner.empty() ? LoggedUserName() : owner;
}

std::string OwnerCompanyName() {
  return TrimText(RegReadText(WindowsVersionKey(), "RegisteredOrganization", ""));
}

std::string AccountDomain(const std::string& account) {
  DWORD sid_size = 0, domain_size = 0;
  SID_NAME_USE use;
  LookupAccountNameA(nullptr, account.c_str(), nullptr, &sid_size, nullptr, &domain_size, &use);
  if (sid_size == 0 || domain_size == 0) return std::string();
  std::vector<BYTE> sid(sid_size);
  std::vector<char> domain(domain_size + 1, '\0');
  if (!LookupAccountNameA(nullptr, account.c_str(), sid.data(), &sid_size, domain.data(),
                          &domain_size, &use))
    return std::string();
  return std::string(domain.data(), strnlen(domain.data(), domain.size()));
}

std::string CurrentDomainName() { return AccountDomain(LoggedUserName()); }

// --- Time, errors, windows ---

DateTimeValue DateTimeFromSystemTime(const SYSTEMTIME& time) {
  DateTimeValue when;
  when.year = time.wYear;
  when.month = time.wMonth;
  when.day = time.wDay;
  when.hour = time.wHour;
  when.minute = time.wMinute;
  when.second = time.wSecond;
  return when;
}

DateTimeValue LocalNow() {
  SYSTEMTIME now;
  GetLocalTime(&now);
  return DateTimeFromSystemTime(now);
}

std::string DateTimeText(const DateTimeValue& when) {
  char separator[8] = ":";
  if (GetLocaleInfoA(LOCALE_USER_DEFAULT, LOCALE_STIME, separator, sizeof separator) < 2)
    separator[0] = ':';
  return DateTimeText(when, separator[0]);
}

std::string WindowText(HWND window) {
  if (!window) return std::string();
  char buffer[1001];
  const int n = GetWindowTextA(window, buffer, sizeof buffer);
  return n > 0 ? std::string(buffer, static_cast<std::size_t>(n)) : std::string();
}

std::string LastErrorText() { return LastErrorText(GetLastError()); }

std::string LastErrorText(DWORD error_code) {
  char* message = nullptr;
  const DWORD n = FormatMessageA(
      FORMAT_MESSAGE_ALLOCATE_BUFFER | FORMAT_MESSAGE_FROM_SYSTEM | FORMAT_MESSAGE_IGNORE_INSERTS,
      nullptr, error_code, 0, reinterpret_cast<LPSTR>(&message), 0, nullptr);
  std::string text = (n > 0 && message) ? std::string(message, n) : std::string();
  if (message) LocalFree(message);
  return TrimText(text);  // the system ends its messages with a line break
}

int PointsToPixels(int points) {
  static const int pixels_per_inch = [] {
    const WindowDC dc(nullptr);
    const int v = dc.get() ? GetDeviceCaps(dc.get(), LOGPIXELSY) : 0;
    return v > 0 ? v : 96;
  }();
  return MulDiv(points, pixels_per_inch, 72);
}

COLORREF SystemColorValue(std::int32_t colour) {
  if (colour < 0) return GetSysColor(colour & 0xFF);
  return static_cast<COLORREF>(colour);
}

// The caller's font owner keeps the status font; a new call replaces and deletes the previous
// one, so repeated status texts do not use up GDI objects.
void SetStatusText(HWND window, FontOwner& font_owner, const std::string& text,
                   const std::string& font_name, int font_size, int charset) {
  if (!window) return;
  const bool right_to_left = charset == 177 || charset == 178;  // Hebrew and Arabic
  SetWindowLongA(window, GWL_EXSTYLE, right_to_left ? WS_EX_RTLREADING : 0);
  SetWindowLongA(window, GWL_STYLE, WS_CHILD | WS_VISIBLE | (right_to_left ? SS_RIGHT : 0));
  HFONT font = CreateFontA(-PointsToPixels(font_size), 0, 0, 0, FW_DONTCARE, FALSE, FALSE, FALSE,
                           static_cast<BYTE>(charset), OUT_DEFAULT_PRECIS, CLIP_DEFAULT_PRECIS,
                           DEFAULT_QUALITY, DEFAULT_PITCH, font_name.c_str());
  if (font) {
    SendMessageA(window, WM_SETFONT, reinterpret_cast<WPARAM>(font), FALSE);
    font_owner = FontOwner(font);  // deletes the previous font, no longer selected
  }
  SetWindowTextA(window, text.c_str());
}

// --- Waiting ---

// A WM_QUIT taken from the queue here would be lost to the caller's message loop, so it is
// posted again and the pumping stops.
void PumpMessages(DWORD milliseconds) {
  MSG msg;
  while (PeekMessageA(&msg, nullptr, 0, 0, PM_REMOVE)) {
    if (msg.message == WM_QUIT) {
      PostQuitMessage(static_cast<int>(msg.wParam));
      break;
    }
    TranslateMessage(&msg);
    DispatchMessageA(&msg);
  }
  if (milliseconds > 0) Sleep(milliseconds);
}

// Elapsed time is measured by unsigned difference, so the wrap of the tick count after
// 49.7 days neither ends the wait early nor makes it last until the next wrap.
void WaitPumping(DWORD milliseconds, DWORD step) {
  if (step == 0) step = static_cast<DWORD>(ClampInt(static_cast<int>(milliseconds / 10), 1, 25));
  const DWORD t0 = GetTickCount();
  do {
    PumpMessages(step);
  } while (GetTickCount() - t0 <= milliseconds);
}

void SetAutoPlayCancel(bool enable) {
  auto_play_cancel_message = enable ? RegisterWindowMessageA("QueryCancelAutoPlay") : 0;
}

UINT AutoPlayCancelMessage() { return auto_play_cancel_message; }

// --- Shell and DLLs ---

bool ShellOpen(const std::string& file, const std::string& parameters, int show_command) {
  const HINSTANCE result = ShellExecuteA(GetDesktopWindow(), nullptr, file.c_str(),
                                         parameters.c_str(), nullptr, show_command);
  return reinterpret_cast<INT_PTR>(result) > 32;
}

// LOAD_LIBRARY_SEARCH_SYSTEM32 exists where kernel32 exports AddDllDirectory (Windows 8, and
// Vista/7 with the DLL-search update); elsewhere the full path in the system folder is loaded.
HMODULE LoadSystemLibrary(const std::string& dll_name) {
  if (!IsBareFileName(dll_name)) {
    SetLastError(ERROR_INVALID_PARAMETER);
    return nullptr;
  }
  HMODULE kernel = GetModuleHandleA("kernel32.dll");
  const bool search_flags = kernel && GetProcAddress(kernel, "AddDllDirectory");
  if (search_flags) return LoadLibraryExA(dll_name.c_str(), nullptr, LOAD_LIBRARY_SEARCH_SYSTEM32);
  return LoadSystemLibraryByPath(dll_name);
}

// The altered search order makes the DLL's own imports also come from the system folder.
HMODULE LoadSystemLibraryByPath(const std::string& dll_name) {
  if (!IsBareFileName(dll_name)) {
    SetLastError(ERROR_INVALID_PARAMETER);
    return nullptr;
  }
  const std::string system = SystemDir(true);
  if (system.size() <= 1) return nullptr;
  return LoadLibraryExA((system + dll_name).c_str(), nullptr, LOAD_WITH_ALTERED_SEARCH_PATH);
}

// Unlike a load by bare name, this never maps a DLL of the same name from the program's
// folder (the planted-DLL attack on installers started from a downloads folder).
FARPROC BindProc(const std::string& dll_name, const std::string& function_name) {
  HMODULE module = LoadSystemLibrary(dll_name);
  if (!module) return nullptr;
  return GetProcAddress(module, function_name.c_str());
}

bool RestrictDllSearch() {
  HMODULE kernel = GetModuleHandleA("kernel32.dll");
  if (!kernel) return false;
  using SetDllDirectoryFn = BOOL(WINAPI*)(LPCSTR);
  using SetDefaultDllDirectoriesFn = BOOL(WINAPI*)(DWORD);
  auto set_dll_directory = reinterpret_cast<SetDllDirectoryFn>(
      reinterpret_cast<void*>(GetProcAddress(kernel, "SetDllDirectoryA")));
  if (set_dll_directory) set_dll_directory("");  // "" removes the current folder
  auto set_defaults = reinterpret_cast<SetDefaultDllDirectoriesFn>(
      reinterpret_cast<void*>(GetProcAddress(kernel, "SetDefaultDllDirectories")));
  return set_defaults && set_defaults(LOAD_LIBRARY_SEARCH_SYSTEM32) != 0;
}
