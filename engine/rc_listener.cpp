#include "engine/rc_listener.h"

#include "app/reg_key.h"
#include "engine/engine_types.h"

namespace ovalink {

namespace {
// A train ends after its 1001st time, so this is all the vector ever holds.
constexpr std::size_t kMaxTrainTimes = 1001;
constexpr std::uint32_t kStopCheckSliceMs = 30;
}  // namespace

RCListener::RCListener(const EngineServices& services)
    : Port(services.io), link_(services.link), clock_(services.clock) {
  if (!DriverAvailable()) {
    services.driverMissing();
    return;
  }
  RegKey settings(RegRoot::CurrentUser, kSettingsKey);
  minReads_ = static_cast<int>(settings.ReadDword("MinReads", 10));
  codeCount_ = static_cast<int>(settings.ReadDword("CodeCount", 5));
  limit_ = static_cast<int>(settings.ReadDword("Limit", 2));
  lastRecognitionTime_ = clock_.CalendarSeconds();
  trainTimes_.reserve(kMaxTrainTimes);
}

void RCListener::ReportLevel(int) {}

void RCListener::ShowPrompt(const std::string& text) {
  const WindowHandle window = window_.load();
  if (window != 0) link_.SetItemText(window, promptControlId_.load(), text);
}

void RCListener::PauseMs(std::uint32_t ms) {
  while (ms > 0 && !StopRequested()) {
    const std::uint32_t slice = ms < kStopCheckSliceMs ? ms : kStopCheckSliceMs;
    clock_.SleepMs(slice);
    ms -= slice;
  }
}

std::size_t RCListener::CodeCountStored() {
  std::lock_guard<std::mutex> lock(codeListLock_);
  return codes_.size();
}

}  // namespace ovalink
