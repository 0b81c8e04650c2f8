#pragma once
// The accuracy bench: train a remote's keys, press them at random the way the program tells
// users to, and score every press by what the engine posts.

#include <cstdint>
#include <string>
#include <vector>

#include "platform/registry_store.h"
#include "sim/ir/lircd_conf.h"
#include "sim/ir/receiver_model.h"

namespace ovalink::quorsim {

struct BenchSettings {
  std::size_t keys = 34;  // the remote's first keys; key i is trained on button i
  // Of those, how many are left untrained and pressed anyway, as people press keys they
  // never trained; kAFifth: a fifth of the keys.
  static constexpr int kAFifth = -1;
  int untrained = kAFifth;
  int presses = 200;
  std::uint64_t seed = 1;
  sim::ReceiverParams receiver;  // impairments
};

struct BenchResult {
  std::string remote;
  std::size_t keys = 0;
  int training[5] = {};  // count per TrainingResult 0-4
  int presses = 0;
  int correct = 0;
  int wrong = 0;
  int missed = 0;
  int extra = 0;
  // Presses of untrained keys, between the others, and those of them that posted a value.
  int untrained = 0;  // keys left untrained
  int untrainedPresses = 0;
  int phantom = 0;
  // Of those, the presses of keys whose training beside the keys they fired is refused as
  // one of their signals (DuplicateSignal): the receiver cannot tell them apart.
  int phantomAlike = 0;
  // Presses that send three frames or more, and the shorter ones: the engine spends a
  // press's first frame proving that a remote sends, so short presses are the fragile ones.
  int longPresses = 0;
  int longCorrect = 0;
  int shortPresses = 0;
  int shortCorrect = 0;
  double latencyMedianMs = 0;
  double latencyP99Ms = 0;
  // Share of the listening time the worker was awake (polling, probing, recording) rather
  // than asleep between idle polls: the engine's cost in processor time.
  double awakePercent = 0;
  double virtualSeconds = 0;
  double wallSeconds = 0;
  std::vector<int> trainingResults;  // per key, in key order
};

BenchResult RunBench(const sim::Remote& remote, const BenchSettings& settings);

// Whether training the remote's key `key` (on button `key`) beside the codes that `trained`
// holds for the buttons of the mask is refused as the signal of one of them. Works on a copy:
// `trained` is left as it was.
bool TrainingTakesItForOneOf(const sim::Remote& remote, const BenchSettings& settings,
                             RegistryStore& trained, std::uint64_t buttons, std::size_t key);

// How many of `keys` keys the settings leave untrained.
std::size_t UntrainedKeys(const BenchSettings& settings, std::size_t keys);

// Keys trained (any result that stores a code).
int TrainedKeys(const BenchResult& result);

// Keys the bench tried to train: those it left untrained on purpose do not count.
int KeysTried(const BenchResult& result);

// The press counts of one result (presses, their outcomes, long and short) added to another's.
void AddPresses(BenchResult& sum, const BenchResult& one);

std::string BenchJson(const BenchResult& result);
std::string BenchSummary(const BenchResult& result);

}  // namespace ovalink::quorsim
