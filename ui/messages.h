#pragma once
// Window messages of the main window that other parts of the user interface send.

#include <windows.h>

namespace ovalink {

// The shell's notifications for the tray icon.
constexpr UINT WM_TRAY_NOTIFY = WM_USER + 0x100;

}  // namespace ovalink
