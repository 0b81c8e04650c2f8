#pragma once
// The prompts a training run shows in the window's prompt label, in the order a run uses
// them. A simulated user follows a run by these texts.

namespace ovalink {

constexpr const char* kHoldPrompt = "Hold the button till the progress ends";
constexpr const char* kReleasePrompt = "Release for 3 second and press again";
constexpr const char* kSharpIntroPrompt = "Release for 3 second and make several sharp keystrokes";
constexpr const char* kSharpPrompt = "Make several sharp keystrokes till the progress ends";

}  // namespace ovalink
