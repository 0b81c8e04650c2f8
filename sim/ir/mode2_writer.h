#pragma once
// mode2 text written as the light is produced, so that a long signal never has to be held
// in memory: adjacent marks (or spaces) merge, zero lengths vanish and a space before the
// first mark is dropped, exactly as in Signal.

#include <cstdint>
#include <iosfwd>

#include "sim/ir/signal.h"

namespace ovalink::sim {

class Mode2Writer {
 public:
  // Writes the `carrier N` line at once.
  Mode2Writer(std::ostream& out, std::uint32_t carrierHz);

  void AddMark(std::uint32_t us) { Add(true, us); }
  void AddSpace(std::uint32_t us) { Add(false, us); }
  void Append(const Signal& signal);
  // Writes the last duration, whichever kind it is.
  void Finish();
  // False once the output has failed (a full disk, a closed pipe): stop producing.
  bool Good() const;

 private:
  void Add(bool mark, std::uint32_t us);
  void Emit();

  std::ostream& out_;
  bool started_ = false;  // a mark has been seen
  bool pendingMark_ = false;
  std::uint32_t pendingUs_ = 0;
};

}  // namespace ovalink::sim
