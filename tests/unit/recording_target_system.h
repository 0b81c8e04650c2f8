#pragma once
// A target system for tests: windows are entries in a table, and every call that acts on
// the window system is recorded as a line of text, in order. Focus follows the real rule:
// it can move only to a window whose thread shares the caller's input, and the caller sees
// another thread's focus only while attached to it.

#include <cstdint>
#include <map>
#include <set>
#include <sstream>
#include <string>
#include <utility>
#include <vector>

#include "platform/target_system.h"

namespace ovalink {

class RecordingTargetSystem : public TargetSystem {
 public:
  static constexpr ThreadId kOwnThread = 1;

  // A top-level window of `className` on `thread` (another thread than ours by default).
  WindowHandle AddWindow(const std::string& className, ThreadId thread = 2) {
    const WindowHandle handle = nextHandle_;
    nextHandle_ += 0x10;
    windows_[handle] = {className, thread};
    return handle;
  }
  void RemoveWindow(WindowHandle window) { windows_.erase(window); }
  // Failure switch: the window closes as soon as it receives a key press.
  void CloseOnKey(WindowHandle window) { closeOnKey_ = window; }

  // The focus in the caller's own input state, e.g. a window of our own thread.
  void GiveFocus(WindowHandle window) { focus_ = window; }
  WindowHandle FocusWindow() const { return focus_; }
  bool AnyAttachment() const { return !attached_.empty(); }

  // Calls that act: "attach 1 to 2", "detach 1 from 2", "focus 0x100", "key down 0x26",
  // "key up 0x26", "post 0x100 message 0x319 wParam 0x100 lParam 0xa0000".
  const std::vector<std::string>& Actions() const { return actions_; }
  // Class names searched for, in order.
  const std::vector<std::string>& Searches() const { return searches_; }
  void ClearLog() {
    actions_.clear();
    searches_.clear();
  }

  WindowHandle FindTopLevelWindow(const char* className) override {
    searches_.emplace_back(className);
    for (const auto& [handle, window] : windows_) {
      if (window.className == className) return handle;
    }
    return 0;
  }

  WindowHandle FocusedWindow() override { return SharesInput(focus_) ? focus_ : 0; }

  ThreadId CurrentThreadId() override { return kOwnThread; }

  ThreadId WindowThreadId(WindowHandle window) override {
    const auto found = windows_.find(window);
    return found == windows_.end() ? 0 : found->second.thread;
  }

  bool AttachInput(ThreadId from, ThreadId to, bool attach) override {
    Record((attach ? "attach " : "detach ") + std::to_string(from) +
           (attach ? " to " : " from ") + std::to_string(to));
    if (from != kOwnThread || to == 0 || to == kOwnThread) return false;
    if (attach) {
      attached_.insert(to);
      return true;
    }
    return attached_.erase(to) == 1;
  }

  void SetFocus(WindowHandle window) override {
    Record("focus " + Hex(window));
    if (windows_.count(window) != 0 && SharesInput(window)) focus_ = window;
  }

  void KeyDown(std::uint8_t vk) override {
    Record("key down " + Hex(vk));
    if (closeOnKey_ == focus_) RemoveWindow(focus_);
  }
  void KeyUp(std::uint8_t vk) override { Record("key up " + Hex(vk)); }

  bool Post(WindowHandle window, std::uint32_t message, std::uintptr_t wParam,
            std::intptr_t lParam) override {
    Record("post " + Hex(window) + " message " + Hex(message) + " wParam " + Hex(wParam) +
           " lParam " + Hex(static_cast<std::uintptr_t>(lParam)));
    return windows_.count(window) != 0;
  }

  static std::string Hex(std::uintmax_t value) {
    std::ostringstream text;
    text << "0x" << std::hex << value;
    return text.str();
  }

 private:
  struct Window {
    std::string className;
    ThreadId thread;
  };

  bool SharesInput(WindowHandle window) const {
    const auto found = windows_.find(window);
    if (found == windows_.end()) return false;
    const ThreadId thread = found->second.thread;
    return thread == kOwnThread || attached_.count(thread) != 0;
  }

  void Record(std::string line) { actions_.push_back(std::move(line)); }

  std::map<WindowHandle, Window> windows_;
  WindowHandle nextHandle_ = 0x100;
  WindowHandle focus_ = 0;
  WindowHandle closeOnKey_ = 0;
  std::set<ThreadId> attached_;
  std::vector<std::string> actions_;
  std::vector<std::string> searches_;
};

}  // namespace ovalink
