#include "sim/sim_port_bus.h"

namespace ovalink::sim {

SimUart* SimPortBus::Find(std::uint16_t address, int* offset) {
  // Polling reads one UART over and over.
  if (lastUart_ && address >= lastBase_ && address - lastBase_ <= 7) {
    *offset = address - lastBase_;
    return lastUart_;
  }
  auto it = uarts_.upper_bound(address);
  if (it == uarts_.begin()) return nullptr;
  --it;
  const int delta = address - it->first;
  if (delta < 0 || delta > 7) return nullptr;
  *offset = delta;
  lastBase_ = it->first;
  lastUart_ = it->second;
  return it->second;
}

std::int64_t SimPortBus::Charge() {
  ++accesses_;
  const std::int64_t now = clock_.AccessNs(accessCostNs_);
  if (failNext_ > 0) {
    --failNext_;
    throw PortAccessFault();
  }
  if (!granted_) throw PortAccessFault();
  return now;
}

std::uint8_t SimPortBus::ReadByte(std::uint16_t address) {
  const std::int64_t now = Charge();
  int offset = 0;
  SimUart* uart = Find(address, &offset);
  return uart ? uart->Read(offset, now) : 0xFF;
}

void SimPortBus::WriteByte(std::uint16_t address, std::uint8_t value) {
  Charge();
  int offset = 0;
  if (SimUart* uart = Find(address, &offset)) uart->Write(offset, value);
}

}  // namespace ovalink::sim
