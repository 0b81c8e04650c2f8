// quor-sim bench --remote R [--keys N] [--untrained N] [--presses N] [--seed N] [receiver options] [--json]
// quor-sim bench --all [--seeds N] [--untrained N] [--presses N] [--columns W,W..] [receiver options] [--json]
// quor-sim bench --dir DIR [--keys N] [--untrained N] [--presses N] [--seed N | --seeds N] [receiver options] [--json]
// Receiver options: [--ideal] [--hunt middle|end] [--low-line starts|ignored] [--jitter US]
// [--drift PCT] [--drop PCT] [--noise PER_S].
// How well a remote trains and how reliably its presses are recognised; with --all, every
// built-in remote at the receiver profile and at each single impairment; with --dir, every
// remote file (.ir, .conf) of a folder.

#include <iostream>
#include <ostream>

#include "sim/ir/builtin_remotes.h"
#include "tools/quor-sim/bench_all.h"
#include "tools/quor-sim/bench_dir.h"
#include "tools/quor-sim/bench_run.h"
#include "tools/quor-sim/cli.h"
#include "tools/quor-sim/impairment_options.h"
#include "tools/quor-sim/remote_notes.h"

namespace ovalink::quorsim {

namespace {
std::vector<std::string> SplitCommas(const std::string& text) {
  std::vector<std::string> words;
  std::size_t start = 0;
  while (start <= text.size()) {
    const std::size_t comma = text.find(',', start);
    const std::size_t end = comma == std::string::npos ? text.size() : comma;
    if (end > start) words.push_back(text.substr(start, end - start));
    if (comma == std::string::npos) break;
    start = comma + 1;
  }
  return words;
}

void RunAll(const std::vector<std::string>& args, bool ideal, bool json, std::ostream& out) {
  Options options("bench", args,
                  {{"seeds"}, {"presses"}, {"untrained"}, {"columns"}, {"hunt"}, {"low-line"}, {"jitter"},
                   {"drift"}, {"drop"}, {"noise"}});
  BenchAllSettings settings;
  for (std::string_view name : sim::kBuiltinRemoteNames) settings.remotes.emplace_back(name);
  settings.seeds = int(options.Integer("seeds", 5, 1, 1000));
  settings.presses = int(options.Integer("presses", 200, 1, 100000));
  if (options.Has("untrained")) settings.untrained = int(options.Integer("untrained", 0, 0, 34));
  settings.columns = BenchColumns(SplitCommas(
      options.Has("columns") ? options.Text("columns") : "default,jitter,drop,drift,noise"));
  settings.profile = [&options, ideal](std::uint64_t seed) {
    return ReceiverFromOptions(options, seed, ideal);
  };
  const auto cells = RunBenchAll(settings, [](const std::string& line) {
    std::cerr << line << '\n';
  });
  if (json) {
    out << BenchAllJson(cells);
    return;
  }
  out << BenchAllTable(cells);
  for (const std::string& name : settings.remotes) {
    for (const std::string& note : RemoteNotes(LoadRemoteFor("builtin:" + name), 34)) {
      out << "\n- " << name << ": " << note << "\n";
    }
  }
}
// Every remote file of a folder, two at a time; what each child is given besides its file
// is what this command was given.
void RunDir(const std::vector<std::string>& args, bool ideal, bool json, std::ostream& out) {
  Options options("bench", args,
                  {{"dir", true}, {"seeds"}, {"keys"}, {"untrained"}, {"presses"}, {"seed"}, {"jitter"},
                   {"drift"}, {"drop"}, {"noise"}, {"hunt"}, {"low-line"}});
  DirBenchSettings settings;
  settings.dir = options.Text("dir");
  if (options.Has("seeds")) {
    if (options.Has("seed")) throw CommandError("bench: give --seed or --seeds, not both");
    settings.seeds = int(options.Integer("seeds", 1, 1, 1000));
  }
  // Each child is given what this command was, but the folder and the seeds.
  for (std::size_t i = 0; i < args.size(); ++i) {
    const bool ours = args[i] == "--dir" || args[i] == "--seeds";
    if (ours) {
      ++i;  // and its value
    } else if (args[i].rfind("--dir=", 0) != 0 && args[i].rfind("--seeds=", 0) != 0) {
      settings.benchArgs.push_back(args[i]);
    }
  }
  if (ideal) settings.benchArgs.push_back("--ideal");
  settings.inProcess.keys = std::size_t(options.Integer("keys", 34, 1, 34));
  settings.inProcess.presses = int(options.Integer("presses", 200, 1, 100000));
  if (options.Has("untrained")) {
    settings.inProcess.untrained =
        int(options.Integer("untrained", 0, 0, std::int64_t(settings.inProcess.keys)));
  }
  settings.inProcess.seed = std::uint64_t(options.Integer("seed", 1, 0, 1'000'000'000));
  settings.receiverFor = [&options, ideal](std::uint64_t seed) {
    return ReceiverFromOptions(options, seed, ideal);
  };
  const auto rows = RunDirBench(settings, [](const std::string& line) { std::cerr << line << '\n'; });
  out << (json ? DirBenchJson(rows) : DirBenchTable(rows));
}
}  // namespace

void RunBenchCommand(const std::vector<std::string>& arguments, std::ostream& out) {
  std::vector<std::string> args = arguments;
  const bool json = TakeFlag(args, "--json");
  const bool ideal = TakeFlag(args, "--ideal");
  if (TakeFlag(args, "--all")) return RunAll(args, ideal, json, out);
  for (const std::string& arg : args) {
    if (arg == "--dir" || arg.rfind("--dir=", 0) == 0) return RunDir(args, ideal, json, out);
  }
  Options options("bench", args,
                  {{"remote", true}, {"keys"}, {"untrained"}, {"presses"}, {"seed"}, {"jitter"}, {"drift"},
                   {"drop"}, {"noise"}, {"hunt"}, {"low-line"}});
  const sim::Remote remote = LoadRemoteFor(options.Text("remote"));
  BenchSettings settings;
  settings.keys = std::size_t(options.Integer("keys", 34, 1, 34));
  if (options.Has("untrained")) {
    settings.untrained = int(options.Integer("untrained", 0, 0, std::int64_t(settings.keys)));
  }
  settings.presses = int(options.Integer("presses", 200, 1, 100000));
  settings.seed = std::uint64_t(options.Integer("seed", 1, 0, 1'000'000'000));
  settings.receiver = ReceiverFromOptions(options, settings.seed, ideal);
  const BenchResult result = RunBench(remote, settings);
  if (json) {
    out << BenchJson(result);
    return;
  }
  out << BenchSummary(result);
  for (const std::string& note : RemoteNotes(remote, settings.keys)) out << "note: " << note << "\n";
}

}  // namespace ovalink::quorsim
