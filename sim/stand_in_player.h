#pragma once
// A stand-in for the media applications, for the lab: it implements the target system by
// describing in words what a real Media Center or Media Player window would receive.
//
//   sim::StandInPlayer player(std::cout);
//   player.SetMediaPlayerRunning(true);
//   CommandMap commands(player, registry);
//   commands.SendCommand(7, false);   // prints "WMPlayerApp ← WM_APPCOMMAND APPCOMMAND_VOLUME_UP"

#include <atomic>
#include <cstdint>
#include <ostream>
#include <string>
#include <thread>

#include "platform/target_system.h"

namespace ovalink::sim {

class StandInPlayer : public TargetSystem {
 public:
  static constexpr WindowHandle kMediaCenterWindow = 0x1C0010;
  static constexpr WindowHandle kMediaPlayerWindow = 0x2A0020;
  // The lab's own thread, and one thread per application window.
  static constexpr ThreadId kLabThread = 1;
  static constexpr ThreadId kMediaCenterThread = 2;
  static constexpr ThreadId kMediaPlayerThread = 3;

  explicit StandInPlayer(std::ostream& out) : out_(out) {}

  // Which applications have a window; neither at first. Closing one takes its focus away.
  void SetMediaCenterRunning(bool running);
  void SetMediaPlayerRunning(bool running);

  // The application window that holds the keyboard focus; 0 when none does.
  WindowHandle FocusWindow() const { return focus_; }
  bool InputAttached() const { return attachedTo_ != 0; }
  // Calls of the target system made on another thread than the one that constructed it:
  // the system's windows belong to that thread (the main window's), as user32's do.
  int CallsFromOtherThreads() const { return foreignCalls_.load(); }

  WindowHandle FindTopLevelWindow(const char* className) override;
  WindowHandle FocusedWindow() override;
  ThreadId CurrentThreadId() override { return kLabThread; }
  ThreadId WindowThreadId(WindowHandle window) override;
  bool AttachInput(ThreadId from, ThreadId to, bool attach) override;
  void SetFocus(WindowHandle window) override;
  void KeyDown(std::uint8_t vk) override;
  void KeyUp(std::uint8_t vk) override;
  bool Post(WindowHandle window, std::uint32_t message, std::uintptr_t wParam,
            std::intptr_t lParam) override;

  // Names as the Windows SDK spells them; unknown codes in hex.
  static std::string AppCommandName(unsigned code);
  static std::string VirtualKeyName(std::uint8_t vk);

 private:
  void NoteCaller();
  bool Exists(WindowHandle window) const;
  std::string ClassOf(WindowHandle window) const;
  std::string ThreadName(ThreadId thread) const;
  void Key(std::uint8_t vk, const char* edge);

  std::ostream& out_;
  const std::thread::id owner_ = std::this_thread::get_id();
  std::atomic<int> foreignCalls_{0};
  bool mediaCenter_ = false;
  bool mediaPlayer_ = false;
  WindowHandle focus_ = 0;
  ThreadId attachedTo_ = 0;
};

}  // namespace ovalink::sim
