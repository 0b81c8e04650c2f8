#pragma once
// The SIR receiver and the UART's receive side as one model: from a remote's light to the
// virtual times at which the UART completes characters.
//
// During a mark each carrier cycle is one pulse on the UART's input. A pulse on an idle
// line starts a character, which completes one character time later; the first pulse after
// that completion starts the next one. Nothing arrives during a space, and a character in
// progress when a mark ends still completes.

#include <cstdint>
#include <limits>
#include <mutex>
#include <vector>

#include "sim/ir/random.h"
#include "sim/ir/signal.h"
#include "sim/ir/synthesis.h"
#include "sim/sim_uart.h"

namespace ovalink::sim {

// Every number of the model. The defaults are a clean signal at the receiver.
struct ReceiverParams {
  // One UART character: start bit, 5 data bits and stop bit at 115200 baud (about 60.76 µs).
  double characterUs = 7.0 * 1e6 / 115200.0;
  // Carrier in Hz; 0 takes each press's own (the remote's `frequency`).
  std::uint32_t carrierHz = 0;
  // Each mark/space edge moves independently by up to ± this many µs; nothing accumulates.
  double jitterUs = 0.0;
  // Each press runs slow or fast by one factor within 1 ± this/100: durations and carrier
  // period alike, as from a remote whose oscillator wanders. At most 50.
  double driftPercent = 0.0;
  // Share of characters the UART loses (they still occupy the receiver while they last).
  double dropPercent = 0.0;
  // Ambient light: single pulses at random times, this many per second on average.
  double spuriousPerSecond = 0.0;
  // Weak signal: the receiver sees only this middle fraction of each mark (0..1).
  double markCoverage = 1.0;
  // Same seed, same schedule: same characters.
  std::uint64_t seed = 1;
};

class ReceiverModel : public ReceiverInput {
 public:
  using PressId = std::uint64_t;
  static constexpr std::int64_t kNotReleased = std::numeric_limits<std::int64_t>::max();

  explicit ReceiverModel(const ReceiverParams& params = ReceiverParams{});

  ReceiverModel(const ReceiverModel&) = delete;
  ReceiverModel& operator=(const ReceiverModel&) = delete;

  // The light of one press whose first mark begins at `startNs` (absolute virtual time) and
  // whose key comes up at `releaseNs` (kNotReleased: at a later Release). Frames become
  // characters only as virtual time nears them, so presses may be scheduled and released
  // from any thread while the simulation runs. Light must lie ahead of the latest
  // CompletedBy query: characters that would already have completed are lost.
  PressId Schedule(std::int64_t startNs, PressPlan plan, std::int64_t releaseNs = kNotReleased);
  // A fixed light (a recorded signal), sent once.
  PressId Schedule(std::int64_t startNs, const Signal& light);
  // The key of press `id` comes up at `atNs`: frames that would start later are not sent,
  // except for the remote's minimum ones. A frame under way is finished.
  void Release(PressId id, std::int64_t atNs);
  // When the remote that sent press `id` may transmit again: after its last frame and that
  // frame's gap. kNotReleased while the press is still held.
  std::int64_t FreeAtNs(PressId id) const;

  std::uint64_t CompletedBy(std::int64_t nowNs) override;

  // The remote's character completion times up to `untilNs` that no query has reached yet,
  // in order (ambient light excluded). Consumes nothing.
  std::vector<std::int64_t> Completions(std::int64_t untilNs);
  // The earliest character completion, ambient light included, that no query has reached
  // yet and that comes at or before `untilNs`; kNotReleased when there is none. Consumes
  // nothing and allocates nothing once the frames up to `untilNs` exist.
  std::int64_t NextCompletionBy(std::int64_t untilNs);
  // Where press `id`'s last mark ends; kNotReleased while the press is still held.
  std::int64_t LastMarkEndNs(PressId id) const;
  // Characters lost to dropPercent so far, among those generated.
  std::uint64_t DroppedCharacters() const;
  const ReceiverParams& Params() const { return params_; }

 private:
  struct Completion {
    std::int64_t ns;
    PressId press;
  };
  struct GeneratedFrame {
    std::uint64_t startUs;   // nominal, from the press's start
    std::int64_t firstEdgeNs;  // where its first mark actually began
  };
  struct Press {
    PressId id = 0;
    PressPlan plan;
    std::int64_t startNs = 0;
    std::uint64_t holdUs = std::numeric_limits<std::uint64_t>::max();
    double factor = 1.0;
    SplitMix64 rng{0};
    std::size_t nextFrame = 0;
    std::uint64_t nextStartUs = 0;
    double busyUntilNs = -1e300;
    std::vector<GeneratedFrame> frames;
    bool finished = false;
    std::int64_t freeAtNs = kNotReleased;
    std::int64_t lastMarkEndNs = kNotReleased;
  };

  Press* Find(PressId id);
  const Press* Find(PressId id) const;
  std::int64_t AbsoluteNs(const Press& press, std::uint64_t relativeUs) const;
  std::int64_t DueNs(const Press& press) const;
  void SetRelease(Press& press, std::int64_t releaseNs);
  void GenerateUntil(std::int64_t horizonNs);
  void GenerateFrame(Press& press);
  void CheckFinished(Press& press);
  void Characters(Press& press, double markStartNs, double markEndNs, double periodNs);
  void Insert(PressId id);
  void UpdateRefillDue();
  void Compact();

  const ReceiverParams params_;
  const double characterNs_;
  const double jitterNs_;
  const std::int64_t lookaheadNs_;

  mutable std::mutex mutex_;
  std::vector<Press> presses_;
  PressId nextId_ = 1;
  std::vector<Completion> pending_;    // sorted by time; [0, cursor_) already counted
  std::size_t cursor_ = 0;
  std::uint64_t countedBefore_ = 0;    // entries compacted away, all counted
  std::int64_t lastQueryNs_ = std::numeric_limits<std::int64_t>::min();
  std::int64_t refillDueNs_ = std::numeric_limits<std::int64_t>::max();
  std::uint64_t dropped_ = 0;
  // Scratch buffers for one frame, kept to avoid reallocating per frame.
  std::vector<double> edges_;
  std::vector<std::int64_t> fresh_;
  // Ambient light: a Poisson stream of single-pulse characters.
  SplitMix64 ambientRng_;
  std::int64_t nextAmbientNs_;
  std::uint64_t ambientCount_ = 0;
};

}  // namespace ovalink::sim
