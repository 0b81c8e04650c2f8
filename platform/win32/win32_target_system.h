#pragma once
// The target system on Windows: user32's window search, focus and input injection.

#include "platform/target_system.h"

namespace ovalink {

class Win32TargetSystem : public TargetSystem {
 public:
  WindowHandle FindTopLevelWindow(const char* className) override;
  WindowHandle FocusedWindow() override;
  ThreadId CurrentThreadId() override;
  ThreadId WindowThreadId(WindowHandle window) override;
  bool AttachInput(ThreadId from, ThreadId to, bool attach) override;
  void SetFocus(WindowHandle window) override;
  void KeyDown(std::uint8_t vk) override;
  void KeyUp(std::uint8_t vk) override;
  bool Post(WindowHandle window, std::uint32_t message, std::uintptr_t wParam,
            std::intptr_t lParam) override;
};

}  // namespace ovalink
