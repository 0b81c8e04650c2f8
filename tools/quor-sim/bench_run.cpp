#include "tools/quor-sim/bench_run.h"

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <map>
#include <memory>
#include <optional>
#include <sstream>

#include "engine/code_registry.h"
#include "engine/engine_types.h"
#include "engine/training_messages.h"
#include "platform/memory/memory_registry_store.h"
#include "sim/ir/random.h"
#include "tools/quor-sim/lab.h"
#include "tools/quor-sim/press_gesture.h"

namespace ovalink::quorsim {

namespace {
constexpr std::int64_t kMs = Lab::kMs;
// A person presses the next key this long after letting go of the last, or longer.
constexpr double kShortestPauseMs = 300;
constexpr double kLongestPauseMs = 1500;

constexpr std::size_t kLongPressFrames = 3;

struct PlannedPress {
  std::size_t key;
  std::int64_t startNs;
  std::size_t frames;
  bool untrained;
};

// `count` distinct keys of `keys`, chosen by the seed.
std::vector<bool> ChooseUntrained(std::size_t keys, std::size_t count, std::uint64_t seed) {
  std::vector<std::size_t> order(keys);
  for (std::size_t i = 0; i < keys; ++i) order[i] = i;
  sim::SplitMix64 rng(seed * 104729 + 11);
  std::vector<bool> chosen(keys, false);
  for (std::size_t i = 0; i < count && i < keys; ++i) {
    std::swap(order[i], order[i + std::size_t(rng.Next() % (keys - i))]);
    chosen[order[i]] = true;
  }
  return chosen;
}

// Scores one press by the values posted from its start until the next press starts.
// Returns whether it was correct.
bool Score(const std::vector<std::uint16_t>& values, std::uint16_t before, int button,
           BenchResult& result) {
  bool wrong = false;
  for (std::uint16_t v : values) wrong |= (v & kPressIndexMask) != button;
  if (wrong) {
    ++result.wrong;
    return false;
  }
  // Nothing, or only the value from before: the press never registered as a new one.
  if (values.empty() || values.front() == before) {
    ++result.missed;
    return false;
  }
  int changes = 0;
  std::uint16_t last = before;
  for (std::uint16_t v : values) {
    if (v != last) ++changes;
    last = v;
  }
  if (changes > 1) {
    ++result.extra;
    return false;
  }
  ++result.correct;
  return true;
}

// The codes of `from` whose buttons are in the mask, written to `to`.
void CopyCodes(RegistryStore& from, std::uint64_t buttons, RegistryStore& to) {
  std::vector<SignalCode> codes;
  InstallRegistry(&from);
  {
    CodeRegistry registry;
    for (const std::string& name : registry.Names()) {
      std::optional<SignalCode> code = registry.ReadOne(name);
      if (code && code->button < 64 && (buttons >> code->button & 1) != 0) codes.push_back(*code);
    }
  }
  InstallRegistry(&to);
  {
    CodeRegistry registry;
    for (const SignalCode& code : codes) registry.WriteOne(code);
  }
  InstallRegistry(nullptr);
}

// A lab for the bench: the settings' receiver and seed, nothing delivered to a player.
LabConfig BenchLabConfig(const sim::Remote& remote, const BenchSettings& settings,
                         RegistryStore& registry) {
  LabConfig config;
  config.remote = remote;
  config.receiver = settings.receiver;
  config.seed = settings.seed;
  config.registry = &registry;
  config.deliver = false;
  return config;
}

double Percentile(std::vector<double> values, double fraction) {
  if (values.empty()) return 0;
  std::sort(values.begin(), values.end());
  const auto index = std::size_t(fraction * double(values.size() - 1) + 0.5);
  return values[std::min(index, values.size() - 1)];
}
}  // namespace

BenchResult RunBench(const sim::Remote& remote, const BenchSettings& settings) {
  const auto wallStart = std::chrono::steady_clock::now();
  BenchResult result;
  result.remote = remote.name;
  result.keys = std::min(settings.keys, std::min<std::size_t>(remote.keys.size(), kButtonCount));

  MemoryRegistryStore registry;
  // Gone before the keys that fired are tried on a copy of its codes: one lab at a time
  // owns the process's registry.
  auto ownedLab = std::make_unique<Lab>(BenchLabConfig(remote, settings, registry));
  Lab& lab = *ownedLab;

  const std::size_t untrainedCount = UntrainedKeys(settings, result.keys);
  result.untrained = int(untrainedCount);
  const std::vector<bool> untrained = ChooseUntrained(result.keys, untrainedCount, settings.seed);
  std::vector<bool> trained(result.keys, false);
  std::vector<bool> pressRepeat(result.keys, false);
  std::vector<std::size_t> neverTrained;
  for (std::size_t key = 0; key < result.keys; ++key) {
    if (untrained[key]) {
      neverTrained.push_back(key);
      continue;
    }
    const int outcome = lab.Train(key, int(key));
    result.trainingResults.push_back(outcome);
    if (outcome >= 0 && outcome <= 4) ++result.training[outcome];
    trained[key] = lab.HasCode(int(key));
    pressRepeat[key] = outcome == TrainedPressRepeat || outcome == TrainedUnsure;
  }
  std::vector<std::size_t> usable;
  std::size_t pressRepeatKeys = 0;
  for (std::size_t key = 0; key < result.keys; ++key) {
    if (trained[key]) usable.push_back(key);
    if (trained[key] && pressRepeat[key]) ++pressRepeatKeys;
  }
  // A person presses an untrained key the way the remote's other keys want to be pressed.
  const bool remotePressRepeat = pressRepeatKeys * 2 > usable.size();
  for (std::size_t key : neverTrained) pressRepeat[key] = remotePressRepeat;
  std::vector<std::size_t> pressable = usable;
  pressable.insert(pressable.end(), neverTrained.begin(), neverTrained.end());

  lab.Listen();
  const std::int64_t listenedFrom = lab.NowNs();
  const std::int64_t sleptBefore = lab.Clock().SleptNs();
  sim::SplitMix64 rng(settings.seed * 7919 + 3);
  std::vector<PlannedPress> planned;
  std::int64_t at = lab.NowNs() + 500 * kMs;
  const std::size_t codesBefore = lab.Codes().size();
  for (int scored = 0; scored < settings.presses && !usable.empty();) {
    const std::size_t key = pressable[std::size_t(rng.Next() % pressable.size())];
    scored += !untrained[key];
    double holdMs;
    if (pressRepeat[key]) {
      holdMs = rng.Unit() < 0.5 ? 0.0 : rng.Between(500, 2000);
    } else {
      holdMs = rng.Unit() < 0.5 ? rng.Between(150, 400) : rng.Between(500, 2000);
    }
    lab.RunUntil(at);
    // The press begins at the moment the script chose, not where the worker stopped: that
    // is always the start of one of its sleeps, and pressing relative to it would meet the
    // polls at the same phase every time. A remote cannot send before it is free again.
    const std::int64_t start = std::max(at, lab.UserFreeAtNs()) + kMs;
    std::size_t frames = 0;
    const std::int64_t last = PressLikeAPerson(lab, key, pressRepeat[key], start, holdMs, &frames);
    planned.push_back({key, start, frames, untrained[key]});
    // A remote finishes its transmission after the key is let go, sooner than a person presses
    // again. A captured keystroke may run on far longer (a recording of a tap with a second of
    // repeat codes, or with its fragments): a person whose device still responds waits until
    // it has gone quiet, and then pauses.
    const std::int64_t released = last + std::int64_t(holdMs * double(kMs));
    const std::int64_t light = lab.UserLastLightNs();
    const bool runsOn = light - released > std::int64_t(kShortestPauseMs * double(kMs));
    at = (runsOn ? light : released) +
         std::int64_t(rng.Between(kShortestPauseMs, kLongestPauseMs) * double(kMs));
  }
  lab.RunUntil(at + 1500 * kMs);
  const std::int64_t listened = lab.NowNs() - listenedFrom;
  if (listened > 0) {
    const std::int64_t slept = lab.Clock().SleptNs() - sleptBefore;
    result.awakePercent = 100.0 * double(listened - slept) / double(listened);
  }

  const std::vector<PostedCode> all = lab.Codes();
  const std::vector<PostedCode> codes(all.begin() + std::ptrdiff_t(codesBefore), all.end());
  std::vector<double> latencies;
  // Per phantom press: the untrained key, and the buttons it fired.
  std::vector<std::pair<std::size_t, std::uint64_t>> phantoms;
  std::uint16_t before = kNoPress;
  std::size_t next = 0;
  for (std::size_t i = 0; i < planned.size(); ++i) {
    const std::int64_t end =
        i + 1 < planned.size() ? planned[i + 1].startNs : std::numeric_limits<std::int64_t>::max();
    std::vector<std::uint16_t> values;
    while (next < codes.size() && codes[next].atNs < planned[i].startNs) before = codes[next++].value;
    const std::uint16_t valuesBefore = before;
    while (next < codes.size() && codes[next].atNs < end) {
      values.push_back(codes[next].value);
      latencies.push_back(double(codes[next].latencyNs) / double(kMs));
      ++next;
    }
    if (!values.empty()) before = values.back();
    if (planned[i].untrained) {
      // Whatever it posts, a key nobody trained sends a command nobody asked for.
      ++result.untrainedPresses;
      if (values.empty()) continue;
      ++result.phantom;
      std::uint64_t fired = 0;
      for (std::uint16_t v : values) fired |= std::uint64_t{1} << ((v & kPressIndexMask) % 64);
      phantoms.emplace_back(planned[i].key, fired);
      continue;
    }
    const bool correct = Score(values, valuesBefore, int(planned[i].key), result);
    if (planned[i].frames >= kLongPressFrames) {
      ++result.longPresses;
      result.longCorrect += correct;
    } else {
      ++result.shortPresses;
      result.shortCorrect += correct;
    }
  }
  result.presses = int(planned.size()) - result.untrainedPresses;
  result.latencyMedianMs = Percentile(latencies, 0.5);
  result.latencyP99Ms = Percentile(latencies, 0.99);
  result.virtualSeconds = double(lab.NowNs()) / 1e9;
  ownedLab.reset();
  std::map<std::pair<std::size_t, std::uint64_t>, bool> alike;
  for (const auto& phantom : phantoms) {
    auto known = alike.find(phantom);
    if (known == alike.end()) {
      known = alike.emplace(phantom, TrainingTakesItForOneOf(remote, settings, registry,
                                                             phantom.second, phantom.first))
                  .first;
    }
    result.phantomAlike += known->second;
  }
  result.wallSeconds =
      std::chrono::duration<double>(std::chrono::steady_clock::now() - wallStart).count();
  return result;
}

bool TrainingTakesItForOneOf(const sim::Remote& remote, const BenchSettings& settings,
                             RegistryStore& trained, std::uint64_t buttons, std::size_t key) {
  MemoryRegistryStore scratch;
  CopyCodes(trained, buttons, scratch);
  Lab lab(BenchLabConfig(remote, settings, scratch));
  return lab.Train(key, int(key)) == DuplicateSignal;
}

std::size_t UntrainedKeys(const BenchSettings& settings, std::size_t keys) {
  if (settings.untrained == BenchSettings::kAFifth) return keys / 5;
  return std::min(keys, std::size_t(std::max(settings.untrained, 0)));
}

int TrainedKeys(const BenchResult& r) {
  return r.training[TrainedAlternating] + r.training[TrainedPressRepeat] +
         r.training[TrainedUnsure];
}

int KeysTried(const BenchResult& r) { return int(r.keys) - r.untrained; }

void AddPresses(BenchResult& sum, const BenchResult& one) {
  sum.presses += one.presses;
  sum.correct += one.correct;
  sum.wrong += one.wrong;
  sum.missed += one.missed;
  sum.extra += one.extra;
  sum.untrainedPresses += one.untrainedPresses;
  sum.phantom += one.phantom;
  sum.phantomAlike += one.phantomAlike;
  sum.longPresses += one.longPresses;
  sum.longCorrect += one.longCorrect;
  sum.shortPresses += one.shortPresses;
  sum.shortCorrect += one.shortCorrect;
}

std::string BenchJson(const BenchResult& r) {
  std::ostringstream out;
  std::string name;
  for (char c : r.remote) {
    if (c == '"' || c == '\\') name += '\\';
    if (static_cast<unsigned char>(c) >= 0x20) name += c;
  }
  char numbers[256];
  out << "{\"remote\": \"" << name << "\", \"keys\": " << r.keys << ",\n \"training\": {";
  for (int i = 0; i < 5; ++i) {
    out << (i ? ", " : "") << '"' << TrainingResultMessage(i).name << "\": " << r.training[i];
  }
  out << "},\n \"presses\": " << r.presses << ", \"correct\": " << r.correct
      << ", \"wrong\": " << r.wrong << ", \"missed\": " << r.missed << ", \"extra\": " << r.extra
      << ",\n \"untrained\": " << r.untrained << ", \"untrained_presses\": " << r.untrainedPresses
      << ", \"phantom\": " << r.phantom
      << ", \"phantom_alike\": " << r.phantomAlike << ",\n \"long_presses\": {\"presses\": " << r.longPresses << ", \"correct\": " << r.longCorrect
      << "}, \"short_presses\": {\"presses\": " << r.shortPresses
      << ", \"correct\": " << r.shortCorrect << "}";
  std::snprintf(numbers, sizeof numbers,
                ",\n \"latency_ms\": {\"median\": %.3f, \"p99\": %.3f},\n"
                " \"awake_percent\": %.2f, \"virtual_seconds\": %.3f, \"wall_seconds\": %.3f}\n",
                r.latencyMedianMs, r.latencyP99Ms, r.awakePercent, r.virtualSeconds, r.wallSeconds);
  out << numbers;
  return out.str();
}

std::string BenchSummary(const BenchResult& r) {
  std::ostringstream out;
  char line[512];
  out << "remote " << r.remote << ": " << r.keys - std::size_t(r.untrained) << " keys trained:";
  for (int i = 0; i < 5; ++i) {
    if (r.training[i]) out << ' ' << TrainingResultMessage(i).name << ' ' << r.training[i];
  }
  const double percent = r.presses ? 100.0 * r.correct / r.presses : 0.0;
  std::snprintf(line, sizeof line,
                "\n%d presses: %d correct (%.1f %%), %d wrong, %d missed, %d extra\n"
                "%d presses of %d untrained keys: %d phantom (%d of keys training takes for a trained one)\n"
                "of three frames or more: %d of %d correct; shorter: %d of %d correct\n"
                "latency: median %.3f ms, p99 %.3f ms\n"
                "worker awake %.2f %% of the listening time\n"
                "%.1f s of virtual time in %.2f s\n",
                r.presses, r.correct, percent, r.wrong, r.missed, r.extra, r.untrainedPresses,
                r.untrained, r.phantom, r.phantomAlike, r.longCorrect,
                r.longPresses, r.shortCorrect, r.shortPresses, r.latencyMedianMs,
                r.latencyP99Ms, r.awakePercent, r.virtualSeconds, r.wallSeconds);
  out << line;
  return out.str();
}

}  // namespace ovalink::quorsim
