#pragma once
// The engine's link to its window: PostMessageA, and SetDlgItemTextA, which sends and so
// waits for the window's thread to take the text.

#include "platform/window_link.h"

namespace ovalink {

class Win32WindowLink : public WindowLink {
 public:
  bool Post(WindowHandle window, std::uint32_t message, std::uintptr_t wParam,
            std::intptr_t lParam) override;
  void SetItemText(WindowHandle window, int controlId, const std::string& text) override;
  // Handles the messages other threads have sent to this thread's windows.
  void ServeWaitingWorker() override;
};

}  // namespace ovalink
