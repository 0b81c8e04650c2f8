#include "platform/win32/win32_target_system.h"

#include <windows.h>

namespace ovalink {

namespace {
HWND ToHwnd(WindowHandle window) { return reinterpret_cast<HWND>(window); }
WindowHandle FromHwnd(HWND window) { return reinterpret_cast<WindowHandle>(window); }
}  // namespace

WindowHandle Win32TargetSystem::FindTopLevelWindow(const char* className) {
  return FromHwnd(::FindWindowA(className, nullptr));
}

WindowHandle Win32TargetSystem::FocusedWindow() { return FromHwnd(::GetFocus()); }

ThreadId Win32TargetSystem::CurrentThreadId() { return ::GetCurrentThreadId(); }

ThreadId Win32TargetSystem::WindowThreadId(WindowHandle window) {
  return ::GetWindowThreadProcessId(ToHwnd(window), nullptr);
}

bool Win32TargetSystem::AttachInput(ThreadId from, ThreadId to, bool attach) {
  return ::AttachThreadInput(from, to, attach ? TRUE : FALSE) != FALSE;
}

void Win32TargetSystem::SetFocus(WindowHandle window) { ::SetFocus(ToHwnd(window)); }

void Win32TargetSystem::KeyDown(std::uint8_t vk) { ::keybd_event(vk, 0, 0, 0); }

void Win32TargetSystem::KeyUp(std::uint8_t vk) { ::keybd_event(vk, 0, KEYEVENTF_KEYUP, 0); }

bool Win32TargetSystem::Post(WindowHandle window, std::uint32_t message, std::uintptr_t wParam,
                             std::intptr_t lParam) {
  return ::PostMessageA(ToHwnd(window), message, static_cast<WPARAM>(wParam),
                        static_cast<LPARAM>(lParam)) != FALSE;
}

}  // namespace ovalink
