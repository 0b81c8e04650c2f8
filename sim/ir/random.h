#pragma once
// splitmix64: small, fast, and the same sequence on every compiler and standard library,
// which the standard distributions do not promise. Seeds the simulator's impairments.

#include <cstdint>

namespace ovalink::sim {

class SplitMix64 {
 public:
  explicit SplitMix64(std::uint64_t seed) : state_(seed) {}

  std::uint64_t Next() {
    std::uint64_t z = (state_ += 0x9E3779B97F4A7C15ull);
    z = (z ^ (z >> 30)) * 0xBF58476D1CE4E5B9ull;
    z = (z ^ (z >> 27)) * 0x94D049BB133111EBull;
    return z ^ (z >> 31);
  }
  // Uniform in [0, 1), 53 bits.
  double Unit() { return double(Next() >> 11) * (1.0 / 9007199254740992.0); }
  double Between(double lo, double hi) { return lo + (hi - lo) * Unit(); }
  bool Chance(double percent) { return percent > 0 && Unit() * 100.0 < percent; }

 private:
  std::uint64_t state_;
};

}  // namespace ovalink::sim
