#include "port/port.h"

#include "port/driver_connection.h"

namespace ovalink {

namespace {
// Register offsets of a 16550.
constexpr int kRbr = 0, kDll = 0, kIer = 1, kDlm = 1, kFcr = 2, kLcr = 3, kLsr = 5;
constexpr std::uint8_t kDlab = 0x80;
constexpr std::uint8_t kReceiverStatusMask = 0x1F;
}  // namespace

bool IsLegacyBase(std::uint32_t base) {
  for (const std::uint16_t candidate : kCandidateBases) {
    if (base == candidate) return true;
  }
  return false;
}

Port::Port(PortIo& io) : io_(io) { driverAvailable_ = OpenDriver(); }

Port::~Port() {
  // A destructor must not throw; without port access the hand-back is simply lost.
  try {
    SetBase(0);
  } catch (const PortAccessFault&) {
  }
  CloseDriver();
}

int Port::ProbeBase(std::uint16_t base) {
  std::lock_guard<std::recursive_mutex> lock(uartLock_);
  const std::uint8_t keep = io_.ReadByte(std::uint16_t(base + kLcr));
  int hits = 0;
  io_.WriteByte(std::uint16_t(base + kLcr), 0xAA);
  io_.WriteByte(std::uint16_t(base + kDlm), 0);
  if (io_.ReadByte(std::uint16_t(base + kLcr)) == 0xAA) hits = 1;
  io_.WriteByte(std::uint16_t(base + kLcr), 0x55);
  io_.WriteByte(std::uint16_t(base + kIer), 0);
  if (io_.ReadByte(std::uint16_t(base + kLcr)) == 0x55) hits += 1;
  io_.WriteByte(std::uint16_t(base + kLcr), keep);
  return hits == 2 ? 0 : 1;
}

std::uint16_t Port::ProgramDivisor(std::uint16_t base, std::uint16_t divisor,
                                   std::int32_t& lineControl) {
  std::lock_guard<std::recursive_mutex> lock(uartLock_);
  const std::uint8_t oldLineControl = io_.ReadByte(std::uint16_t(base + kLcr));
  io_.WriteByte(std::uint16_t(base + kLcr), kDlab);
  const std::uint8_t high = io_.ReadByte(std::uint16_t(base + kDlm));
  const std::uint8_t low = io_.ReadByte(std::uint16_t(base + kDll));
  io_.WriteByte(std::uint16_t(base + kDll), std::uint8_t(divisor & 0xFF));
  io_.WriteByte(std::uint16_t(base + kDlm), std::uint8_t(divisor >> 8));
  io_.WriteByte(std::uint16_t(base + kLcr), std::uint8_t(lineControl & 0xFF));
  lineControl = oldLineControl;
  return std::uint16_t(high << 8 | low);
}

void Port::SetBase(std::uint16_t newBase) {
  std::lock_guard<std::recursive_mutex> lock(uartLock_);
  const std::uint16_t base = Base();
  if (newBase == base) return;
  if (base != 0 && savedDivisor_ != -1) {
    std::int32_t lineControl = savedLineControl_;
    ProgramDivisor(base, std::uint16_t(savedDivisor_), lineControl);
    savedDivisor_ = -1;
  }
  base_.store(newBase, std::memory_order_relaxed);
  if (newBase != 0) {
    std::int32_t lineControl = 0;
    savedDivisor_ = ProgramDivisor(newBase, 1, lineControl);
    savedLineControl_ = lineControl;
  }
}

std::uint16_t Port::DetectPort() {
  std::lock_guard<std::recursive_mutex> lock(uartLock_);
  for (std::uint16_t candidate : kCandidateBases) {
    if (ProbeBase(candidate) == 0) {
      SetBase(candidate);
      return candidate;
    }
  }
  return 0;
}

int Port::PollReceiver() {
  std::lock_guard<std::recursive_mutex> lock(uartLock_);
  const std::uint16_t base = Base();
  if (base == 0) return 0;
  io_.WriteByte(std::uint16_t(base + kIer), 0);
  io_.WriteByte(std::uint16_t(base + kFcr), 0);
  const int status = io_.ReadByte(std::uint16_t(base + kLsr)) & kReceiverStatusMask;
  if (status != 0) {
    io_.ReadByte(std::uint16_t(base + kRbr));
    io_.WriteByte(std::uint16_t(base + kLcr), kDlab);
    io_.WriteByte(std::uint16_t(base + kDll), 1);
    io_.WriteByte(std::uint16_t(base + kDlm), 0);
    io_.WriteByte(std::uint16_t(base + kLcr), 0);
  }
  return status;
}

bool Port::Reopen() {
  // Without access the re-arm would fault outside the worker's guard; skip it and let the
  // next fault in the worker bring us back here.
  if (!ReopenDriver()) return true;
  std::lock_guard<std::recursive_mutex> lock(uartLock_);
  const std::uint16_t base = Base();
  if (base != 0) {
    std::int32_t lineControl = 0;
    ProgramDivisor(base, 1, lineControl);
  }
  return true;
}

}  // namespace ovalink
