// quor-sim press --remote R --key NAME [--hold MS] [--registry FILE] [--seed N] [receiver options]
// One press of a key, recognised by the real engine with the codes in a registry file, and
// delivered through the command table to the stand-in media player.

#include <iostream>

#include "app/reg_key.h"
#include "app/registry_layout.h"
#include "engine/engine_types.h"
#include "tools/quor-sim/cli.h"
#include "tools/quor-sim/impairment_options.h"
#include "tools/quor-sim/lab.h"
#include "tools/quor-sim/lab_registry.h"
#include "tools/quor-sim/press_gesture.h"

namespace ovalink::quorsim {

namespace {
// Codes trained in the press-and-repeat form want a sharp first press, as the program tells
// the user after training; the stored flags say which form this remote was trained in.
bool StoredCodesRepeatOneShape(RegistryStore& registry) {
  RegKey flags(registry, RegRoot::CurrentUser, kCodeFlagsKey);
  std::vector<std::string> names;
  flags.EnumValueNames(names);
  for (const std::string& name : names) {
    if (flags.ReadDword(name, 0) != 0) return true;
  }
  return false;
}
}  // namespace

void RunPress(const std::vector<std::string>& arguments, std::ostream& out) {
  std::vector<std::string> args = arguments;
  const bool ideal = TakeFlag(args, "--ideal");
  Options options("press", args,
                  WithReceiverOptions({{"remote", true}, {"key", true}, {"hold"}, {"registry"},
                                       {"seed"}}));
  const sim::Remote remote = LoadRemoteFor(options.Text("remote"));
  const int key = remote.KeyIndex(options.Text("key"));
  if (key < 0) throw CommandError("press: remote " + remote.name + " has no key " + options.Text("key"));
  const double heldMs = options.Number("hold", -1, 0, 60'000);  // -1: not given
  const auto seed = std::uint64_t(options.Integer("seed", 1, 0, 1'000'000'000));
  const sim::ReceiverParams receiver = ReceiverFromOptions(options, seed, ideal);
  LabRegistry registry(RegistryPathOption(options, DefaultLabRegistryPath()), std::cerr);
  const bool pressRepeat = StoredCodesRepeatOneShape(registry.Store());
  // After a sharp first press the key may be let go at once; otherwise an ordinary press.
  const double holdMs = heldMs >= 0 ? heldMs : pressRepeat ? 0 : kOrdinaryPressMs;

  LabConfig config;
  config.remote = remote;
  config.receiver = receiver;
  config.seed = seed;
  config.registry = &registry.Store();
  config.log = &out;
  Lab lab(std::move(config));
  registry.NoteIgnoredValues();
  lab.Listen();
  lab.Log("press " + remote.keys[std::size_t(key)].name +
          (holdMs > 0 ? ", held " + std::to_string(int(holdMs)) + " ms" : ", sharply") +
          (pressRepeat ? " (after a sharp first press)" : ""));
  const std::int64_t begun =
      PressLikeAPerson(lab, std::size_t(key), pressRepeat, lab.NowNs() + 5 * Lab::kMs, holdMs);
  lab.RunUntil(begun + std::int64_t(holdMs * double(Lab::kMs)) + 1000 * Lab::kMs);
  if (lab.Codes().empty()) lab.Log("nothing recognised");
  registry.ConfirmSaved();
}

}  // namespace ovalink::quorsim
