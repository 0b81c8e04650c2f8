#pragma once
// A simulated PC that runs beside real programs: the 16550 with its SIR receiver and a remote
// in a simulated user's hand, on a clock paced by the real one (see PacedClock). The port
// driver back end is installed for as long as the PC exists.

#include <cstdint>
#include <memory>
#include <mutex>
#include <string>
#include <string_view>

#include "platform/clock.h"
#include "platform/port_io.h"
#include "sim/ir/lircd_conf.h"
#include "sim/ir/receiver_model.h"
#include "sim/ir/simulated_user.h"
#include "sim/paced_clock.h"
#include "sim/sim_driver.h"
#include "sim/sim_port_bus.h"
#include "sim/sim_uart.h"

namespace ovalink::sim {

struct UartState {
  std::uint16_t divisor;
  std::uint8_t lineControl;
};

// When a press's light begins and where its last mark ends, in simulated nanoseconds.
struct PressTimes {
  std::int64_t startNs;
  std::int64_t lastMarkEndNs;  // ReceiverModel::kNotReleased while the key is held
};

class RealTimePc {
 public:
  static constexpr std::uint16_t kBase = 0x3F8;
  // How far ahead of the real clock a press's light is scheduled, so that no poll can have
  // passed its first character yet.
  static constexpr std::int64_t kPressLeadNs = 1'000'000;

  // `real` must outlive the PC.
  RealTimePc(Clock& real, Remote remote, const ReceiverParams& receiver = ReceiverParams{});
  ~RealTimePc();
  RealTimePc(const RealTimePc&) = delete;
  RealTimePc& operator=(const RealTimePc&) = delete;

  // What the program's engine uses. Accesses from several threads are serialised.
  PortIo& Io() { return io_; }
  PacedClock& Time() { return clock_; }

  // The user's hand; every member below may be called from any thread.
  // Key index by name (KEY_PLAY) or decimal index; throws std::invalid_argument.
  std::size_t KeyIndex(std::string_view key) const;
  // A press held `holdMs` (0: a sharp keystroke), as soon as the remote is free; with
  // `count` > 1 that many, each beginning `everyMs` after the one before or as soon as the
  // remote is free again, whichever is later. Times: the first's start, the last's end.
  PressTimes Press(std::size_t key, double holdMs, int count = 1, double everyMs = 0);
  // Puts a key down until Up; returns when its light begins.
  std::int64_t Down(std::size_t key);
  // Lets go of the key held since Down; its times, or nothing when no key was down.
  bool Up(PressTimes* times);
  // Another remote in the hand (a key still down is let go first).
  void UseRemote(Remote remote);
  std::string RemoteName() const;
  std::string KeyNames() const;

  UartState Uart();

 private:
  class SerializedIo : public PortIo {
   public:
    explicit SerializedIo(PortIo& inner) : inner_(inner) {}
    std::uint8_t ReadByte(std::uint16_t address) override;
    void WriteByte(std::uint16_t address, std::uint8_t value) override;
    std::mutex& Mutex() { return mutex_; }

   private:
    PortIo& inner_;
    std::mutex mutex_;
  };

  std::int64_t EarliestStartNs();

  ReceiverModel receiver_;
  PacedClock clock_;
  SimUart uart_;
  SimPortBus bus_;
  SimDriver driver_;
  SerializedIo io_;

  mutable std::mutex userMutex_;
  std::unique_ptr<SimulatedUser> user_;
  std::int64_t previousRemoteFreeNs_ = 0;
  std::int64_t heldStartNs_ = 0;
};

}  // namespace ovalink::sim
