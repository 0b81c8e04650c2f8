#include "sim/ir/simulated_user.h"

#include <algorithm>
#include <cmath>
#include <stdexcept>
#include <string>

namespace ovalink::sim {

std::size_t SimulatedUser::KeyIndex(std::string_view keyName) const {
  const int index = GetRemote().KeyIndex(keyName);
  if (index < 0) {
    throw std::invalid_argument("remote " + GetRemote().name + " has no key " +
                                std::string(keyName));
  }
  return std::size_t(index);
}

std::int64_t SimulatedUser::FreeAtNs() const {
  return last_ ? receiver_.FreeAtNs(*last_) : 0;
}

std::int64_t SimulatedUser::LastMarkEndNs() const {
  return last_ ? receiver_.LastMarkEndNs(*last_) : 0;
}

std::int64_t SimulatedUser::Begin(std::size_t keyIndex, std::int64_t atNs,
                                  std::int64_t releaseNs) {
  if (keyIndex >= GetRemote().keys.size()) throw std::invalid_argument("no such key index");
  Release(atNs);
  const std::int64_t startNs = std::max(atNs, FreeAtNs());
  PressPlan plan = transmitter_.Press(keyIndex);
  lastFrames_ = 0;
  if (releaseNs != ReceiverModel::kNotReleased) {
    lastFrames_ = plan.FrameCount(
        releaseNs > startNs ? std::uint64_t(releaseNs - startNs + 999) / 1000 : 0);
  }
  last_ = receiver_.Schedule(startNs, std::move(plan), releaseNs);
  // A press that began long ago can no longer be taken back; keep the list short.
  if (planned_.size() >= 16) planned_.erase(planned_.begin());
  planned_.push_back(*last_);
  return startNs;
}

std::int64_t SimulatedUser::Hold(std::size_t keyIndex, std::int64_t atNs, double holdMs) {
  const double holdNs = std::max(holdMs, 0.0) * 1e6;
  const std::int64_t releaseNs =
      holdNs < 9e18 - double(atNs) ? atNs + std::int64_t(std::llround(holdNs))
                                   : ReceiverModel::kNotReleased - 1;
  return Begin(keyIndex, atNs, releaseNs);
}

std::int64_t SimulatedUser::Press(std::size_t keyIndex, std::int64_t atNs) {
  const std::int64_t startNs = Begin(keyIndex, atNs, ReceiverModel::kNotReleased);
  holding_ = true;
  return startNs;
}

void SimulatedUser::CancelPlanned(std::int64_t nowNs) {
  // Newest first: the remote is free again after the latest press that did begin.
  while (!planned_.empty() && receiver_.Cancel(planned_.back(), nowNs)) {
    if (last_ == planned_.back()) holding_ = false;
    planned_.pop_back();
    last_ = planned_.empty() ? std::nullopt : std::optional<ReceiverModel::PressId>(planned_.back());
  }
}

void SimulatedUser::Release(std::int64_t atNs) {
  if (!holding_ || !last_) return;
  receiver_.Release(*last_, atNs);
  holding_ = false;
}

}  // namespace ovalink::sim
