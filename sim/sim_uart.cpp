#include "sim/sim_uart.h"

namespace ovalink::sim {

namespace {
constexpr std::uint8_t kDlab = 0x80;
}

SimUart::SimUart(std::uint16_t divisor, std::uint8_t lineControl)
    : dll_(std::uint8_t(divisor & 0xFF)), dlm_(std::uint8_t(divisor >> 8)), lcr_(lineControl) {}

std::uint64_t SimUart::Pending(std::int64_t nowNs) {
  if (!input_) return 0;
  const std::uint64_t completed = input_->CompletedBy(nowNs);
  return completed > consumed_ ? completed - consumed_ : 0;
}

std::uint8_t SimUart::Read(int offset, std::int64_t nowNs) {
  ++accesses_;
  const bool dlab = (lcr_ & kDlab) != 0;
  switch (offset) {
    case 0:
      if (dlab) return dll_;
      if (input_) {
        const std::uint64_t completed = input_->CompletedBy(nowNs);
        if (completed > consumed_) {
          // With the FIFO off only the newest character survives in the holding register.
          consumed_ = completed;
          rbr_ = 0x00;  // a SIR pulse reads back as a character of zero bits
          ++charactersRead_;
        }
      }
      return rbr_;
    case 1:
      return dlab ? dlm_ : ier_;
    case 2:
      return 0x01;  // IIR: no interrupt pending, FIFOs off
    case 3:
      return lcr_;
    case 4:
      return mcr_;
    case 5: {
      const std::uint64_t pending = Pending(nowNs);
      std::uint8_t status = kTransmitterIdle | stickyErrors_;
      if (pending > 0) {
        status |= kDataReady;
        if (framingError_) status |= kFramingError;
      }
      if (pending > 1) status |= kOverrun;
      stickyErrors_ = 0;
      return status;
    }
    case 6:
      return 0x00;
    case 7:
      return scratch_;
    default:
      return 0xFF;
  }
}

void SimUart::Write(int offset, std::uint8_t value) {
  ++accesses_;
  const bool dlab = (lcr_ & kDlab) != 0;
  switch (offset) {
    case 0:
      if (dlab) dll_ = value;
      break;  // transmitter writes go nowhere
    case 1:
      if (dlab) dlm_ = value; else ier_ = value & 0x0F;
      break;
    case 2:
      fcr_ = value;
      break;
    case 3:
      lcr_ = value;
      break;
    case 4:
      mcr_ = value & 0x1F;
      break;
    case 7:
      scratch_ = value;
      break;
    default:
      break;
  }
}

}  // namespace ovalink::sim
