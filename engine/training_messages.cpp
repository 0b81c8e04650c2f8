#include "engine/training_messages.h"

#include "engine/engine_types.h"

namespace ovalink {

TrainingMessage TrainingResultMessage(int result) {
  switch (result) {
    case TrainedAlternating:
      return {"TrainedAlternating", nullptr, "", false};
    case TrainedPressRepeat:
      return {"TrainedPressRepeat", "Information",
              "The button has been trained. Due to some features of the RemoteControlUnit you "
              "have to press each button twice with sharp first press. Otherwise the previous "
              "key will be repeated",
              false};
    case NotTrained:
      return {"NotTrained", "Error",
              "The button has not been trained. Repeat the training or use another "
              "RemoteControlUnit",
              true};
    case DuplicateSignal:
      return {"DuplicateSignal", "Duplicated Command",
              "The same signal has been already registered for another button", true};
    case TrainedUnsure:
      return {"TrainedUnsure", "Information",
              "The button has been trained.Probably you did not follow the training "
              "instructions precisely;you have made only single press/hold\n If so, please "
              "retrain the button.",
              false};
    default:
      return {"Unknown", nullptr, "", false};
  }
}

}  // namespace ovalink
