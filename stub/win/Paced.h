// The stub's fixed pauses and its timer period at the pace of this run (rules/Pace.h): as
// given, unless the environment of a test run asks for a quicker pace.
#pragma once

#ifndef NOMINMAX
#define NOMINMAX
#endif
#include <windows.h>

DWORD Paced(DWORD milliseconds);
