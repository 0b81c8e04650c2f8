#include "ui/main_window_mark.h"

#include <cstring>

#include "engine/engine_types.h"
#include "resources/resource.h"

namespace ovalink {

namespace {
constexpr const char* kMarkProperty = "Ovalink.MainWindow.5C1D7A92";
constexpr const char* kDialogClass = "#32770";
const HANDLE kMarkValue = reinterpret_cast<HANDLE>(static_cast<INT_PTR>(1));

BOOL CALLBACK MatchMarked(HWND window, LPARAM found) {
  char className[16] = {};
  char title[16] = {};
  ::GetClassNameA(window, className, sizeof className);
  ::GetWindowTextA(window, title, sizeof title);
  if (std::strcmp(className, kDialogClass) == 0 && std::strcmp(title, kAppCaption) == 0 &&
      ::GetPropA(window, kMarkProperty) == kMarkValue) {
    *reinterpret_cast<HWND*>(found) = window;
    return FALSE;
  }
  return TRUE;
}
}  // namespace

void MarkMainWindow(HWND window) { ::SetPropA(window, kMarkProperty, kMarkValue); }

void UnmarkMainWindow(HWND window) { ::RemovePropA(window, kMarkProperty); }

HWND FindMarkedMainWindow() {
  HWND found = nullptr;
  ::EnumWindows(&MatchMarked, reinterpret_cast<LPARAM>(&found));
  return found;
}

bool OpenRunningMainWindow() {
  const HWND running = FindMarkedMainWindow();
  if (running == nullptr) return false;
  DWORD process = 0;
  ::GetWindowThreadProcessId(running, &process);
  ::AllowSetForegroundWindow(process);
  return ::PostMessageA(running, WM_COMMAND, ID_OPEN, 0) != FALSE;
}

}  // namespace ovalink
