#pragma once
// Finding the media application and handing it one command.

#include "commands/remote_command.h"
#include "platform/target_system.h"

namespace ovalink {

// Window classes of the media applications, in order of preference.
constexpr const char* kMediaCenterClass = "eHome Render Window";
constexpr const char* kMediaPlayerClass = "WMPlayerApp";

// Media Center when it has a window, otherwise Media Player, otherwise 0.
WindowHandle FindTargetWindow(TargetSystem& system);

// Shares the calling thread's input state with the thread of `window` for its lifetime, so
// that focus can move to the window. Detaches on destruction whether or not attaching
// worked, from the thread it attached to: looking the window up again would find nothing
// if the window closed meanwhile and leave us attached to a thread that lives on.
class InputAttachment {
 public:
  InputAttachment(TargetSystem& system, WindowHandle window);
  ~InputAttachment();
  InputAttachment(const InputAttachment&) = delete;
  InputAttachment& operator=(const InputAttachment&) = delete;

 private:
  TargetSystem& system_;
  ThreadId self_;
  ThreadId target_;
};

// Injects `command` into `target`: a keystroke for WM_KEYDOWN records (after moving the focus
// to the target unless it already has it), a post for everything else. Failures of the
// window system are not reported; a vanished target simply loses the command.
void DeliverCommand(TargetSystem& system, WindowHandle target, const RemoteCommand& command);

}  // namespace ovalink
