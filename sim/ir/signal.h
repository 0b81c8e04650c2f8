#pragma once
// Light as a remote sends it: marks (carrier on) and spaces (carrier off), in microseconds.

#include <cstdint>
#include <vector>

namespace ovalink::sim {

// What LIRC assumes when a remote names no carrier.
constexpr std::uint32_t kDefaultCarrierHz = 38000;

class Signal {
 public:
  Signal() = default;
  explicit Signal(std::uint32_t carrierHz) : carrierHz_(carrierHz) {}

  // Adjacent marks (or spaces) merge into one, and zero lengths vanish, so the durations
  // always alternate. A space before the first mark is dropped: nothing of it can be seen.
  // Lengths saturate rather than wrap.
  void AddMark(std::uint32_t us) { Add(true, us); }
  void AddSpace(std::uint32_t us) { Add(false, us); }
  // Appends `other`'s durations (its carrier is not taken over).
  void Append(const Signal& other);
  // Removes a trailing space and returns its length (0 when the signal ends with a mark).
  std::uint32_t DropTrailingSpace();

  // Alternating durations: marks at even indices, starting with a mark; may end with a
  // space.
  const std::vector<std::uint32_t>& Durations() const { return durations_; }
  bool Empty() const { return durations_.empty(); }
  std::size_t MarkCount() const { return (durations_.size() + 1) / 2; }
  // Sum of all durations, a trailing space included.
  std::uint64_t LengthUs() const;
  // From the start of the first mark to the end of the last.
  std::uint64_t MarkedLengthUs() const;

  // 0 means unmodulated light (one receiver pulse per mark).
  std::uint32_t CarrierHz() const { return carrierHz_; }
  void SetCarrierHz(std::uint32_t hz) { carrierHz_ = hz; }
  std::uint32_t DutyCyclePercent() const { return dutyCycle_; }
  void SetDutyCyclePercent(std::uint32_t percent) { dutyCycle_ = percent; }

  bool operator==(const Signal& other) const {
    return carrierHz_ == other.carrierHz_ && durations_ == other.durations_;
  }
  bool operator!=(const Signal& other) const { return !(*this == other); }

 private:
  void Add(bool mark, std::uint32_t us);

  std::uint32_t carrierHz_ = kDefaultCarrierHz;
  std::uint32_t dutyCycle_ = 50;
  std::vector<std::uint32_t> durations_;
};

}  // namespace ovalink::sim
