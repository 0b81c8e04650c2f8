#include "tools/quor-sim/bench_all.h"

#include <algorithm>
#include <cstdio>
#include <sstream>

#include "sim/ir/builtin_remotes.h"
#include "tools/quor-sim/cli.h"

namespace ovalink::quorsim {

std::vector<BenchColumn> BenchColumns(const std::vector<std::string>& words) {
  const std::vector<std::pair<std::string, BenchColumn>> known = {
      {"default", {"default", [](sim::ReceiverParams&) {}}},
      {"jitter", {"jitter 25", [](sim::ReceiverParams& p) { p.jitterUs = 25; }}},
      {"drop", {"drop 2", [](sim::ReceiverParams& p) { p.dropPercent = 2; }}},
      {"drift", {"drift 0.5", [](sim::ReceiverParams& p) { p.driftPercent = 0.5; }}},
      {"noise", {"noise 200", [](sim::ReceiverParams& p) { p.spuriousPerSecond = 200; }}},
  };
  std::vector<BenchColumn> columns;
  for (const std::string& word : words) {
    auto found = std::find_if(known.begin(), known.end(),
                              [&](const auto& k) { return k.first == word; });
    if (found == known.end()) {
      throw CommandError("bench: unknown column '" + word +
                         "' (default, jitter, drop, drift, noise)");
    }
    columns.push_back(found->second);
  }
  return columns;
}

std::vector<BenchCell> RunBenchAll(const BenchAllSettings& settings,
                                   const std::function<void(const std::string&)>& progress) {
  std::vector<BenchCell> cells;
  for (const std::string& name : settings.remotes) {
    const sim::Remote remote = LoadRemoteFor(std::string(sim::kBuiltinPrefix) + name);
    for (const BenchColumn& column : settings.columns) {
      BenchCell cell;
      cell.remote = name;
      cell.column = column.name;
      cell.minTrained = 34;
      for (int seed = 1; seed <= settings.seeds; ++seed) {
        BenchSettings run;
        run.presses = settings.presses;
        run.untrained = settings.untrained;
        run.seed = std::uint64_t(seed);
        run.receiver = settings.profile(run.seed);
        column.impair(run.receiver);
        const BenchResult r = RunBench(remote, run);
        BenchResult& t = cell.total;
        for (int i = 0; i < 5; ++i) t.training[i] += r.training[i];
        AddPresses(t, r);
        t.virtualSeconds += r.virtualSeconds;
        t.wallSeconds += r.wallSeconds;
        cell.keys = int(r.keys);
        cell.untrained = r.untrained;
        cell.minTrained = std::min(cell.minTrained, TrainedKeys(r));
        ++cell.seeds;
        char line[160];
        std::snprintf(line, sizeof line, "%s, %s, seed %d: %d/%d/%d/%d, %d phantom, %d keys trained, %.1f s",
                      name.c_str(), column.name.c_str(), seed, r.correct, r.wrong, r.missed,
                      r.extra, r.phantom, TrainedKeys(r), r.wallSeconds);
        if (progress) progress(line);
      }
      cells.push_back(std::move(cell));
    }
  }
  return cells;
}

namespace {
std::string Percent(int part, int whole) {
  if (whole == 0) return "-";
  char text[16];
  std::snprintf(text, sizeof text, "%.1f %%", 100.0 * part / whole);
  return text;
}
}  // namespace

std::string BenchAllTable(const std::vector<BenchCell>& cells) {
  std::ostringstream out;
  out << "| remote | receiver | keys trained (fewest of a seed) | presses | correct | wrong | "
         "missed | extra | phantom (of untrained presses) | 3+ frames correct | shorter correct |\n"
         "|---|---|---|---|---|---|---|---|---|---|---|\n";
  for (const BenchCell& c : cells) {
    const BenchResult& t = c.total;
    out << "| " << c.remote << " | " << c.column << " | " << c.minTrained << " of " << c.keys - c.untrained
        << " | " << t.presses << " | " << t.correct << " | " << t.wrong << " | " << t.missed
        << " | " << t.extra << " | " << t.phantom << " of " << t.untrainedPresses << " | " << Percent(t.longCorrect, t.longPresses) << " of "
        << t.longPresses << " | " << Percent(t.shortCorrect, t.shortPresses) << " of "
        << t.shortPresses << " |\n";
  }
  return out.str();
}

std::string BenchAllJson(const std::vector<BenchCell>& cells) {
  std::ostringstream out;
  out << "[\n";
  for (std::size_t i = 0; i < cells.size(); ++i) {
    const BenchCell& c = cells[i];
    const BenchResult& t = c.total;
    out << "  {\"remote\": \"" << c.remote << "\", \"receiver\": \"" << c.column
        << "\", \"seeds\": " << c.seeds << ", \"keys\": " << c.keys
        << ", \"untrained\": " << c.untrained << ", \"fewest_trained\": " << c.minTrained
        << ", \"presses\": " << t.presses
        << ", \"correct\": " << t.correct << ", \"wrong\": " << t.wrong
        << ", \"missed\": " << t.missed << ", \"extra\": " << t.extra
        << ", \"untrained_presses\": " << t.untrainedPresses << ", \"phantom\": " << t.phantom
        << ", \"long_presses\": " << t.longPresses << ", \"long_correct\": " << t.longCorrect
        << ", \"short_presses\": " << t.shortPresses << ", \"short_correct\": " << t.shortCorrect
        << "}" << (i + 1 < cells.size() ? "," : "") << "\n";
  }
  out << "]\n";
  return out.str();
}

}  // namespace ovalink::quorsim
