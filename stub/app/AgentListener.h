// AgentListener: the notifications the agent posts to the listener window that registered
// with message 1124 (AgentProtocol.h).
#pragma once

#ifndef NOMINMAX
#define NOMINMAX
#endif
#include <windows.h>

#include "rules/AgentProtocol.h"

// Posts (notice, value) to the listener when one is registered.
void NotifyListener(AgentNotice notice, LPARAM value);
