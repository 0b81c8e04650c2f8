#include "sim/stand_in_player.h"

#include <cstring>
#include <sstream>

#include "commands/command_delivery.h"
#include "commands/remote_command.h"

namespace ovalink::sim {

namespace {

std::string Hex(std::uintmax_t value) {
  std::ostringstream text;
  text << "0x" << std::hex << std::uppercase << value;
  return text.str();
}

constexpr std::uint32_t kWmKeyUp = 0x0101;

}  // namespace

void StandInPlayer::NoteCaller() {
  if (std::this_thread::get_id() != owner_) foreignCalls_.fetch_add(1);
}

void StandInPlayer::SetMediaCenterRunning(bool running) {
  mediaCenter_ = running;
  if (!running && focus_ == kMediaCenterWindow) focus_ = 0;
}

void StandInPlayer::SetMediaPlayerRunning(bool running) {
  mediaPlayer_ = running;
  if (!running && focus_ == kMediaPlayerWindow) focus_ = 0;
}

bool StandInPlayer::Exists(WindowHandle window) const {
  return (window == kMediaCenterWindow && mediaCenter_) ||
         (window == kMediaPlayerWindow && mediaPlayer_);
}

std::string StandInPlayer::ClassOf(WindowHandle window) const {
  if (window == kMediaCenterWindow) return kMediaCenterClass;
  if (window == kMediaPlayerWindow) return kMediaPlayerClass;
  return "window " + Hex(window);
}

std::string StandInPlayer::ThreadName(ThreadId thread) const {
  if (thread == kMediaCenterThread) return std::string(kMediaCenterClass) + "'s thread";
  if (thread == kMediaPlayerThread) return std::string(kMediaPlayerClass) + "'s thread";
  return "thread " + std::to_string(thread);
}

WindowHandle StandInPlayer::FindTopLevelWindow(const char* className) {
  NoteCaller();
  if (mediaCenter_ && std::strcmp(className, kMediaCenterClass) == 0) return kMediaCenterWindow;
  if (mediaPlayer_ && std::strcmp(className, kMediaPlayerClass) == 0) return kMediaPlayerWindow;
  return 0;
}

WindowHandle StandInPlayer::FocusedWindow() {
  NoteCaller();
  // The lab has no window of its own; it sees another thread's focus only while attached.
  return focus_ != 0 && WindowThreadId(focus_) == attachedTo_ ? focus_ : 0;
}

ThreadId StandInPlayer::WindowThreadId(WindowHandle window) {
  NoteCaller();
  if (!Exists(window)) return 0;
  return window == kMediaCenterWindow ? kMediaCenterThread : kMediaPlayerThread;
}

bool StandInPlayer::AttachInput(ThreadId from, ThreadId to, bool attach) {
  NoteCaller();
  const bool known = from == kLabThread && (to == kMediaCenterThread || to == kMediaPlayerThread);
  if (attach) {
    if (!known) {
      out_ << "(input attachment to " << ThreadName(to) << " refused)\n";
      return false;
    }
    attachedTo_ = to;
    out_ << "(input attached to " << ThreadName(to) << ")\n";
    return true;
  }
  if (!known || attachedTo_ != to) {
    out_ << "(detaching from " << ThreadName(to) << ", which is not attached, fails)\n";
    return false;
  }
  attachedTo_ = 0;
  out_ << "(input detached from " << ThreadName(to) << ")\n";
  return true;
}

void StandInPlayer::SetFocus(WindowHandle window) {
  NoteCaller();
  if (!Exists(window) || WindowThreadId(window) != attachedTo_) {
    out_ << ClassOf(window) << " ✗ focus refused: input not attached\n";
    return;
  }
  focus_ = window;
  out_ << ClassOf(window) << " ← focus\n";
}

void StandInPlayer::Key(std::uint8_t vk, const char* edge) {
  NoteCaller();
  const std::string receiver = focus_ != 0 ? ClassOf(focus_) : "(no application has the focus)";
  out_ << receiver << " ← key " << VirtualKeyName(vk) << ' ' << edge << '\n';
}

void StandInPlayer::KeyDown(std::uint8_t vk) { Key(vk, "down"); }

void StandInPlayer::KeyUp(std::uint8_t vk) { Key(vk, "up"); }

bool StandInPlayer::Post(WindowHandle window, std::uint32_t message, std::uintptr_t wParam,
                         std::intptr_t lParam) {
  NoteCaller();
  if (!Exists(window)) {
    out_ << ClassOf(window) << " ✗ message " << Hex(message) << " lost: no such window\n";
    return false;
  }
  const auto lParamBits = static_cast<std::uint32_t>(lParam);
  out_ << ClassOf(window) << " ← ";
  switch (message) {
    case kWmAppCommand:
      out_ << "WM_APPCOMMAND " << AppCommandName((lParamBits >> 16) & 0x0FFF);
      if (wParam != window) out_ << " (wParam " << Hex(wParam) << ", not the window)";
      break;
    case kWmChar:
      if (wParam >= 0x20 && wParam < 0x7F) {
        out_ << "WM_CHAR '" << static_cast<char>(wParam) << '\'';
      } else {
        out_ << "WM_CHAR " << Hex(wParam);
      }
      break;
    case kWmNull:
      out_ << "WM_NULL";
      if (wParam != 0 || lParamBits != 0)
        out_ << " wParam " << Hex(wParam) << " lParam " << Hex(lParamBits);
      break;
    case kWmKeyDown:
    case kWmKeyUp:
      out_ << (message == kWmKeyDown ? "WM_KEYDOWN " : "WM_KEYUP ")
           << VirtualKeyName(static_cast<std::uint8_t>(wParam)) << " (posted, not typed)";
      break;
    default:
      out_ << "message " << Hex(message) << " wParam " << Hex(wParam) << " lParam "
           << Hex(lParamBits);
      break;
  }
  out_ << '\n';
  return true;
}

std::string StandInPlayer::AppCommandName(unsigned code) {
  switch (code) {
    case 1: return "APPCOMMAND_BROWSER_BACKWARD";
    case 2: return "APPCOMMAND_BROWSER_FORWARD";
    case 8: return "APPCOMMAND_VOLUME_MUTE";
    case 9: return "APPCOMMAND_VOLUME_DOWN";
    case 10: return "APPCOMMAND_VOLUME_UP";
    case 11: return "APPCOMMAND_MEDIA_NEXTTRACK";
    case 12: return "APPCOMMAND_MEDIA_PREVIOUSTRACK";
    case 13: return "APPCOMMAND_MEDIA_STOP";
    case 14: return "APPCOMMAND_MEDIA_PLAY_PAUSE";
    case 46: return "APPCOMMAND_MEDIA_PLAY";
    case 47: return "APPCOMMAND_MEDIA_PAUSE";
    case 48: return "APPCOMMAND_MEDIA_RECORD";
    case 49: return "APPCOMMAND_MEDIA_FAST_FORWARD";
    case 50: return "APPCOMMAND_MEDIA_REWIND";
    case 51: return "APPCOMMAND_MEDIA_CHANNEL_UP";
    case 52: return "APPCOMMAND_MEDIA_CHANNEL_DOWN";
    default: return "APPCOMMAND " + Hex(code);
  }
}

std::string StandInPlayer::VirtualKeyName(std::uint8_t vk) {
  if ((vk >= '0' && vk <= '9') || (vk >= 'A' && vk <= 'Z')) return std::string("'") + char(vk) + "'";
  switch (vk) {
    case 0x08: return "VK_BACK";
    case 0x09: return "VK_TAB";
    case 0x0D: return "VK_RETURN";
    case 0x1B: return "VK_ESCAPE";
    case 0x20: return "VK_SPACE";
    case 0x21: return "VK_PRIOR";
    case 0x22: return "VK_NEXT";
    case 0x23: return "VK_END";
    case 0x24: return "VK_HOME";
    case 0x25: return "VK_LEFT";
    case 0x26: return "VK_UP";
    case 0x27: return "VK_RIGHT";
    case 0x28: return "VK_DOWN";
    default: return "VK " + Hex(vk);
  }
}

}  // namespace ovalink::sim
