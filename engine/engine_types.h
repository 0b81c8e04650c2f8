#pragma once
// Values the engine shares with the main window: modes, posted messages, training outcomes.

#include <cstdint>

#include "app/shared_constants.h"

namespace ovalink {

enum EngineMode : std::int32_t { Stopped = 0, Training = 1, Listening = 2 };

constexpr std::uint32_t kWmUser = 0x0400;
constexpr std::uint32_t WM_RC_LEVEL = kWmUser + 1;    // wParam: percent 0-100
constexpr std::uint32_t WM_RC_TRAINED = kWmUser + 2;  // wParam: TrainingResult
constexpr std::uint32_t WM_RC_CODE = kWmUser + 3;     // wParam: press value
constexpr std::uint32_t WM_RC_START = kWmUser + 4;    // the main window's deferred start-up

enum TrainingResult : int {
  TrainedAlternating = 0,
  TrainedPressRepeat = 1,
  NotTrained = 2,
  DuplicateSignal = 3,
  TrainedUnsure = 4,
};

constexpr const char* kAppCaption = "Ovalink";
constexpr const char* kDriverMissingText = "Device Driver is not found.\n Reinstall the program.";

}  // namespace ovalink
