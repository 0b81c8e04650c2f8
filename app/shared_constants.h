#pragma once
// Numbers the engine, the command table and the windows agree on.

#include <cstdint>

#include "app/control_ids.h"

namespace ovalink {

// The virtual remote's buttons: indices 0-33, control identifiers 2013-2046.
constexpr int kButtonCount = 34;
constexpr int kFirstButtonId = IDC_FIRST_REMOTE_BUTTON;

// The label above the level bar that shows the training prompts.
constexpr int kPromptControlId = IDC_LEVEL_LABEL;

// Press value: the button index in bits 0-14, an alternate marker in bit 15 that differs
// between consecutive distinct presses of one button. kNoPress is never posted.
constexpr std::uint16_t kPressIndexMask = 0x7FFF;
constexpr std::uint16_t kAlternateMarker = 0x8000;
constexpr std::uint16_t kNoPress = 0xFFFF;

}  // namespace ovalink
