#include "commands/command_delivery.h"

namespace ovalink {

WindowHandle FindTargetWindow(TargetSystem& system) {
  for (const char* className : {kMediaCenterClass, kMediaPlayerClass}) {
    if (WindowHandle window = system.FindTopLevelWindow(className)) return window;
  }
  return 0;
}

InputAttachment::InputAttachment(TargetSystem& system, WindowHandle window)
    : system_(system),
      self_(system.CurrentThreadId()),
      target_(system.WindowThreadId(window)) {
  system_.AttachInput(self_, target_, true);
}

InputAttachment::~InputAttachment() { system_.AttachInput(self_, target_, false); }

namespace {

void PressAndRelease(TargetSystem& system, std::uint8_t vk) {
  system.KeyDown(vk);
  system.KeyUp(vk);
}

}  // namespace

void DeliverCommand(TargetSystem& system, WindowHandle target, const RemoteCommand& command) {
  switch (command.message) {
    case kWmKeyDown: {
      // Synthesised input goes to the focus window, so the target must hold the focus; the
      // stored keyboard lParam is not replayed.
      const auto vk = static_cast<std::uint8_t>(command.wParam);
      if (system.FocusedWindow() == target) {
        PressAndRelease(system, vk);
      } else {
        InputAttachment attachment(system, target);
        system.SetFocus(target);
        PressAndRelease(system, vk);
      }
      return;
    }
    case kWmAppCommand:
      if (command.wParam == kTargetHandleParam) {
        system.Post(target, kWmAppCommand, target, static_cast<std::intptr_t>(command.lParam));
        return;
      }
      // A hand-edited record with a real wParam is passed on as stored rather than dropped,
      // so that the Sent reported for it is true.
      break;
    default:
      break;
  }
  system.Post(target, command.message, command.wParam, static_cast<std::intptr_t>(command.lParam));
}

}  // namespace ovalink
