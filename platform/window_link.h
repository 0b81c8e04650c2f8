#pragma once
// Window link seam: how the engine's worker reaches the window that owns it.

#include <cstdint>
#include <string>

namespace ovalink {

// Opaque window handle (an HWND on Win32); 0 = none.
using WindowHandle = std::uintptr_t;

// Called from the engine's worker thread, with no engine lock held.
class WindowLink {
 public:
  virtual ~WindowLink() = default;
  // Queues a message for the window (PostMessageA); never waits. False when not queued.
  virtual bool Post(WindowHandle window, std::uint32_t message, std::uintptr_t wParam,
                    std::intptr_t lParam) = 0;
  // Sets the text of the window's child control `controlId` and returns once the window's
  // thread has taken it (SetDlgItemTextA). Nothing happens when there is no such child.
  virtual void SetItemText(WindowHandle window, int controlId, const std::string& text) = 0;

  // Called by the window's own thread, with no engine lock held, while it waits for the
  // worker to end (Stop): carries out a SetItemText the worker is waiting in, so that the
  // two threads never wait for each other. Nothing to do where SetItemText never waits.
  virtual void ServeWaitingWorker() {}
};

}  // namespace ovalink
