// Helpers of the wine tests that run the update agent: the test-mode registry key and waiting
// for one of the agent's boxes.
#pragma once

#ifndef NOMINMAX
#define NOMINMAX
#endif
#include <windows.h>

#include <string>

#include "BoxDriver.h"

// The registry key of the agent's test mode, removed again at the end.
class TestModeKey {
 public:
  explicit TestModeKey(const std::string& folder) {
    RegCreateKeyExA(HKEY_CURRENT_USER, "Software\\Morvath\\Wexlin\\AutoUpdate", 0, nullptr, 0,
                    KEY_WRITE, nullptr, &key_, nullptr);
    RegSetValueExA(key_, "TestMode", 0, REG_SZ, reinterpret_cast<const BYTE*>("1"), 2);
    RegSetValueExA(key_, "TestModeURL", 0, REG_SZ,
                   reinterpret_cast<const BYTE*>(folder.c_str()), DWORD(folder.size() + 1));
  }
  ~TestModeKey() {
    RegCloseKey(key_);
    RegDeleteKeyA(HKEY_CURRENT_USER, "Software\\Morvath\\Wexlin\\AutoUpdate");
  }
  TestModeKey(const TestModeKey&) = delete;
  TestModeKey& operator=(const TestModeKey&) = delete;

 private:
  HKEY key_ = nullptr;
};

// The agent's box of that caption, waiting for it; an earlier box may still be on its way out.
// After a box of the same caption was answered, pass it as `previous`: until it has gone it
// would be found again in place of the next one.
inline box_driver::BoxInfo WaitForBox(const std::string& caption, DWORD milliseconds = 20000,
                                      HWND previous = nullptr) {
  box_driver::BoxInfo info;
  const DWORD t0 = GetTickCount();
  while (info.caption != caption && GetTickCount() - t0 < milliseconds) {
    const HWND box = box_driver::FindBox("WMsgBox", 1000);
    if (box && box != previous) info = box_driver::ReadBox(box, false);
    if (info.caption != caption) Sleep(20);
  }
  return info;
}
