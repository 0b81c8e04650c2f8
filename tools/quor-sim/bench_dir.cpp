#include "tools/quor-sim/bench_dir.h"

#include <algorithm>
#include <atomic>
#include <cstdio>
#include <filesystem>
#include <mutex>
#include <sstream>
#include <thread>

#include "engine/training_messages.h"
#include "sim/ir/builtin_remotes.h"
#include "sim/ir/parse_error.h"
#include "tools/quor-sim/cli.h"

namespace ovalink::quorsim {

namespace {
namespace fs = std::filesystem;

bool EndsWith(const std::string& s, const std::string& end) {
  return s.size() >= end.size() && s.compare(s.size() - end.size(), end.size(), end) == 0;
}

// The integer after `"name": ` at or after `from`; false when there is none.
bool IntAfter(const std::string& json, const std::string& name, std::size_t from, int& value) {
  const std::string key = "\"" + name + "\": ";
  const std::size_t at = json.find(key, from);
  if (at == std::string::npos) return false;
  std::size_t i = at + key.size();
  if (i >= json.size() || json[i] < '0' || json[i] > '9') return false;
  long long v = 0;
  for (; i < json.size() && json[i] >= '0' && json[i] <= '9' && v < 1'000'000'000; ++i) {
    v = v * 10 + (json[i] - '0');
  }
  value = int(v);
  return true;
}

// Phantoms of untrained presses, and how many of them came from keys training refuses as a
// trained key's signal.
std::string PhantomCell(const BenchResult& r) {
  std::string cell = std::to_string(r.phantom) + " of " + std::to_string(r.untrainedPresses);
  if (r.phantomAlike > 0) cell += ", " + std::to_string(r.phantomAlike) + " alike";
  return cell;
}

std::string Percent(int part, int whole) {
  if (whole == 0) return "-";
  char text[16];
  std::snprintf(text, sizeof text, "%.1f", 100.0 * part / whole);
  return text;
}

std::string OneLine(const std::string& text) {
  std::string line;
  for (char c : text) line += (c == '\n' || c == '\r' || c == '|') ? ' ' : c;
  while (!line.empty() && line.back() == ' ') line.pop_back();
  return line;
}

#ifndef _WIN32
std::string ShellQuoted(const std::string& word) {
  std::string quoted = "'";
  for (char c : word) quoted += c == '\'' ? std::string("'\\''") : std::string(1, c);
  return quoted + "'";
}

// Runs `quor-sim bench --remote FILE --json ARGS` as a child and reads what it printed;
// returns why it gave no result, or nothing.
std::string BenchInChild(const std::string& self, const std::string& path,
                         const std::vector<std::string>& args, BenchResult& result) {
  std::string command = ShellQuoted(self) + " bench --remote " + ShellQuoted(path) + " --json";
  for (const std::string& arg : args) command += " " + ShellQuoted(arg);
  command += " 2>&1";
  FILE* pipe = popen(command.c_str(), "r");
  if (!pipe) return "cannot start quor-sim for it";
  std::string output;
  char chunk[4096];
  std::size_t n;
  while ((n = fread(chunk, 1, sizeof chunk, pipe)) > 0) output.append(chunk, n);
  const int status = pclose(pipe);
  // Notes on the remote come first, one a line, then the result.
  const std::size_t json = output.find("{\"remote\"");
  if (status == 0 && json != std::string::npos && ParseBenchJson(output.substr(json), result)) {
    return {};
  }
  std::istringstream lines(output);
  std::string line, last;
  while (std::getline(lines, line)) {
    if (line.rfind("quor-sim: note:", 0) != 0 && !line.empty()) last = line;
  }
  return last.empty() ? "quor-sim ended with status " + std::to_string(status) : OneLine(last);
}
#endif

// One seed's result added to a remote's: presses summed, keys trained the fewest of a seed.
void AddSeed(BenchResult& sum, const BenchResult& one, bool first) {
  if (first || TrainedKeys(one) < TrainedKeys(sum)) {
    sum.keys = one.keys;
    sum.untrained = one.untrained;
    for (int i = 0; i < 5; ++i) sum.training[i] = one.training[i];
  }
  AddPresses(sum, one);
}

// One run of the remote at `seed` (0: as the arguments say); why it failed, or nothing.
std::string BenchSeed(const std::string& self, const std::string& path,
                      const DirBenchSettings& settings, std::uint64_t seed, BenchResult& result) {
#ifdef _WIN32
  (void)self;
  BenchSettings inProcess = settings.inProcess;
  if (seed != 0) inProcess.seed = seed;
  inProcess.receiver = settings.receiverFor(inProcess.seed);
  try {
    result = RunBench(sim::LoadRemote(path), inProcess);
  } catch (const std::exception& e) {
    return OneLine(e.what());
  }
  return {};
#else
  std::vector<std::string> args = settings.benchArgs;
  if (seed != 0) {
    args.push_back("--seed");
    args.push_back(std::to_string(seed));
  }
  return BenchInChild(self, path, args, result);
#endif
}

void BenchOne(const std::string& self, const std::string& path, const DirBenchSettings& settings,
              DirBenchRow& row) {
  try {
    const sim::Remote remote = sim::LoadRemote(path);
    row.keysLoaded = remote.keys.size();
    row.keysLeftOut = remote.notes.size();
  } catch (const sim::ParseError& e) {
    row.error = OneLine(e.what());
    return;
  }
  const int runs = std::max(settings.seeds, 1);
  for (int i = 0; i < runs && row.error.empty(); ++i) {
    BenchResult one;
    row.error = BenchSeed(self, path, settings, settings.seeds > 0 ? std::uint64_t(i + 1) : 0, one);
    if (row.error.empty()) AddSeed(row.result, one, i == 0);
  }
}

std::string JsonString(const std::string& text) {
  std::string out = "\"";
  for (char c : text) {
    if (c == '"' || c == '\\') out += '\\';
    if (static_cast<unsigned char>(c) >= 0x20) out += c;
  }
  return out + "\"";
}
}  // namespace

std::vector<std::string> RemoteFilesUnder(const std::string& dir) {
  std::error_code error;
  if (!fs::is_directory(dir, error)) throw CommandError("bench: --dir " + dir + " is not a folder");
  std::vector<std::string> files;
  fs::recursive_directory_iterator it(dir, fs::directory_options::skip_permission_denied, error);
  if (error) throw CommandError("bench: cannot read " + dir + " (" + error.message() + ")");
  for (; it != fs::recursive_directory_iterator(); it.increment(error)) {
    if (error) throw CommandError("bench: cannot read " + dir + " (" + error.message() + ")");
    if (!it->is_regular_file(error)) continue;
    const std::string name = it->path().filename().string();
    if (EndsWith(name, ".ir") || EndsWith(name, ".conf")) files.push_back(it->path().string());
  }
  std::sort(files.begin(), files.end());
  return files;
}

std::vector<DirBenchRow> RunDirBench(const DirBenchSettings& settings,
                                     const std::function<void(const std::string&)>& progress) {
  const std::vector<std::string> files = RemoteFilesUnder(settings.dir);
  std::vector<DirBenchRow> rows(files.size());
  std::string self;
#ifndef _WIN32
  std::error_code error;
  self = fs::read_symlink("/proc/self/exe", error).string();
  if (error) throw CommandError("bench: cannot find the quor-sim program to run (" + error.message() + ")");
#endif
  const fs::path base(settings.dir);
  std::atomic<std::size_t> next{0};
  std::mutex progressMutex;
  auto worker = [&] {
    for (std::size_t i = next++; i < files.size(); i = next++) {
      DirBenchRow& row = rows[i];
      row.file = fs::path(files[i]).lexically_relative(base).generic_string();
      BenchOne(self, files[i], settings, row);
      const std::lock_guard<std::mutex> lock(progressMutex);
      progress(row.file + (row.error.empty() ? ": done" : ": " + row.error));
    }
  };
#ifdef _WIN32
  worker();
#else
  std::vector<std::thread> threads;
  for (int t = 0; t < std::max(1, settings.parallel); ++t) threads.emplace_back(worker);
  for (std::thread& thread : threads) thread.join();
#endif
  return rows;
}

bool ParseBenchJson(const std::string& json, BenchResult& r) {
  int keys = 0;
  bool ok = IntAfter(json, "keys", 0, keys);
  r.keys = std::size_t(keys);
  for (int i = 0; i < 5; ++i) {
    ok = ok && IntAfter(json, std::string(TrainingResultMessage(i).name), 0, r.training[i]);
  }
  ok = ok && IntAfter(json, "presses", 0, r.presses) && IntAfter(json, "correct", 0, r.correct) &&
       IntAfter(json, "wrong", 0, r.wrong) && IntAfter(json, "missed", 0, r.missed) &&
       IntAfter(json, "extra", 0, r.extra) && IntAfter(json, "untrained", 0, r.untrained) &&
       IntAfter(json, "untrained_presses", 0, r.untrainedPresses) &&
       IntAfter(json, "phantom", 0, r.phantom) && IntAfter(json, "phantom_alike", 0, r.phantomAlike);
  const std::size_t longAt = json.find("\"long_presses\"");
  const std::size_t shortAt = json.find("\"short_presses\"");
  ok = ok && longAt != std::string::npos && shortAt != std::string::npos &&
       IntAfter(json, "presses", longAt, r.longPresses) &&
       IntAfter(json, "correct", longAt, r.longCorrect) &&
       IntAfter(json, "presses", shortAt, r.shortPresses) &&
       IntAfter(json, "correct", shortAt, r.shortCorrect);
  return ok;
}

std::string DirBenchTable(const std::vector<DirBenchRow>& rows) {
  std::ostringstream out;
  out << "| remote | keys loaded | left out | keys trained | presses | correct | wrong | missed "
         "| extra | phantom | 3+ frames % | shorter % |\n"
         "|---|---|---|---|---|---|---|---|---|---|---|---|\n";
  DirBenchRow total;
  int remotes = 0, failed = 0;
  for (const DirBenchRow& row : rows) {
    if (!row.error.empty()) {
      ++failed;
      out << "| " << row.file << " | " << row.keysLoaded << " | " << row.keysLeftOut
          << " | not benched: " << row.error << " ||||||||\n";
      continue;
    }
    ++remotes;
    const BenchResult& r = row.result;
    out << "| " << row.file << " | " << row.keysLoaded << " | " << row.keysLeftOut << " | "
        << TrainedKeys(r) << " of " << KeysTried(r) << " | " << r.presses << " | " << r.correct << " ("
        << Percent(r.correct, r.presses) << " %) | " << r.wrong << " | " << r.missed << " | "
        << r.extra << " | " << PhantomCell(r) << " | "
        << Percent(r.longCorrect, r.longPresses) << " | "
        << Percent(r.shortCorrect, r.shortPresses) << " |\n";
    total.keysLoaded += row.keysLoaded;
    total.keysLeftOut += row.keysLeftOut;
    BenchResult& t = total.result;
    t.keys += r.keys;
    t.untrained += r.untrained;
    for (int i = 0; i < 5; ++i) t.training[i] += r.training[i];
    AddPresses(t, r);
  }
  const BenchResult& t = total.result;
  out << "| **" << remotes << " remotes" << (failed ? ", " + std::to_string(failed) + " not benched" : "")
      << "** | " << total.keysLoaded << " | " << total.keysLeftOut << " | " << TrainedKeys(t)
      << " of " << KeysTried(t) << " | " << t.presses << " | " << t.correct << " ("
      << Percent(t.correct, t.presses) << " %) | " << t.wrong << " | " << t.missed << " | "
      << t.extra << " | " << PhantomCell(t) << " | "
      << Percent(t.longCorrect, t.longPresses) << " ("
      << t.longCorrect << " of " << t.longPresses << ") | "
      << Percent(t.shortCorrect, t.shortPresses) << " (" << t.shortCorrect << " of "
      << t.shortPresses << ") |\n";
  return out.str();
}

std::string DirBenchJson(const std::vector<DirBenchRow>& rows) {
  std::ostringstream out;
  out << "[";
  for (std::size_t i = 0; i < rows.size(); ++i) {
    const DirBenchRow& row = rows[i];
    out << (i ? ",\n " : "\n ") << "{\"file\": " << JsonString(row.file)
        << ", \"keys_loaded\": " << row.keysLoaded << ", \"keys_left_out\": " << row.keysLeftOut;
    if (!row.error.empty()) {
      out << ", \"error\": " << JsonString(row.error) << "}";
      continue;
    }
    const BenchResult& r = row.result;
    out << ", \"keys\": " << r.keys << ", \"keys_trained\": " << TrainedKeys(r)
        << ", \"presses\": " << r.presses << ", \"correct\": " << r.correct
        << ", \"wrong\": " << r.wrong << ", \"missed\": " << r.missed << ", \"extra\": " << r.extra
        << ", \"untrained_presses\": " << r.untrainedPresses << ", \"phantom\": " << r.phantom
        << ", \"phantom_alike\": " << r.phantomAlike
        << ", \"long_presses\": {\"presses\": " << r.longPresses << ", \"correct\": " << r.longCorrect
        << "}, \"short_presses\": {\"presses\": " << r.shortPresses
        << ", \"correct\": " << r.shortCorrect << "}}";
  }
  out << "\n]\n";
  return out.str();
}

}  // namespace ovalink::quorsim
