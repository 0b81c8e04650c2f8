#pragma once
// The receiver impairments that capture and bench take as options.

#include "sim/ir/receiver_model.h"
#include "tools/quor-sim/cli.h"

namespace ovalink::quorsim {

inline sim::ReceiverParams ReceiverFromOptions(const Options& options, std::uint64_t seed) {
  sim::ReceiverParams params;
  params.seed = seed;
  params.jitterUs = options.Number("jitter", 0, 0, 1000);
  params.driftPercent = options.Number("drift", 0, 0, 50);
  params.dropPercent = options.Number("drop", 0, 0, 100);
  params.spuriousPerSecond = options.Number("noise", 0, 0, 100000);
  return params;
}

}  // namespace ovalink::quorsim
