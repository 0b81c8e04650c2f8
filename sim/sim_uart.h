#pragma once
// A 16550 UART as far as this program uses it: divisor latch behind DLAB, LCR read-back,
// IER/FCR writes, LSR bits 0-4 and the receiver buffer. Received characters come from a
// ReceiverInput, the SIR receiver fed by a remote's light.

#include <cstdint>

namespace ovalink::sim {

// Characters the receiver has completed, as a function of virtual time. Time only moves
// forward, so implementations may keep a cursor.
class ReceiverInput {
 public:
  virtual ~ReceiverInput() = default;
  // Number of characters completed at or before `nowNs` since the simulation started.
  virtual std::uint64_t CompletedBy(std::int64_t nowNs) = 0;
};

class SimUart {
 public:
  // LSR bits.
  static constexpr std::uint8_t kDataReady = 0x01;
  static constexpr std::uint8_t kOverrun = 0x02;
  static constexpr std::uint8_t kParityError = 0x04;
  static constexpr std::uint8_t kFramingError = 0x08;
  static constexpr std::uint8_t kBreak = 0x10;
  static constexpr std::uint8_t kTransmitterIdle = 0x60;  // THRE | TEMT

  // Power-on state as a BIOS leaves a COM port: 9600 baud (divisor 12), 8N1.
  SimUart(std::uint16_t divisor = 12, std::uint8_t lineControl = 0x03);

  // Register access by offset 0-7 at virtual time `nowNs`.
  std::uint8_t Read(int offset, std::int64_t nowNs);
  void Write(int offset, std::uint8_t value);

  void SetReceiverInput(ReceiverInput* input) { input_ = input; }
  // Whether a received SIR pulse also reports a framing error (as on most SIR chips).
  void SetReportFramingError(bool on) { framingError_ = on; }

  std::uint16_t Divisor() const { return std::uint16_t(dlm_ << 8 | dll_); }
  std::uint8_t LineControl() const { return lcr_; }
  std::uint8_t InterruptEnable() const { return ier_; }
  std::uint8_t FifoControl() const { return fcr_; }
  std::uint64_t Accesses() const { return accesses_; }
  std::uint64_t CharactersRead() const { return charactersRead_; }

 private:
  std::uint64_t Pending(std::int64_t nowNs);

  ReceiverInput* input_ = nullptr;
  bool framingError_ = true;
  std::uint8_t dll_, dlm_, lcr_;
  std::uint8_t ier_ = 0, fcr_ = 0, mcr_ = 0, scratch_ = 0;
  std::uint8_t rbr_ = 0;
  std::uint64_t consumed_ = 0;       // characters taken out by RBR reads (or lost to overrun)
  std::uint8_t stickyErrors_ = 0;    // error bits latched until the next LSR read
  std::uint64_t accesses_ = 0;
  std::uint64_t charactersRead_ = 0;
};

}  // namespace ovalink::sim
