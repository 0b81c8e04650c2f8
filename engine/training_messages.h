#pragma once
// What the user is told about each training outcome: a message box caption and text, or
// nothing (a caption of nullptr).

namespace ovalink {

struct TrainingMessage {
  const char* name;     // the outcome's name, for logs
  const char* caption;  // nullptr: no message box
  const char* text;
  bool exclamation;     // exclamation icon rather than information
};

// For 0-4; any other value gets no message box.
TrainingMessage TrainingResultMessage(int result);

}  // namespace ovalink
