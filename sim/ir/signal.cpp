#include "sim/ir/signal.h"

#include <limits>

namespace ovalink::sim {

void Signal::Add(bool mark, std::uint32_t us) {
  if (us == 0) return;
  const bool lastIsMark = durations_.size() % 2 == 1;
  if (durations_.empty()) {
    if (mark) durations_.push_back(us);
    return;
  }
  if (lastIsMark == mark) {
    std::uint32_t& last = durations_.back();
    const std::uint32_t room = std::numeric_limits<std::uint32_t>::max() - last;
    last += us < room ? us : room;
    return;
  }
  durations_.push_back(us);
}

void Signal::Append(const Signal& other) {
  const auto& d = other.durations_;
  for (std::size_t i = 0; i < d.size(); ++i) Add(i % 2 == 0, d[i]);
}

std::uint32_t Signal::DropTrailingSpace() {
  if (durations_.size() % 2 == 1 || durations_.empty()) return 0;
  const std::uint32_t space = durations_.back();
  durations_.pop_back();
  return space;
}

std::uint64_t Signal::LengthUs() const {
  std::uint64_t sum = 0;
  for (std::uint32_t d : durations_) sum += d;
  return sum;
}

std::uint64_t Signal::MarkedLengthUs() const {
  std::uint64_t sum = LengthUs();
  if (durations_.size() % 2 == 0 && !durations_.empty()) sum -= durations_.back();
  return sum;
}

}  // namespace ovalink::sim
