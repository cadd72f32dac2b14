#include "app/AgentCommands.h"

#include <cstdint>

#include "app/AgentSettings.h"
#include "app/AgentState.h"
#include "app/StubState.h"
#include "rules/AgentProtocol.h"

namespace {

constexpr WPARAM Code(AgentCommandCode code) { return WPARAM(code); }

}  // namespace

LRESULT AgentCommand(WPARAM code, LPARAM argument) {
  // Results and arguments are 32-bit on every build, as for a 32-bit caller.
  const std::int32_t arg = std::int32_t(argument);
  auto result = [](std::int64_t value) { return LRESULT(std::int32_t(value)); };
  using C = AgentCommandCode;
  switch (code) {
    case Code(C::VersionOriginal): return result(OriginalSetup::VersionOriginal());
    case Code(C::VersionNew): return result(NewSetup::VersionNew());
    case Code(C::AgentState): return result(std::int32_t(AgentState));
    case Code(C::ProbeSecondsInterval): return result(OriginalSetup::ProbeSecondsInterval());
    case Code(C::ReAskSecondsInterval): return result(OriginalSetup::ReAskSecondsInterval());
    case Code(C::ProbeSecondsLast): return result(OriginalSetup::ProbeSecondsLast());
    case Code(C::ReAskSecondsLast): return result(OriginalSetup::ReAskSecondsLast());
    case Code(C::SetProbeSecondsInterval): OriginalSetup::SetProbeSecondsInterval(arg); break;
    case Code(C::SetReAskSecondsInterval): OriginalSetup::SetReAskSecondsInterval(arg); break;
    case Code(C::SetProbeSecondsLast): OriginalSetup::SetProbeSecondsLast(arg); break;
    case Code(C::SetReAskSecondsLast): OriginalSetup::SetReAskSecondsLast(arg); break;
    case Code(C::SetStopCountdown): StopCountdown = arg; break;
    case Code(C::CheckNow):
      // Only flags: the check itself runs in the next tick, never inside this message.
      ForceShot = true;
      if (arg == kCheckNowInteractive) CheckMode = 2;
      break;
    default:
      if (code >= Code(C::SetOverrideSlot0) && code <= Code(C::SetOverrideSlot5))
        SetOverrideSlot(int(code - Code(C::SetOverrideSlot0)), std::uint8_t(arg));
      break;
  }
  return 0;
}
