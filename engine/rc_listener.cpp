#include "engine/rc_listener.h"

#include "app/reg_key.h"
#include "app/registry_layout.h"
#include "engine/engine_types.h"

namespace ovalink {

namespace {
// All a train's times vector ever holds.
constexpr std::size_t kMaxTrainTimes = RCListener::kTrainSizeLimit + 1;

// A hand-edited value outside what capture and training can work with (0 trains per pattern,
// a threshold of 0, a negative minimum) would store codes that match anything. The stored
// value is left as the user wrote it; the engine works with the nearest sensible one.
int ClampSetting(std::uint32_t stored, int lowest, int highest) {
  const std::int64_t value = static_cast<std::int32_t>(stored);
  if (value < lowest) return lowest;
  if (value > highest) return highest;
  return static_cast<int>(value);
}
}  // namespace

RCListener::RCListener(const EngineServices& services)
    : Port(services.io), link_(services.link), clock_(services.clock) {
  if (!DriverAvailable()) {
    services.driverMissing();
    return;
  }
  RegKey settings(RegRoot::CurrentUser, kSettingsKey);
  minReads_ = ClampSetting(settings.ReadDword(kMinReadsValue, kDefaultMinReads), 1,
                           int(kTrainSizeLimit));
  // Histogram counters are 8 bits: more trains than 255 per pattern would wrap them.
  codeCount_ = ClampSetting(settings.ReadDword(kCodeCountValue, kDefaultCodeCount), 1, 255);
  limit_ = ClampSetting(settings.ReadDword(kLimitValue, kDefaultLimit), 1, 255);
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
    const std::uint32_t slice = ms < kRestMs ? ms : kRestMs;
    clock_.SleepMs(slice);
    ms -= slice;
  }
}

std::size_t RCListener::CodesInStore() {
  std::lock_guard<std::mutex> lock(codeListLock_);
  return codes_.size();
}

}  // namespace ovalink
