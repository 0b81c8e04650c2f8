#pragma once
// What a remote sends: the light of one transmission (a frame) and of a whole press, a
// first frame followed by repeats while the key is held.

#include <cstddef>
#include <cstdint>
#include <vector>

#include "sim/ir/lircd_conf.h"
#include "sim/ir/signal.h"

namespace ovalink::sim {

// One transmission and the silence after it before the remote may transmit again.
struct Frame {
  Signal light;             // starts and ends with a mark
  std::uint32_t gapUs = 0;  // from the end of the last mark to the next frame's start
};

// The light of one press, before it is known how long the key will be held.
struct PressPlan {
  std::vector<Frame> first;  // sent once, in order, at the start of every press
  Frame repeat;              // sent while the key stays down
  bool repeats = true;       // false: `first` is all there is, however long the hold
  // Frames sent even on the sharpest press: `first` plus the remote's min_repeat.
  std::size_t minFrames = 1;
  std::uint32_t carrierHz = kDefaultCarrierHz;

  const Frame& FrameAt(std::size_t k) const { return k < first.size() ? first[k] : repeat; }
  // Whether frame k goes out when the key is released `holdUs` after the press began,
  // given that it would start at `startUs` (relative to the press): a frame that starts
  // while the key is down is sent whole.
  bool Sends(std::size_t k, std::uint64_t startUs, std::uint64_t holdUs) const {
    if (k < minFrames) return true;
    if (!repeats && k >= first.size()) return false;
    return startUs < holdUs;
  }

  // Everything a press held `holdUs` sends, from its first mark to its last. The space
  // after it before the remote may send again comes back through `gapAfterUs`.
  Signal Expand(std::uint64_t holdUs, std::uint32_t* gapAfterUs = nullptr) const;
  // Number of frames a press held `holdUs` sends.
  std::size_t FrameCount(std::uint64_t holdUs) const;

  // Calls `onFrame(k, startUs, frame)` for each frame a press held `holdUs` sends, startUs
  // counted from the press's first mark.
  template <typename F>
  void ForEachFrame(std::uint64_t holdUs, F&& onFrame) const {
    std::uint64_t startUs = 0;
    for (std::size_t k = 0; Sends(k, startUs, holdUs); ++k) {
      const Frame& frame = FrameAt(k);
      onFrame(k, startUs, frame);
      const std::uint64_t periodUs = frame.light.MarkedLengthUs() + frame.gapUs;
      // A frame that takes no time would repeat for ever.
      if (periodUs == 0 && k + 1 >= minFrames) break;
      startUs += periodUs;
    }
  }
};

// The light of one code of `key` (one of its codes; raw keys have one). `repeat` asks for
// the form sent while held (the repeat code, or the frame without head or foot as the
// flags say); `toggled` sets the toggle bits of an odd-numbered press. The result starts
// and ends with a mark: a final space belongs to the gap.
Signal EncodeFrame(const Remote& remote, const RemoteKey& key, std::size_t codeIndex,
                   bool repeat, bool toggled);

// The space after a frame until the remote may send the next, by gap, repeat_gap and
// CONST_LENGTH (then the gap runs from the frame's start).
std::uint32_t GapAfter(const Remote& remote, const Signal& frame, bool repeat);

// A press of `key` as the remote sends it. `toggled`: the press is an odd-numbered one.
PressPlan PlanPress(const Remote& remote, const RemoteKey& key, bool toggled);

// A fixed light sent once per press (a recorded raw signal).
PressPlan PlanFixed(const Signal& light, std::uint32_t gapAfterUs = 0);

// A remote in the hand: it remembers how many presses it has sent, for the toggle bits.
class Transmitter {
 public:
  explicit Transmitter(Remote remote) : remote_(std::move(remote)) {}

  const Remote& GetRemote() const { return remote_; }
  // The next press of key `keyIndex` (< GetRemote().keys.size()); every call is a new
  // press, so the toggle bits flip from one call to the next.
  PressPlan Press(std::size_t keyIndex);
  std::uint64_t Presses() const { return presses_; }

 private:
  Remote remote_;
  std::uint64_t presses_ = 0;
};

}  // namespace ovalink::sim
