#pragma once
// The receiver options that every command running the engine or the capture shares: the profile (realistic by default,
// `--ideal` for the exact signal), the UART's two hunting details, and the impairments.

#include <algorithm>
#include <string>
#include <vector>

#include "sim/ir/receiver_model.h"
#include "tools/quor-sim/cli.h"

namespace ovalink::quorsim {

// A command's own options and the receiver options (`--ideal` is a flag, taken separately).
inline std::vector<OptionSpec> WithReceiverOptions(std::vector<OptionSpec> own) {
  for (std::string_view name : {"jitter", "drift", "drop", "noise", "hunt", "low-line"}) {
    own.push_back({name});
  }
  return own;
}

// Takes the value-less `flag` out of `args`; whether it was there. Like every option it may
// be given once, and it takes no value.
inline bool TakeFlag(std::vector<std::string>& args, const std::string& flag) {
  for (const std::string& arg : args) {
    if (arg.compare(0, flag.size() + 1, flag + "=") == 0) throw CommandError(flag + " takes no value");
  }
  const auto before = args.size();
  args.erase(std::remove(args.begin(), args.end(), flag), args.end());
  if (before - args.size() > 1) throw CommandError(flag + " given twice");
  return args.size() != before;
}

// `--hunt middle|end`: where in the stop bit the UART hunts for the next start bit.
// `--low-line starts|ignored`: whether a line already low then begins a character.
inline sim::ReceiverParams UartFromOptions(const Options& options) {
  sim::ReceiverParams uart;
  if (options.Has("hunt")) {
    const std::string& hunt = options.Text("hunt");
    if (hunt != "middle" && hunt != "end") {
      throw CommandError("--hunt wants 'middle' or 'end', not '" + hunt + "'");
    }
    uart.huntAfterBits = hunt == "middle" ? 6.5 : 7.0;
  } else {
    uart.huntAfterBits = 6.5;
  }
  if (options.Has("low-line")) {
    const std::string& low = options.Text("low-line");
    if (low != "starts" && low != "ignored") {
      throw CommandError("--low-line wants 'starts' or 'ignored', not '" + low + "'");
    }
    uart.lowLineStartsCharacter = low == "starts";
  }
  return uart;
}

inline sim::ReceiverParams ReceiverFromOptions(const Options& options, std::uint64_t seed,
                                               bool ideal) {
  sim::ReceiverParams params = UartFromOptions(options);
  if (ideal) {
    params.seed = seed;
  } else {
    params = sim::RealisticReceiver(seed, params);
  }
  params.jitterUs = options.Number("jitter", 0, 0, 1000);
  params.driftPercent = options.Number("drift", 0, 0, 50);
  params.dropPercent = options.Number("drop", 0, 0, 100);
  params.spuriousPerSecond = options.Number("noise", 0, 0, 100000);
  return params;
}

}  // namespace ovalink::quorsim
