// quor-sim train --remote R --key NAME --button N [--registry FILE] [--seed N] [receiver options]
// One training run of the real engine against a persistent registry file.

#include <iostream>

#include "commands/button_captions.h"
#include "tools/quor-sim/cli.h"
#include "tools/quor-sim/impairment_options.h"
#include "tools/quor-sim/lab.h"
#include "tools/quor-sim/lab_registry.h"

namespace ovalink::quorsim {

void RunTrain(const std::vector<std::string>& arguments, std::ostream& out) {
  std::vector<std::string> args = arguments;
  const bool ideal = TakeFlag(args, "--ideal");
  Options options("train", args,
                  WithReceiverOptions({{"remote", true}, {"key", true}, {"button", true},
                                       {"registry"}, {"seed"}}));
  const sim::Remote remote = LoadRemoteFor(options.Text("remote"));
  const int key = remote.KeyIndex(options.Text("key"));
  if (key < 0) throw CommandError("train: remote " + remote.name + " has no key " + options.Text("key"));
  const int button = int(options.Integer("button", 0, 0, kButtonCount - 1));
  const auto seed = std::uint64_t(options.Integer("seed", 1, 0, 1'000'000'000));
  const sim::ReceiverParams receiver = ReceiverFromOptions(options, seed, ideal);
  // Only now, with every argument good, is the registry file touched.
  LabRegistry registry(RegistryPathOption(options, DefaultLabRegistryPath()), std::cerr);

  LabConfig config;
  config.remote = remote;
  config.receiver = receiver;
  config.seed = seed;
  config.registry = &registry.Store();
  config.log = &out;
  config.deliver = false;
  Lab lab(std::move(config));
  registry.NoteIgnoredValues();
  lab.Train(std::size_t(key), button);
  registry.ConfirmSaved();
}

}  // namespace ovalink::quorsim
