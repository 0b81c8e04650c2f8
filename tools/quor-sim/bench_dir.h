#pragma once
// The bench over a folder of remote files (.ir captures and lircd.conf definitions), two
// remotes at a time.
//
// The engine keeps its codes in the process-wide registry (RegKey opens what
// InstallRegistry installed), so two labs cannot share a process: each remote is benched
// by a child quor-sim (`bench --remote FILE --json`), two children at a time, and this
// process only reads their results. The Windows build runs them one after another in
// process instead.

#include <functional>
#include <string>
#include <vector>

#include "tools/quor-sim/bench_run.h"

namespace ovalink::quorsim {

// Every remote file under `dir`, recursively, in name order: `.ir` files and `.conf` files
// (lircd.conf definitions); nothing else. Throws CommandError when `dir` is no folder.
std::vector<std::string> RemoteFilesUnder(const std::string& dir);

struct DirBenchRow {
  std::string file;       // as found, relative to the folder
  std::string error;      // the file could not be benched: why, one line
  std::size_t keysLoaded = 0;
  std::size_t keysLeftOut = 0;  // keys the reader refused, with a note
  BenchResult result;
};

struct DirBenchSettings {
  std::string dir;
  // Arguments after `bench --remote FILE` for each child: --keys, --presses, --seed,
  // --ideal and the receiver options, as given.
  std::vector<std::string> benchArgs;
  BenchSettings inProcess;  // the same, for a run in this process, but the receiver
  std::function<sim::ReceiverParams(std::uint64_t)> receiverFor;  // the receiver at a seed
  // Seeds 1 to `seeds`, each remote's results summed over them (keys trained: the fewest
  // any seed trained); 0 runs once, at the seed the arguments give.
  int seeds = 0;
  int parallel = 2;
};

// Benches every remote file of the folder; `progress` hears one line per remote as it ends.
std::vector<DirBenchRow> RunDirBench(const DirBenchSettings& settings,
                                     const std::function<void(const std::string&)>& progress);

// One bench result from the JSON BenchJson writes; false when `json` holds none.
bool ParseBenchJson(const std::string& json, BenchResult& result);

// A markdown table, one row per remote and a row of totals.
std::string DirBenchTable(const std::vector<DirBenchRow>& rows);
std::string DirBenchJson(const std::vector<DirBenchRow>& rows);

}  // namespace ovalink::quorsim
