// quor-sim bench --remote R [--keys N] [--presses N] [--seed N] [--jitter US] [--drift PCT]
//                [--drop PCT] [--noise PER_S] [--json]
// How well a remote trains and how reliably its presses are recognised.

#include <ostream>

#include "tools/quor-sim/bench_run.h"
#include "tools/quor-sim/cli.h"
#include "tools/quor-sim/impairment_options.h"

namespace ovalink::quorsim {

void RunBenchCommand(const std::vector<std::string>& args, std::ostream& out) {
  std::vector<std::string> rest;
  bool json = false;
  for (const std::string& arg : args) {
    if (arg == "--json") {
      json = true;
    } else {
      rest.push_back(arg);
    }
  }
  Options options("bench", rest,
                  {{"remote", true}, {"keys"}, {"presses"}, {"seed"}, {"jitter"}, {"drift"},
                   {"drop"}, {"noise"}});
  const sim::Remote remote = LoadRemoteFor(options.Text("remote"));
  BenchSettings settings;
  settings.keys = std::size_t(options.Integer("keys", 34, 1, 34));
  settings.presses = int(options.Integer("presses", 200, 1, 100000));
  settings.seed = std::uint64_t(options.Integer("seed", 1, 0, 1'000'000'000));
  settings.receiver = ReceiverFromOptions(options, settings.seed);
  const BenchResult result = RunBench(remote, settings);
  out << (json ? BenchJson(result) : BenchSummary(result));
}

}  // namespace ovalink::quorsim
