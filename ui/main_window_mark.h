#pragma once
// What tells the program's own main window from every other top-level window titled
// "Ovalink" (an Explorer window on the install folder, the About box, a message box): a
// window property that only the main window carries. A second start finds the running
// instance by it.

#include <windows.h>

namespace ovalink {

// Set once the main window exists; removed before it is destroyed.
void MarkMainWindow(HWND window);
void UnmarkMainWindow(HWND window);

// A top-level dialog titled "Ovalink" that carries the mark; null when there is none.
HWND FindMarkedMainWindow();

// Asks the running instance's main window to show itself (ID_OPEN), without waiting for it:
// a hung instance never hangs the caller. Lets that process take the foreground, which the
// caller, just started by the user, may give. False when no marked window was found.
bool OpenRunningMainWindow();

}  // namespace ovalink
