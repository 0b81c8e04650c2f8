#include "platform/win32/win32_window_link.h"

#include <windows.h>

namespace ovalink {

namespace {
HWND ToHwnd(WindowHandle window) { return reinterpret_cast<HWND>(window); }
}  // namespace

bool Win32WindowLink::Post(WindowHandle window, std::uint32_t message, std::uintptr_t wParam,
                           std::intptr_t lParam) {
  return PostMessageA(ToHwnd(window), message, static_cast<WPARAM>(wParam),
                      static_cast<LPARAM>(lParam)) != FALSE;
}

void Win32WindowLink::SetItemText(WindowHandle window, int controlId, const std::string& text) {
  SetDlgItemTextA(ToHwnd(window), controlId, text.c_str());
}

void Win32WindowLink::ServeWaitingWorker() {
  // Peeking delivers pending sent messages (and only those, with this filter); nothing
  // posted is taken from the queue.
  MSG message;
  PeekMessageA(&message, nullptr, 0, 0, PM_NOREMOVE | PM_QS_SENDMESSAGE);
}

}  // namespace ovalink
