#include "commands/button_captions.h"

namespace ovalink {

namespace {
constexpr const char* kCaptions[kButtonCount] = {
    "Stop", "Pause", "Rew", "Play", "Fwd",  "Replay", "Skip", "Vol+", "Vol-",
    "Rec",  "Back",  "Up",  "More", "Left", "OK",     "Right", "Down", "Ch+",
    "Mute", "Ch-",   "1",   "2",    "3",    "4",      "5",     "6",    "7",
    "8",    "9",     "*",   "0",    "#",    "Clear",  "Enter"};
}  // namespace

const char* ButtonCaption(int button) {
  return button >= 0 && button < kButtonCount ? kCaptions[button] : "";
}

}  // namespace ovalink
