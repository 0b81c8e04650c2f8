#pragma once
// GetTickCount64 for code that must also run on Windows XP, which lacks it.

#include <windows.h>

namespace ovalink {

// The system's GetTickCount64 where there is one (Vista and later), else WidenedTickCount.
ULONGLONG TickCount64();

// GetTickCount widened to 64 bits: XP's stand-in.
ULONGLONG WidenedTickCount();

}  // namespace ovalink
