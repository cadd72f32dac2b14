#include "app/AgentState.h"

#include "win/Utils.h"

AgentActivity AgentState = AgentActivity::Idle;
bool FirstShot = true;
bool TickBusy = false;
bool TestMode = false;
std::string TestModeURL;

const char kTestModeKey[] = "HKEY_CURRENT_USER\\Software\\Morvath\\Wexlin\\AutoUpdate";

namespace {

bool test_mode_read = false;
DWORD test_mode_tick = 0;

}  // namespace

bool IsTestMode(bool force) {
  const DWORD now = GetTickCount();
  if (force || !test_mode_read || std::int32_t(now - test_mode_tick) > 30000) {
    TestMode = RegReadText(kTestModeKey, "TestMode", "0") == "1";
    TestModeURL = RegReadText(kTestModeKey, "TestModeURL", "");
    test_mode_read = true;
  }
  test_mode_tick = now;
  return TestMode;
}
