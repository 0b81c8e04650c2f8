#include "sim/ir/receiver_model.h"

#include <algorithm>
#include <cmath>

namespace ovalink::sim {

namespace {

constexpr std::int64_t kNever = std::numeric_limits<std::int64_t>::max();
// Frames are made this long before they start (plus the jitter), ahead of any query that
// could see their characters.
constexpr std::int64_t kLookaheadNs = 1'000'000;
// Below this many counted entries the list is not worth compacting.
constexpr std::size_t kCompactAbove = 4096;

std::uint64_t Mix(std::uint64_t a, std::uint64_t b) {
  SplitMix64 m(a ^ (b * 0x9E3779B97F4A7C15ull));
  m.Next();
  return m.Next();
}

std::int64_t ClampToNs(double ns) {
  if (!(ns < 9.0e18)) return kNever;
  if (ns < -9.0e18) return std::numeric_limits<std::int64_t>::min();
  return std::llround(ns);
}

}  // namespace

ReceiverParams RealisticReceiver(std::uint64_t seed, ReceiverParams uart) {
  ReceiverParams params = uart;
  params.seed = seed;
  SplitMix64 rng(Mix(seed, 0x7E50A7));
  const double offset = rng.Between(0.5, 1.0);
  params.clockOffsetPercent = rng.Unit() < 0.5 ? -offset : offset;
  params.preemptionsPerSecond = 2.0;
  params.preemptionMinUs = 20.0;
  params.preemptionMaxUs = 300.0;
  return params;
}

ReceiverModel::ReceiverModel(const ReceiverParams& params)
    : params_(params),
      huntNs_(std::max(params.HuntUs(), 0.001) * 1000.0),
      lowNs_(params.lowLineStartsCharacter ? std::max(params.bitUs, 0.0) * 1000.0 : 0.0),
      jitterNs_(std::max(params.jitterUs, 0.0) * 1000.0),
      lookaheadNs_(kLookaheadNs + std::int64_t(std::max(params.jitterUs, 0.0) * 1000.0)),
      ambientRng_(Mix(params.seed, 0xA3B1E47)),
      nextAmbientNs_(kNever) {
  if (params_.spuriousPerSecond > 0) {
    const double gapNs = -std::log(1.0 - ambientRng_.Unit()) / params_.spuriousPerSecond * 1e9;
    nextAmbientNs_ = ClampToNs(gapNs + huntNs_);
  }
}

ReceiverModel::Press* ReceiverModel::Find(PressId id) {
  for (Press& p : presses_) {
    if (p.id == id) return &p;
  }
  return nullptr;
}

const ReceiverModel::Press* ReceiverModel::Find(PressId id) const {
  for (const Press& p : presses_) {
    if (p.id == id) return &p;
  }
  return nullptr;
}

std::int64_t ReceiverModel::AbsoluteNs(const Press& press, std::uint64_t relativeUs) const {
  return ClampToNs(double(press.startNs) + double(relativeUs) * press.factor * 1000.0);
}

std::int64_t ReceiverModel::DueNs(const Press& press) const {
  if (press.finished) return kNever;
  const std::int64_t start = AbsoluteNs(press, press.nextStartUs);
  return start == kNever ? kNever : start - lookaheadNs_;
}

ReceiverModel::PressId ReceiverModel::Schedule(std::int64_t startNs, PressPlan plan,
                                               std::int64_t releaseNs) {
  std::lock_guard<std::mutex> lock(mutex_);
  Press press;
  press.id = nextId_++;
  press.plan = std::move(plan);
  press.startNs = startNs;
  // Each press draws from its own stream, so the characters do not depend on the order in
  // which frames of overlapping presses happen to be made.
  press.rng = SplitMix64(Mix(params_.seed, press.id));
  const double drift = std::clamp(params_.driftPercent, 0.0, 50.0);
  const double offset = std::clamp(params_.clockOffsetPercent, -50.0, 50.0);
  press.factor = (1.0 + offset / 100.0) * (1.0 + press.rng.Between(-drift, drift) / 100.0);
  if (releaseNs != kNotReleased) SetRelease(press, releaseNs);
  presses_.push_back(std::move(press));
  CheckFinished(presses_.back());
  UpdateRefillDue();
  quietUntilNs_.store(std::numeric_limits<std::int64_t>::min(), std::memory_order_release);
  return presses_.back().id;
}

ReceiverModel::PressId ReceiverModel::Schedule(std::int64_t startNs, const Signal& light) {
  return Schedule(startNs, PlanFixed(light), startNs);
}

void ReceiverModel::Release(PressId id, std::int64_t atNs) {
  std::lock_guard<std::mutex> lock(mutex_);
  Press* press = Find(id);
  if (!press || press->holdUs != std::numeric_limits<std::uint64_t>::max()) return;
  SetRelease(*press, atNs);
  // Frames already made for a release that came later than they did are taken back.
  for (std::size_t k = 0; k < press->frames.size(); ++k) {
    if (press->plan.Sends(k, press->frames[k].startUs, press->holdUs)) continue;
    const std::int64_t cut = press->frames[k].firstEdgeNs;
    auto from = pending_.begin() + std::ptrdiff_t(cursor_);
    pending_.erase(std::remove_if(from, pending_.end(),
                                  [&](const Completion& c) { return c.press == id && c.ns >= cut; }),
                   pending_.end());
    press->nextFrame = k;
    press->nextStartUs = press->frames[k].startUs;
    press->frames.resize(k);
    break;
  }
  CheckFinished(*press);
  UpdateRefillDue();
  quietUntilNs_.store(std::numeric_limits<std::int64_t>::min(), std::memory_order_release);
}

bool ReceiverModel::Cancel(PressId id, std::int64_t nowNs) {
  std::lock_guard<std::mutex> lock(mutex_);
  Press* press = Find(id);
  if (!press || press->finished || press->startNs <= nowNs) return false;
  auto from = pending_.begin() + std::ptrdiff_t(cursor_);
  pending_.erase(std::remove_if(from, pending_.end(), [&](const Completion& c) { return c.press == id; }),
                 pending_.end());
  press->finished = true;
  press->plan = PressPlan{};
  press->frames.clear();
  press->freeAtNs = 0;
  UpdateRefillDue();
  quietUntilNs_.store(std::numeric_limits<std::int64_t>::min(), std::memory_order_release);
  return true;
}

void ReceiverModel::SetRelease(Press& press, std::int64_t releaseNs) {
  // The remote's own clock decides which frames start while the key is down.
  const double heldUs = (double(releaseNs) - double(press.startNs)) / (1000.0 * press.factor);
  press.holdUs = heldUs <= 0 ? 0 : std::uint64_t(std::ceil(heldUs));
  std::uint64_t endUs = 0;
  std::uint64_t markEndUs = 0;
  press.plan.ForEachFrame(press.holdUs, [&](std::size_t, std::uint64_t startUs, const Frame& f) {
    markEndUs = startUs + f.light.MarkedLengthUs();
    endUs = markEndUs + f.gapUs;
  });
  press.freeAtNs = AbsoluteNs(press, endUs);
  press.lastMarkEndNs = AbsoluteNs(press, markEndUs);
}

std::int64_t ReceiverModel::FreeAtNs(PressId id) const {
  std::lock_guard<std::mutex> lock(mutex_);
  const Press* press = Find(id);
  return press ? press->freeAtNs : kNotReleased;
}

void ReceiverModel::CheckFinished(Press& press) {
  if (press.finished) return;
  bool done = !press.plan.Sends(press.nextFrame, press.nextStartUs, press.holdUs);
  if (!done && press.nextFrame > 0) {
    // A frame that takes no time would repeat for ever.
    const Frame& last = press.plan.FrameAt(press.nextFrame - 1);
    done = last.light.MarkedLengthUs() + last.gapUs == 0 &&
           press.nextFrame >= press.plan.minFrames;
  }
  if (!done) return;
  press.finished = true;
  press.plan = PressPlan{};  // its light is no longer needed
  press.frames.clear();
  press.frames.shrink_to_fit();
}

void ReceiverModel::UpdateRefillDue() {
  refillDueNs_ = kNever;
  for (const Press& p : presses_) refillDueNs_ = std::min(refillDueNs_, DueNs(p));
}

void ReceiverModel::GenerateUntil(std::int64_t horizonNs) {
  for (Press& press : presses_) {
    while (!press.finished && DueNs(press) <= horizonNs && DueNs(press) != kNever) {
      GenerateFrame(press);
    }
  }
  UpdateRefillDue();
}

void ReceiverModel::GenerateFrame(Press& press) {
  const Frame& frame = press.plan.FrameAt(press.nextFrame);
  const auto& durations = frame.light.Durations();
  const double scale = press.factor * 1000.0;

  // Edges at their nominal places, each displaced on its own.
  edges_.clear();
  double nominal = double(press.startNs) + double(press.nextStartUs) * scale;
  double previous = -1e300;
  for (std::size_t i = 0; i <= durations.size(); ++i) {
    double edge = nominal;
    if (jitterNs_ > 0) edge += press.rng.Between(-jitterNs_, jitterNs_);
    edge = std::max(edge, previous);
    edges_.push_back(edge);
    previous = edge;
    if (i < durations.size()) nominal += double(durations[i]) * scale;
  }

  const std::uint32_t carrier = params_.carrierHz ? params_.carrierHz : press.plan.carrierHz;
  const double periodNs = carrier ? 1e9 / double(carrier) * press.factor : 0.0;
  fresh_.clear();
  for (std::size_t i = 0; i + 1 < edges_.size(); i += 2) {
    Characters(press, edges_[i], edges_[i + 1], periodNs);
  }
  Insert(press.id);

  press.frames.push_back({press.nextStartUs, ClampToNs(edges_.front())});
  press.nextStartUs += frame.light.MarkedLengthUs() + frame.gapUs;
  ++press.nextFrame;
  CheckFinished(press);
}

void ReceiverModel::Characters(Press& press, double markStartNs, double markEndNs,
                               double periodNs) {
  const double coverage = std::clamp(params_.markCoverage, 0.0, 1.0);
  const double trim = (markEndNs - markStartNs) * (1.0 - coverage) / 2.0;
  const double seenFrom = markStartNs + trim;
  const double seenTo = markEndNs - trim;
  if (!(seenTo > seenFrom)) return;

  auto startCharacter = [&](double pulseNs) {
    press.busyUntilNs = pulseNs + huntNs_;
    if (press.rng.Chance(params_.dropPercent)) {
      ++dropped_;
      return;
    }
    fresh_.push_back(ClampToNs(press.busyUntilNs));
  };

  if (periodNs <= 0) {
    // Unmodulated light: the receiver sees the one rising edge.
    if (seenFrom >= press.busyUntilNs) startCharacter(seenFrom);
    return;
  }
  // The carrier runs from the mark's start; the first pulse on an idle line starts a
  // character, and pulses while it is under way go unseen.
  while (true) {
    const double from = std::max(seenFrom, press.busyUntilNs);
    if (lowNs_ > 0 && press.busyUntilNs > seenFrom && press.busyUntilNs < seenTo) {
      // The latest pulse before hunting began may still hold the line low.
      const double before = markStartNs + std::floor((from - markStartNs) / periodNs) * periodNs;
      if (before >= seenFrom && before < from && before + lowNs_ > from) {
        startCharacter(from);
        continue;
      }
    }
    const double cycles = std::ceil((from - markStartNs) / periodNs);
    const double pulse = markStartNs + cycles * periodNs;
    if (!(pulse < seenTo)) break;
    startCharacter(pulse);
  }
}

void ReceiverModel::Insert(PressId id) {
  if (fresh_.empty()) return;
  Compact();
  const std::size_t oldSize = pending_.size();
  for (std::int64_t ns : fresh_) {
    if (ns > lastQueryNs_.load(std::memory_order_relaxed)) pending_.push_back({ns, id});
  }
  if (oldSize > cursor_ && pending_.size() > oldSize &&
      pending_[oldSize].ns < pending_[oldSize - 1].ns) {
    std::inplace_merge(pending_.begin() + std::ptrdiff_t(cursor_),
                       pending_.begin() + std::ptrdiff_t(oldSize), pending_.end(),
                       [](const Completion& a, const Completion& b) { return a.ns < b.ns; });
  }
}

void ReceiverModel::Compact() {
  if (cursor_ < kCompactAbove || cursor_ * 2 < pending_.size()) return;
  pending_.erase(pending_.begin(), pending_.begin() + std::ptrdiff_t(cursor_));
  countedBefore_ += cursor_;
  cursor_ = 0;
}

void ReceiverModel::UpdateQuietUntil() {
  std::int64_t quiet = std::min(refillDueNs_, nextAmbientNs_);
  if (cursor_ < pending_.size()) quiet = std::min(quiet, pending_[cursor_].ns);
  countSnapshot_.store(countedBefore_ + cursor_ + ambientCount_, std::memory_order_relaxed);
  quietUntilNs_.store(quiet, std::memory_order_release);
}

std::uint64_t ReceiverModel::CompletedBy(std::int64_t nowNs) {
  if (nowNs < quietUntilNs_.load(std::memory_order_acquire)) {
    if (nowNs > lastQueryNs_.load(std::memory_order_relaxed)) {
      lastQueryNs_.store(nowNs, std::memory_order_relaxed);
    }
    return countSnapshot_.load(std::memory_order_relaxed);
  }
  std::lock_guard<std::mutex> lock(mutex_);
  nowNs = std::max(nowNs, lastQueryNs_.load(std::memory_order_relaxed));
  if (nowNs >= refillDueNs_) GenerateUntil(nowNs);
  lastQueryNs_.store(nowNs, std::memory_order_relaxed);
  while (cursor_ < pending_.size() && pending_[cursor_].ns <= nowNs) {
    lastCompletionNs_.store(pending_[cursor_].ns, std::memory_order_relaxed);
    ++cursor_;
  }
  while (nextAmbientNs_ <= nowNs) {
    ++ambientCount_;
    const double gapNs = -std::log(1.0 - ambientRng_.Unit()) / params_.spuriousPerSecond * 1e9;
    // A new pulse cannot start a character before the previous one has completed.
    nextAmbientNs_ = ClampToNs(double(nextAmbientNs_) + std::max(gapNs, huntNs_));
  }
  UpdateQuietUntil();
  return countedBefore_ + cursor_ + ambientCount_;
}

std::vector<std::int64_t> ReceiverModel::Completions(std::int64_t untilNs) {
  std::lock_guard<std::mutex> lock(mutex_);
  if (untilNs >= refillDueNs_) GenerateUntil(untilNs);
  quietUntilNs_.store(std::numeric_limits<std::int64_t>::min(), std::memory_order_release);
  std::vector<std::int64_t> out;
  for (std::size_t i = cursor_; i < pending_.size() && pending_[i].ns <= untilNs; ++i) {
    out.push_back(pending_[i].ns);
  }
  return out;
}

std::int64_t ReceiverModel::NextCompletionBy(std::int64_t untilNs) {
  std::lock_guard<std::mutex> lock(mutex_);
  if (untilNs >= refillDueNs_) GenerateUntil(untilNs);
  quietUntilNs_.store(std::numeric_limits<std::int64_t>::min(), std::memory_order_release);
  std::int64_t next = nextAmbientNs_;
  if (cursor_ < pending_.size() && pending_[cursor_].ns > lastQueryNs_) {
    next = std::min(next, pending_[cursor_].ns);
  }
  return next <= untilNs ? next : kNotReleased;
}

std::int64_t ReceiverModel::LastMarkEndNs(PressId id) const {
  std::lock_guard<std::mutex> lock(mutex_);
  const Press* press = Find(id);
  return press ? press->lastMarkEndNs : kNotReleased;
}

std::uint64_t ReceiverModel::DroppedCharacters() const {
  std::lock_guard<std::mutex> lock(mutex_);
  return dropped_;
}

}  // namespace ovalink::sim
