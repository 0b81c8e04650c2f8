#pragma once
// The SIR receiver and the UART's receive side as one model: from a remote's light to the
// virtual times at which the UART completes characters.
//
// During a mark each carrier cycle is one pulse on the UART's input. A pulse on an idle
// line starts a character, which the UART reports once it has sampled the stop bit; it then
// hunts for the next start bit, and the first pulse after that starts the next character.
// Nothing arrives during a space, and a character in progress when a mark ends still
// completes.

#include <atomic>
#include <cstdint>
#include <limits>
#include <mutex>
#include <vector>

#include "sim/ir/random.h"
#include "sim/ir/signal.h"
#include "sim/ir/synthesis.h"
#include "sim/sim_uart.h"

namespace ovalink::sim {

// Every number of the model. The defaults are the exact signal (what `--ideal` gives);
// RealisticReceiver below is what a real remote and a polled UART give.
struct ReceiverParams {
  // One bit at 115200 baud (8.68 µs). A 5N1 character is start bit, 5 data bits, stop bit.
  double bitUs = 1e6 / 115200.0;
  // When the UART reports a character and hunts for the next start bit, in bit times from
  // the start edge: 7 = the end of the stop bit (60.8 µs), 6.5 = its middle (56.4 µs), where
  // 16550-style receivers sample it. Nothing available settles which a given chip does.
  double huntAfterBits = 7.0;
  // Whether a line still low when hunting begins starts a character at once. A SIR decoder
  // turns each light pulse into a low of about one bit time, so a pulse that came just
  // before hunting began may still hold the line low then.
  bool lowLineStartsCharacter = false;
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
  // The remote's resonator: every duration and the carrier run slow (+) or fast (-) by
  // this percentage, the same for every press of the run.
  double clockOffsetPercent = 0.0;
  // Pre-emptions of the polling thread while it records: on average this many per second,
  // each stopping the polls for a time between the two bounds. Applied by the port bus
  // (sim::VirtualClock::SetPreemptions), not by this model.
  double preemptionsPerSecond = 0.0;
  double preemptionMinUs = 0.0;
  double preemptionMaxUs = 0.0;
  // Same seed, same schedule: same characters.
  std::uint64_t seed = 1;

  double HuntUs() const { return bitUs * huntAfterBits; }
};

// What a real remote and a polled SIR UART give, its figures drawn from `seed`:
// - Clock and carrier offset: remotes time their frames and carrier from a ceramic
//   resonator (LG's manuals: 455 kHz / 12 = 37.9 kHz). Ceramic resonators are specified at
//   ±0.5 % initial tolerance, with up to another ±0.3 % over temperature and ageing
//   (Murata CERALOCK data sheets). One offset of 0.5-1 % either way per run.
// - Poll latency: each port access costs an ISA bus cycle, about 1 µs (the port bus's
//   default), so an idle poll takes 3 µs and an active one 8 µs.
// - Pre-emptions: even at time-critical priority, interrupts and deferred procedure calls
//   take the processor. Windows' driver guidelines ask DPCs to finish within 100 µs and
//   ISRs within 25 µs; badly behaved drivers exceed that. Two per second of recording,
//   20-300 µs each (an assumption within those figures, not a measurement).
// - No ambient light, no jitter, no dropped characters: those stay impairment options.
// The UART's hunting details (huntAfterBits, lowLineStartsCharacter) are left as given.
ReceiverParams RealisticReceiver(std::uint64_t seed, ReceiverParams uart = ReceiverParams{});
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
  // Takes back press `id` if it has not begun by `nowNs`, as a hand that stops before it
  // presses; whether it was taken back.
  bool Cancel(PressId id, std::int64_t nowNs);
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
  // When the latest remote character counted by CompletedBy completed (0: none yet).
  std::int64_t LastCompletionNs() const { return lastCompletionNs_.load(std::memory_order_relaxed); }
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
  void UpdateQuietUntil();

  const ReceiverParams params_;
  const double huntNs_;
  const double lowNs_;
  const double jitterNs_;
  const std::int64_t lookaheadNs_;

  mutable std::mutex mutex_;
  std::vector<Press> presses_;
  PressId nextId_ = 1;
  std::vector<Completion> pending_;    // sorted by time; [0, cursor_) already counted
  std::size_t cursor_ = 0;
  std::uint64_t countedBefore_ = 0;    // entries compacted away, all counted
  std::atomic<std::int64_t> lastQueryNs_{std::numeric_limits<std::int64_t>::min()};
  // Polls far outnumber characters: until this moment nothing new completes, so a query
  // before it answers `countSnapshot_` without taking the lock.
  std::atomic<std::int64_t> quietUntilNs_{std::numeric_limits<std::int64_t>::min()};
  std::atomic<std::uint64_t> countSnapshot_{0};
  std::atomic<std::int64_t> lastCompletionNs_{0};
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
