// quor-sim demo [--remote R] [--registry FILE] [--seed N] [receiver options]
// Trains a handful of buttons from a simulated remote, then plays a short scripted sequence
// of presses, showing everything the engine does as it happens in virtual time.

#include <iostream>
#include <map>

#include "commands/button_captions.h"
#include "engine/engine_types.h"
#include "tools/quor-sim/cli.h"
#include "tools/quor-sim/impairment_options.h"
#include "tools/quor-sim/lab.h"
#include "tools/quor-sim/lab_registry.h"
#include "tools/quor-sim/press_gesture.h"

namespace ovalink::quorsim {

namespace {
// Buttons the demo trains, by button index: the remote's key with the same index is used.
constexpr int kPlay = 3, kPause = 1, kVolumeUp = 7, kVolumeDown = 8, kUp = 11;

struct Step {
  int button;
  double holdMs;
  const char* what;
};
}  // namespace

void RunDemo(const std::vector<std::string>& arguments, std::ostream& out) {
  std::vector<std::string> args = arguments;
  const bool ideal = TakeFlag(args, "--ideal");
  Options options("demo", args, WithReceiverOptions({{"remote"}, {"registry"}, {"seed"}}));
  const std::string remoteSpec = options.Has("remote") ? options.Text("remote") : "builtin:nec";
  const sim::Remote remote = LoadRemoteFor(remoteSpec);
  if (remote.keys.size() <= std::size_t(kUp)) {
    throw CommandError("demo: remote " + remote.name + " needs at least 12 keys (it has " +
                       std::to_string(remote.keys.size()) + ")");
  }
  const auto seed = std::uint64_t(options.Integer("seed", 1, 0, 1'000'000'000));
  const sim::ReceiverParams receiver = ReceiverFromOptions(options, seed, ideal);
  LabRegistry registry(RegistryPathOption(options, ""), std::cerr);

  out << "Ovalink lab: remote " << remote.name << " (" << remoteSpec << "), seed " << seed
      << ", everything in virtual time.\n"
      << "A simulated user trains five buttons following the prompts, then presses keys;\n"
      << "each recognised press goes through the command table to a stand-in media player.\n\n";

  LabConfig config;
  config.remote = remote;
  config.receiver = receiver;
  config.seed = seed;
  config.registry = &registry.Store();
  config.log = &out;
  Lab lab(std::move(config));
  registry.NoteIgnoredValues();

  std::map<int, bool> pressRepeat;
  for (int button : {kPlay, kPause, kVolumeUp, kVolumeDown, kUp}) {
    const int result = lab.Train(std::size_t(button), button);
    if (result == TrainedPressRepeat || result == TrainedUnsure) pressRepeat[button] = true;
    if (result == TrainedAlternating) pressRepeat[button] = false;
    out << '\n';
  }

  const Step script[] = {
      {kPlay, 0, "a press of Play"},
      {kUp, 0, "a press of Up"},
      {kVolumeUp, 1500, "Vol+ held for 1.5 s: the volume command repeats"},
      {kPlay, 1000, "Play held for 1 s: Play does not repeat"},
      {kPlay, 0, "Play again: a new press"},
      {kVolumeDown, 0, "a press of Vol-"},
      {kPause, 0, "a press of Pause"},
  };
  lab.Listen();
  out << "Listening.\n";
  std::int64_t at = lab.NowNs() + 200 * Lab::kMs;
  for (const Step& step : script) {
    auto form = pressRepeat.find(step.button);
    if (form == pressRepeat.end()) {
      lab.Log(std::string("skipped: ") + ButtonCaption(step.button) + " is not trained");
      continue;
    }
    lab.RunUntil(at);
    lab.Log(std::string("press: ") + step.what + " (" + remote.keys[std::size_t(step.button)].name +
            ")");
    // A "sharp press" of an alternating code is an ordinary short press.
    const double holdMs = (!form->second && step.holdMs == 0) ? kOrdinaryPressMs : step.holdMs;
    const std::int64_t begun =
        PressLikeAPerson(lab, std::size_t(step.button), form->second, at + Lab::kMs, holdMs);
    at = begun + std::int64_t(holdMs * double(Lab::kMs)) + 900 * Lab::kMs;
  }
  lab.RunUntil(at);
  out << "\nDone: " << lab.Codes().size() << " press values posted in "
      << double(lab.NowNs()) / 1e9 << " s of virtual time.\n";
  registry.ConfirmSaved();
}

}  // namespace ovalink::quorsim
