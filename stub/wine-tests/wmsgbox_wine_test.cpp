// The markup message box under wine. The box runs modally on the test's thread; it is driven
// either by the box-driver program as a child process or, with the same driver code, from a
// second thread of the test.
#include "win/WMsgBox.h"

#include <gtest/gtest.h>

#include <cstdio>
#include <functional>
#include <thread>

#include "BoxDriver.h"
#include "text/MarkupText.h"
#include "win/Utils.h"

namespace {

using box_driver::BoxInfo;

constexpr UINT kSafety = 20000;  // closes a box that a failed test left open

// Runs drive(box) on a second thread once the box is up; show() opens it on this thread.
int DriveFromThread(const std::function<int()>& show, const std::function<void(HWND)>& drive) {
  std::thread driver([&] {
    const HWND box = box_driver::FindBox("WMsgBox", 10000);
    if (!box) {
      ADD_FAILURE() << "no box appeared";
      return;
    }
    drive(box);
  });
  const int result = show();
  driver.join();
  return result;
}

void Press(HWND box, const std::string& id_or_caption) {
  const BoxInfo info = box_driver::ReadBox(box, false);
  const HWND button = box_driver::FindButton(info, id_or_caption);
  ASSERT_NE(button, nullptr) << id_or_caption;
  box_driver::PressButton(info, button, box_driver::PressWay::Command);
}

// The caption of the focused button once it differs from before (up to two seconds).
std::string FocusAfterKey(HWND box, UINT key, const std::string& before) {
  box_driver::PressKey(box, key);
  for (int i = 0; i < 40; ++i) {
    for (const auto& b : box_driver::ReadBox(box, false).buttons)
      if (b.focused && b.caption != before) return b.caption;
    Sleep(50);
  }
  return before;
}

// The driver program as a child process; its output goes to a file.
class DriverProcess {
 public:
  explicit DriverProcess(const std::string& arguments) {
    path_ = TempDir(true) + "box_driver_" + IntText(GetCurrentProcessId()) + ".txt";
    SECURITY_ATTRIBUTES sa = {sizeof sa, nullptr, TRUE};
    out_ = CreateFileA(path_.c_str(), GENERIC_WRITE, FILE_SHARE_READ, &sa, CREATE_ALWAYS,
                       FILE_ATTRIBUTE_NORMAL, nullptr);
    std::string exe = "Z:" + std::string(BOX_DRIVER_UNIX_PATH);
    for (char& c : exe)
      if (c == '/') c = '\\';
    std::string line = "\"" + exe + "\" " + arguments;
    STARTUPINFOA si = {};
    si.cb = sizeof si;
    si.dwFlags = STARTF_USESTDHANDLES;
    si.hStdOutput = out_;
    si.hStdError = out_;
    started_ = out_ != INVALID_HANDLE_VALUE &&
               CreateProcessA(exe.c_str(), &line[0], nullptr, nullptr, TRUE, 0, nullptr,
                              nullptr, &si, &process_);
    EXPECT_TRUE(started_) << exe << ": " << LastErrorText();
  }
  ~DriverProcess() {
    if (started_) {
      CloseHandle(process_.hThread);
      CloseHandle(process_.hProcess);
    }
    if (out_ != INVALID_HANDLE_VALUE) CloseHandle(out_);
    DeleteFileA(path_.c_str());
  }
  // Waits for the driver; its output, with its exit status as a last line "status=N".
  std::string Finish() {
    if (!started_) return std::string();
    EXPECT_EQ(WaitForSingleObject(process_.hProcess, 30000), WAIT_OBJECT_0);
    DWORD code = 99;
    GetExitCodeProcess(process_.hProcess, &code);
    CloseHandle(out_);
    out_ = INVALID_HANDLE_VALUE;
    std::string text;
    const HANDLE in = CreateFileA(path_.c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr,
                                  OPEN_EXISTING, 0, nullptr);
    if (in != INVALID_HANDLE_VALUE) {
      char buffer[4096];
      DWORD n = 0;
      while (ReadFile(in, buffer, sizeof buffer, &n, nullptr) && n > 0) text.append(buffer, n);
      CloseHandle(in);
    }
    return text + "status=" + IntText(code) + "\n";
  }

 private:
  std::string path_;
  HANDLE out_ = INVALID_HANDLE_VALUE;
  PROCESS_INFORMATION process_ = {};
  bool started_ = false;
};

bool Has(const std::string& output, const std::string& line) {
  return output.find(line + "\n") != std::string::npos;
}

TEST(WMsgBoxWine, DriverChoosesIgnoreWhereRetryIsDefault) {
  DriverProcess driver("--bold --press &Ignore");
  const int result = ShowBox(nullptr, "Drive <b>A:</b> is not ready.", "Setup", "", 0, 0x102,
                             kSafety);
  const std::string out = driver.Finish();
  EXPECT_EQ(result, box::kResultIgnore) << out;
  EXPECT_TRUE(Has(out, "caption=Setup")) << out;
  // A title that is no kind title is not upper-cased in the heading.
  EXPECT_TRUE(Has(out, "text=Setup\\r\\n\\r\\nDrive A: is not ready.\\r\\n")) << out;
  EXPECT_TRUE(Has(out, "button=3:&Abort")) << out;
  EXPECT_TRUE(Has(out, "button=4:&Retry default focus")) << out;
  EXPECT_TRUE(Has(out, "button=5:&Ignore")) << out;
  EXPECT_TRUE(Has(out, "bold=Setup")) << out;
  EXPECT_TRUE(Has(out, "bold=A:")) << out;
  EXPECT_TRUE(Has(out, "pressed=5")) << out;
  EXPECT_TRUE(Has(out, "status=0")) << out;
}

TEST(WMsgBoxWine, DriverReadsFontAndUsesKeys) {
  SetBoxFont("SimSun", 10, 134);
  // Yes, No, Cancel with No as default: Right moves to Cancel, Enter chooses it.
  DriverProcess driver("--key right --key enter");
  const int result = ShowBox(BOX_OWNER_ACTIVE, "Continue?", "Confirm",
                             "|&Gut|&Abbruch|&Ja|&Nein|", 0, 0x103, kSafety);
  SetBoxFont("Tahoma", 8, 1);
  const std::string out = driver.Finish();
  EXPECT_EQ(result, box::kResultCancel) << out;
  EXPECT_TRUE(Has(out, "font=SimSun,134")) << out;
  EXPECT_TRUE(Has(out, "text=Continue?")) << out;  // an owner: no heading
  EXPECT_TRUE(Has(out, "button=6:&Ja")) << out;
  EXPECT_TRUE(Has(out, "button=7:&Nein default focus")) << out;
  EXPECT_TRUE(Has(out, "button=2:&Abbruch")) << out;
  EXPECT_TRUE(Has(out, "status=0")) << out;
}

TEST(WMsgBoxWine, DriverReportsMissingBox) {
  DriverProcess driver("--class NoSuchBoxClass --timeout 200");
  const std::string out = driver.Finish();
  EXPECT_TRUE(Has(out, "nobox=NoSuchBoxClass")) << out;
  EXPECT_TRUE(Has(out, "status=1")) << out;
}

TEST(WMsgBoxWine, TimeoutChoosesFirstButton) {
  const DWORD start = GetTickCount();
  const int result = ShowBox(nullptr, "Closes by itself.", "Setup", "", 0, 1, 3000);
  EXPECT_EQ(result, box::kResultOk);
  EXPECT_GE(GetTickCount() - start, 2900u);  // it waited for the timeout, not closed at once
}

TEST(WMsgBoxWine, ErrorBoxWithoutOwner) {
  BoxInfo seen;
  const int result = DriveFromThread(
      [] { return ErrorBox(nullptr, "Disk full.", "Error", "", 0); },
      [&](HWND box) {
        seen = box_driver::ReadBox(box, true);
        box_driver::TypeChar(box, 'o');
      });
  EXPECT_EQ(result, box::kResultOk);
  EXPECT_EQ(seen.caption, "Error");
  EXPECT_EQ(seen.text.rfind("ERROR\r\n\r\nDisk full.", 0), 0u) << seen.text;
  EXPECT_EQ(seen.bold, (std::vector<std::string>{"ERROR"}));
  ASSERT_EQ(seen.buttons.size(), 1u);
  EXPECT_EQ(seen.buttons[0].id, 1);
  EXPECT_EQ(seen.buttons[0].caption, "&OK");
  EXPECT_TRUE(seen.buttons[0].is_default);
  // Empty title: the kind title.
  const int warning = DriveFromThread(
      [] { return WarningBox(nullptr, "x", "", "", 0, kSafety); },
      [&](HWND box) {
        seen = box_driver::ReadBox(box, false);
        Press(box, "1");
      });
  EXPECT_EQ(warning, box::kResultOk);
  EXPECT_EQ(seen.caption, "Attention");
  EXPECT_EQ(seen.text.rfind("ATTENTION\r\n", 0), 0u) << seen.text;
}

TEST(WMsgBoxWine, RightToLeftCharsets) {
  struct Case {
    int charset;
    bool rtl;
  };
  for (const Case c : {Case{177, true}, Case{178, true}, Case{0, false}}) {
    BoxInfo seen;
    const int result = DriveFromThread(
        [&] { return ShowBox(BOX_OWNER_ACTIVE, "text", "T", "", c.charset, 0, kSafety); },
        [&](HWND box) {
          seen = box_driver::ReadBox(box, false);
          Press(box, "&OK");
        });
    EXPECT_EQ(result, box::kResultOk);
    EXPECT_EQ((seen.text_style & ES_RIGHT) != 0, c.rtl) << c.charset;
    EXPECT_EQ((seen.text_ex_style & WS_EX_RTLREADING) != 0, c.rtl) << c.charset;
  }
}

// Run once with code page 936 and once with a single-byte code page: the runs must cover the
// same characters.
TEST(WMsgBoxWine, BoldRunsOfDoubleByteText) {
  std::printf("code page %u\n", GetACP());
  BoxInfo seen;
  const int result = DriveFromThread(
      [] {
        return ShowBox(BOX_OWNER_ACTIVE, "\xD5\xFD<b>\xCC\xE1</b>x<P><b>y</b>", "T", "", 0, 0,
                       kSafety);
      },
      [&](HWND box) {
        seen = box_driver::ReadBox(box, true);
        Press(box, "1");
      });
  EXPECT_EQ(result, box::kResultOk);
  EXPECT_EQ(seen.text, "\xD5\xFD\xCC\xE1x\r\ny");
  EXPECT_EQ(seen.bold, (std::vector<std::string>{"\xCC\xE1", "y"})) << "code page " << GetACP();
}

TEST(WMsgBoxWine, ArrowKeysAndEnter) {
  std::string focus_left, focus_right;
  // Abort, Retry, Ignore: Left from Abort wraps to Ignore; Enter chooses it.
  int result = DriveFromThread([] { return ShowBox(BOX_OWNER_ACTIVE, "x", "T", "", 0, 2, kSafety); },
                               [&](HWND box) {
                                 focus_left = FocusAfterKey(box, VK_LEFT, "&Abort");
                                 box_driver::PressKey(box, VK_RETURN);
                               });
  EXPECT_EQ(focus_left, "&Ignore");
  EXPECT_EQ(result, box::kResultIgnore);
  // OK, Cancel: the empty third place is passed over both ways.
  result = DriveFromThread([] { return ShowBox(BOX_OWNER_ACTIVE, "x", "T", "", 0, 1, kSafety); },
                           [&](HWND box) {
                             focus_left = FocusAfterKey(box, VK_LEFT, "&OK");
                             focus_right = FocusAfterKey(box, VK_DOWN, focus_left);
                             box_driver::PressKey(box, VK_RETURN);
                           });
  EXPECT_EQ(focus_left, "&Cancel");
  EXPECT_EQ(focus_right, "&OK");
  EXPECT_EQ(result, box::kResultOk);
}

TEST(WMsgBoxWine, CloseButtonAndAutoPlay) {
  SetAutoPlayCancel(true);
  LRESULT answer = 0;
  const int result = DriveFromThread(
      [] { return ShowBox(BOX_OWNER_ACTIVE, "x", "T", "", 0, 1, kSafety); },
      [&](HWND box) {
        answer = SendMessageA(box, AutoPlayCancelMessage(), 0, 0);
        SendMessageA(box, WM_SYSCOMMAND, SC_CLOSE, 0);
      });
  SetAutoPlayCancel(false);
  EXPECT_EQ(answer, 1);
  EXPECT_EQ(result, box::kResultClosed);
}

TEST(WMsgBoxWine, PreviousWindowDisabledWhileOpen) {
  const HWND previous = CreateWindowExA(0, "STATIC", "previous", WS_OVERLAPPEDWINDOW | WS_VISIBLE,
                                        0, 0, 200, 100, nullptr, nullptr, nullptr, nullptr);
  ASSERT_NE(previous, nullptr);
  SetForegroundWindow(previous);
  SetActiveWindow(previous);
  ASSERT_EQ(GetActiveWindow(), previous);
  bool enabled_while_open = true;
  HWND owner = nullptr;
  const int result = DriveFromThread(
      [] { return AskYesNo(BOX_OWNER_ACTIVE, "Sure?", "", "", 0) ? 1 : 0; },
      [&](HWND box) {
        enabled_while_open = IsWindowEnabled(previous) != 0;
        owner = GetWindow(box, GW_OWNER);
        Press(box, "&Yes");
      });
  EXPECT_EQ(result, 1);
  EXPECT_FALSE(enabled_while_open);
  EXPECT_EQ(owner, previous);
  EXPECT_TRUE(IsWindowEnabled(previous));
  DestroyWindow(previous);
}

TEST(WMsgBoxWine, EmptyCaptionListGivesButtonsWithoutText) {
  BoxInfo seen;
  const int result = DriveFromThread(
      [] { return MarkupBox(nullptr, "x", "T", "|", 3, kSafety); },
      [&](HWND box) {
        seen = box_driver::ReadBox(box, false);
        Press(box, "7");
      });
  EXPECT_EQ(result, box::kResultNo);
  ASSERT_EQ(seen.buttons.size(), 3u);
  for (const auto& b : seen.buttons) EXPECT_EQ(b.caption, "");
  EXPECT_EQ(seen.buttons[0].id, 6);
  EXPECT_EQ(seen.buttons[2].id, 2);
  // AskOkCancel with an empty list: the default captions.
  const bool ok = DriveFromThread(
      [] { return AskOkCancel(BOX_OWNER_ACTIVE, "x", "", "", 0) ? 1 : 0; },
      [&](HWND box) {
        seen = box_driver::ReadBox(box, false);
        Press(box, "&Cancel");
      });
  EXPECT_FALSE(ok);
  ASSERT_EQ(seen.buttons.size(), 2u);
  EXPECT_EQ(seen.buttons[0].caption, "&OK");
}

TEST(WMsgBoxWine, FontSettingsAndLayout) {
  SetBoxFont("SimSun", 10, 134);
  SetBoxFont("Courier New", 0, 0);  // size 0 keeps 10
  BoxInfo seen;
  RECT text_rect = {}, box_rect = {};
  const std::string long_line(400, 'W');  // far wider than 600 pixels
  const int result = DriveFromThread(
      [&] { return ShowBox(BOX_OWNER_ACTIVE, long_line, "T", "", 0, 0, kSafety); },
      [&](HWND box) {
        seen = box_driver::ReadBox(box, false);
        GetWindowRect(FindWindowExA(box, nullptr, "RICHEDIT", nullptr), &text_rect);
        GetWindowRect(box, &box_rect);
        Press(box, "1");
      });
  SetBoxFont("Tahoma", 8, 1);
  EXPECT_EQ(result, box::kResultOk);
  EXPECT_EQ(seen.font_face, "Courier New");
  EXPECT_EQ(seen.font_charset, 0);
  EXPECT_EQ(seen.font_height, -PointsToPixels(10));
  EXPECT_EQ(text_rect.right - text_rect.left, 610);  // at most 600 + 10
  const int box_width = box_rect.right - box_rect.left;
  EXPECT_GE(box_width, 610 + 54 + 64);
  // Centred on the screen.
  EXPECT_NEAR(box_rect.left + box_width / 2, GetSystemMetrics(SM_CXSCREEN) / 2, 1);
}

}  // namespace
