#include "sim/real_time_pc.h"

#include <algorithm>
#include <cctype>
#include <stdexcept>

#include "port/driver_connection.h"

namespace ovalink::sim {

std::uint8_t RealTimePc::SerializedIo::ReadByte(std::uint16_t address) {
  std::lock_guard<std::mutex> lock(mutex_);
  return inner_.ReadByte(address);
}

void RealTimePc::SerializedIo::WriteByte(std::uint16_t address, std::uint8_t value) {
  std::lock_guard<std::mutex> lock(mutex_);
  inner_.WriteByte(address, value);
}

RealTimePc::RealTimePc(Clock& real, Remote remote, const ReceiverParams& receiver)
    : receiver_(receiver),
      clock_(real, receiver_),
      bus_(clock_),
      driver_(bus_),
      io_(bus_),
      user_(std::make_unique<SimulatedUser>(std::move(remote), receiver_)) {
  bus_.Attach(kBase, uart_);
  uart_.SetReceiverInput(&receiver_);
  InstallDriverBackend(&driver_);
}

RealTimePc::~RealTimePc() { InstallDriverBackend(nullptr); }

std::size_t RealTimePc::KeyIndex(std::string_view key) const {
  std::lock_guard<std::mutex> lock(userMutex_);
  if (!key.empty() && std::all_of(key.begin(), key.end(),
                                  [](char c) { return std::isdigit(static_cast<unsigned char>(c)); })) {
    const std::size_t count = user_->GetRemote().keys.size();
    if (key.size() <= 4) {
      const std::size_t index = std::stoul(std::string(key));
      if (index < count) return index;
    }
    throw std::invalid_argument("remote " + user_->GetRemote().name + " has " +
                                std::to_string(count) + " keys");
  }
  return user_->KeyIndex(key);
}

std::int64_t RealTimePc::EarliestStartNs() {
  return std::max({clock_.RealNs() + kPressLeadNs, user_->FreeAtNs(), previousRemoteFreeNs_});
}

PressTimes RealTimePc::Press(std::size_t key, double holdMs, int count, double everyMs) {
  std::lock_guard<std::mutex> lock(userMutex_);
  user_->Release(std::max(clock_.RealNs(), heldStartNs_));
  const auto every = std::int64_t(std::max(everyMs, 0.0) * 1e6);
  const std::int64_t first = user_->Hold(key, EarliestStartNs(), holdMs);
  for (std::int64_t start = first; --count > 0;) {
    start = user_->Hold(key, std::max(EarliestStartNs(), start + every), holdMs);
  }
  return {first, user_->LastMarkEndNs()};
}

std::int64_t RealTimePc::Down(std::size_t key) {
  std::lock_guard<std::mutex> lock(userMutex_);
  user_->Release(std::max(clock_.RealNs(), heldStartNs_));
  heldStartNs_ = user_->Press(key, EarliestStartNs());
  return heldStartNs_;
}

bool RealTimePc::Up(PressTimes* times) {
  std::lock_guard<std::mutex> lock(userMutex_);
  if (!user_->Holding()) return false;
  // Never before the light began: a key let go at once still sends its first frame.
  user_->Release(std::max(clock_.RealNs(), heldStartNs_));
  if (times) *times = {heldStartNs_, user_->LastMarkEndNs()};
  return true;
}

void RealTimePc::UseRemote(Remote remote) {
  std::lock_guard<std::mutex> lock(userMutex_);
  user_->Release(std::max(clock_.RealNs(), heldStartNs_));
  previousRemoteFreeNs_ = std::max(previousRemoteFreeNs_, user_->FreeAtNs());
  user_ = std::make_unique<SimulatedUser>(std::move(remote), receiver_);
}

std::string RealTimePc::RemoteName() const {
  std::lock_guard<std::mutex> lock(userMutex_);
  return user_->GetRemote().name;
}

std::string RealTimePc::KeyNames() const {
  std::lock_guard<std::mutex> lock(userMutex_);
  std::string names;
  for (const RemoteKey& key : user_->GetRemote().keys) {
    if (!names.empty()) names += ' ';
    names += key.name;
  }
  return names;
}

UartState RealTimePc::Uart() {
  std::lock_guard<std::mutex> lock(io_.Mutex());
  return {uart_.Divisor(), uart_.LineControl()};
}

}  // namespace ovalink::sim
