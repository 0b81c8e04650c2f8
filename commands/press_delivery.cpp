#include "commands/press_delivery.h"

#include "app/shared_constants.h"

namespace ovalink {

namespace {
constexpr std::uint32_t kNotAPress = 0xFFFFFFFFu;
}  // namespace

PressOutcome DeliverPress(CommandMap& commands, std::uint32_t pressValue, bool enabled) {
  PressOutcome outcome;
  outcome.button = int(pressValue & kPressIndexMask);
  if (pressValue == kNotAPress || !enabled) return outcome;
  outcome.attempted = true;
  outcome.result = commands.SendCommand(pressValue, false);
  outcome.highlight =
      outcome.result == SendResult::Sent || outcome.result == SendResult::TargetNotFound;
  outcome.reportSendError = outcome.result == SendResult::TargetNotFound;
  return outcome;
}

}  // namespace ovalink
