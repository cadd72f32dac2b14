#include "app/StubState.h"

#include "rules/RunMode.h"
#include "win/Utils.h"

std::unique_ptr<TGFileInfo> OwnInfo;
bool IsAutoUpdateProg = false;
std::string WindowClass = "WexlinStub";
std::int32_t StopCountdown = -1;
HWND ListenerWindow = nullptr;
UINT ListenerMessage = 0;
std::int32_t AutoUpdateTimerCount = -3;
bool ForceShot = false;
std::int32_t CheckMode = 0;
StubWindowHandles StubWindow;

std::string OwnExePath() { return ExeFileName(); }
std::string OwnFileName() { return FileNameOfPath(ExeFileName()); }
