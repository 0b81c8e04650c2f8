#include "sim/ir/mode2_writer.h"

#include <limits>
#include <ostream>

namespace ovalink::sim {

Mode2Writer::Mode2Writer(std::ostream& out, std::uint32_t carrierHz) : out_(out) {
  out_ << "carrier " << carrierHz << '\n';
}

void Mode2Writer::Add(bool mark, std::uint32_t us) {
  if (us == 0) return;
  if (!started_) {
    if (!mark) return;
    started_ = true;
  } else if (pendingMark_ == mark) {
    const std::uint32_t room = std::numeric_limits<std::uint32_t>::max() - pendingUs_;
    pendingUs_ += us < room ? us : room;
    return;
  } else {
    Emit();
  }
  pendingMark_ = mark;
  pendingUs_ = us;
}

void Mode2Writer::Append(const Signal& signal) {
  const auto& d = signal.Durations();
  for (std::size_t i = 0; i < d.size(); ++i) Add(i % 2 == 0, d[i]);
}

void Mode2Writer::Emit() {
  if (pendingUs_ == 0) return;
  out_ << (pendingMark_ ? "pulse " : "space ") << pendingUs_ << '\n';
  pendingUs_ = 0;
}

void Mode2Writer::Finish() { Emit(); }

bool Mode2Writer::Good() const { return out_.good(); }

}  // namespace ovalink::sim
