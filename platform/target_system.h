#pragma once
// Target system seam: the window-system calls that find the media application and inject a
// command into it. One call each, mirroring user32; callers ignore every result except
// those of FindTopLevelWindow and FocusedWindow, so a back end reports failure only there.

#include <cstdint>

#include "platform/window_link.h"

namespace ovalink {

using ThreadId = std::uint32_t;

// Called on the main window's thread only (SendCommand), with no engine lock held.
class TargetSystem {
 public:
  TargetSystem() = default;
  TargetSystem(const TargetSystem&) = delete;
  TargetSystem& operator=(const TargetSystem&) = delete;
  virtual ~TargetSystem() = default;

  // A top-level window of class `className`, whatever its title (FindWindowA(class, NULL));
  // 0 when there is none. Never cached: every call searches afresh.
  virtual WindowHandle FindTopLevelWindow(const char* className) = 0;

  // The window with the keyboard focus in the calling thread's input state (GetFocus);
  // 0 when that state has no focus window, which is the case for a window of a thread whose
  // input is not attached to the caller's.
  virtual WindowHandle FocusedWindow() = 0;

  // Identifier of the calling thread (GetCurrentThreadId).
  virtual ThreadId CurrentThreadId() = 0;

  // Identifier of the thread that created `window` (GetWindowThreadProcessId); 0 when the
  // window no longer exists.
  virtual ThreadId WindowThreadId(WindowHandle window) = 0;

  // Joins (attach true) or separates (false) the input states of two threads
  // (AttachThreadInput), so that focus can be given to a window of `to`. False on failure,
  // for instance when separating threads that are not attached.
  virtual bool AttachInput(ThreadId from, ThreadId to, bool attach) = 0;

  // Gives the keyboard focus to `window` (SetFocus). Only effective for a window whose
  // thread shares the caller's input state.
  virtual void SetFocus(WindowHandle window) = 0;

  // Synthesises a press or a release of virtual key `vk` into the system's input stream,
  // scan code 0, no extra info (keybd_event with flags 0 or KEYEVENTF_KEYUP). It reaches
  // whichever window has the focus when the input is processed.
  virtual void KeyDown(std::uint8_t vk) = 0;
  virtual void KeyUp(std::uint8_t vk) = 0;

  // Queues a message for `window` (PostMessageA); never waits. False when not queued.
  virtual bool Post(WindowHandle window, std::uint32_t message, std::uintptr_t wParam,
                    std::intptr_t lParam) = 0;
};

}  // namespace ovalink
