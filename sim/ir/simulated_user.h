#pragma once
// A person with a remote in hand, in virtual time: holds, releases and taps keys, and the
// remote's light goes to the receiver model.

#include <cstdint>
#include <optional>
#include <string_view>
#include <vector>

#include "sim/ir/lircd_conf.h"
#include "sim/ir/receiver_model.h"
#include "sim/ir/synthesis.h"

namespace ovalink::sim {

// Not thread-safe itself: drive one user from one thread at a time (the receiver model it
// feeds may be polled from another).
class SimulatedUser {
 public:
  // The receiver must outlive the user.
  SimulatedUser(Remote remote, ReceiverModel& receiver)
      : transmitter_(std::move(remote)), receiver_(receiver) {}

  const Remote& GetRemote() const { return transmitter_.GetRemote(); }

  // Key index by name; throws std::invalid_argument for a key the remote lacks.
  std::size_t KeyIndex(std::string_view keyName) const;

  // Holds key `keyIndex` down from `atNs` for `holdMs`: the remote sends its first frame,
  // then repeats while the key is down. A remote sends one press at a time, so the light
  // begins no earlier than the previous press's last frame and gap; returns when it begins.
  // A key still held is released at `atNs` first.
  std::int64_t Hold(std::size_t keyIndex, std::int64_t atNs, double holdMs);
  std::int64_t Hold(std::string_view keyName, std::int64_t atNs, double holdMs) {
    return Hold(KeyIndex(keyName), atNs, holdMs);
  }
  // A sharp keystroke: one frame (and the remote's minimum repeats).
  std::int64_t Tap(std::size_t keyIndex, std::int64_t atNs) { return Hold(keyIndex, atNs, 0.0); }
  std::int64_t Tap(std::string_view keyName, std::int64_t atNs) {
    return Tap(KeyIndex(keyName), atNs);
  }
  // Puts a key down with no release time yet: the remote repeats until Release.
  std::int64_t Press(std::size_t keyIndex, std::int64_t atNs);
  std::int64_t Press(std::string_view keyName, std::int64_t atNs) {
    return Press(KeyIndex(keyName), atNs);
  }
  // Lets go of the key held since Press; nothing when no key is down.
  void Release(std::int64_t atNs);
  // Takes back every press planned to begin after `nowNs`: the person stops.
  void CancelPlanned(std::int64_t nowNs);

  bool Holding() const { return holding_; }
  // When the remote may send the next press: ReceiverModel::kNotReleased while a key is
  // held, 0 before the first press.
  std::int64_t FreeAtNs() const;
  // Where the last press's last mark ends: ReceiverModel::kNotReleased while a key is held,
  // 0 before the first press.
  std::int64_t LastMarkEndNs() const;
  std::uint64_t Presses() const { return transmitter_.Presses(); }
  // Frames the latest Hold or Tap sends, by the remote's nominal timing; 0 after Press.
  std::size_t LastPressFrames() const { return lastFrames_; }

 private:
  std::int64_t Begin(std::size_t keyIndex, std::int64_t atNs, std::int64_t releaseNs);

  Transmitter transmitter_;
  ReceiverModel& receiver_;
  std::optional<ReceiverModel::PressId> last_;
  // Presses planned ahead of time, newest last, that CancelPlanned may still take back.
  std::vector<ReceiverModel::PressId> planned_;
  bool holding_ = false;
  std::size_t lastFrames_ = 0;
};

}  // namespace ovalink::sim
