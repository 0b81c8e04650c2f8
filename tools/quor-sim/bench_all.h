#pragma once
// The whole picture in one run: every built-in remote, several seeds, at the receiver
// profile and at each single impairment on top of it.

#include <cstdint>
#include <functional>
#include <string>
#include <vector>

#include "sim/ir/receiver_model.h"
#include "tools/quor-sim/bench_run.h"

namespace ovalink::quorsim {

// One column of the table: the profile, or the profile with one impairment.
struct BenchColumn {
  std::string name;  // "default", "jitter 25", ...
  std::function<void(sim::ReceiverParams&)> impair;
};

// The columns the bench knows, by the word that selects them: default, jitter, drop,
// drift, noise.
std::vector<BenchColumn> BenchColumns(const std::vector<std::string>& words);

struct BenchAllSettings {
  std::vector<std::string> remotes;  // built-in names
  std::vector<BenchColumn> columns;
  int seeds = 5;                     // 1..seeds
  int presses = 200;
  int untrained = BenchSettings::kAFifth;
  // The profile for seed s, before the column's impairment.
  std::function<sim::ReceiverParams(std::uint64_t seed)> profile;
};

// Sums over the seeds of one remote in one column.
struct BenchCell {
  std::string remote;
  std::string column;
  int seeds = 0;
  int keys = 0;
  int untrained = 0;   // keys left untrained at each seed
  int minTrained = 0;  // fewest keys trained by any seed
  BenchResult total;   // counts summed over seeds
};

// Runs the matrix; `progress` hears one line per bench run.
std::vector<BenchCell> RunBenchAll(const BenchAllSettings& settings,
                                   const std::function<void(const std::string&)>& progress);

std::string BenchAllTable(const std::vector<BenchCell>& cells);
std::string BenchAllJson(const std::vector<BenchCell>& cells);

}  // namespace ovalink::quorsim
