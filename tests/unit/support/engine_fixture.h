#pragma once
// A simulated PC for engine tests: virtual clock, a UART at 0x3F8 fed with scripted
// character times, the port driver, an in-memory registry and a window that records what the
// engine posts.

#include <algorithm>
#include <condition_variable>
#include <cstdint>
#include <functional>
#include <mutex>
#include <stdexcept>
#include <string>
#include <vector>

#include "engine/engine_services.h"
#include "engine/rc_listener.h"
#include "platform/memory/memory_registry_store.h"
#include "sim/simulated_pc.h"

namespace ovalink::test {

// Characters completed at scripted virtual times (ns), appended in time order.
class ScriptedInput : public sim::ReceiverInput {
 public:
  std::uint64_t CompletedBy(std::int64_t nowNs) override {
    std::lock_guard<std::mutex> lock(mutex_);
    return static_cast<std::uint64_t>(
        std::upper_bound(times_.begin(), times_.end(), nowNs) - times_.begin());
  }
  // One character every `periodNs` from `startNs` for `count` characters.
  void AddBurst(std::int64_t startNs, int count, std::int64_t periodNs) {
    std::lock_guard<std::mutex> lock(mutex_);
    for (int i = 0; i < count; ++i) times_.push_back(startNs + i * periodNs);
    std::sort(times_.begin(), times_.end());
  }

 private:
  std::mutex mutex_;
  std::vector<std::int64_t> times_;
};

struct PostedMessage {
  std::uint32_t message;
  std::uintptr_t wParam;
  std::int64_t atNs;
};

class RecordingLink : public WindowLink {
 public:
  explicit RecordingLink(sim::VirtualClock& clock) : clock_(clock) {}

  bool Post(WindowHandle, std::uint32_t message, std::uintptr_t wParam, std::intptr_t) override {
    std::function<void(const PostedMessage&)> hook;
    PostedMessage posted{message, wParam, clock_.NowNs()};
    {
      std::lock_guard<std::mutex> lock(mutex_);
      posts_.push_back(posted);
      hook = onPost;
    }
    changed_.notify_all();
    if (hook) hook(posted);
    return true;
  }
  void SetItemText(WindowHandle, int controlId, const std::string& text) override {
    std::function<void(const std::string&)> hook;
    {
      std::lock_guard<std::mutex> lock(mutex_);
      prompts_.push_back({controlId, text});
      hook = onPrompt;
    }
    if (hook) hook(text);
  }

  std::vector<PostedMessage> Posts() {
    std::lock_guard<std::mutex> lock(mutex_);
    return posts_;
  }
  std::vector<std::uintptr_t> Values(std::uint32_t message) {
    std::vector<std::uintptr_t> values;
    for (const auto& p : Posts())
      if (p.message == message) values.push_back(p.wParam);
    return values;
  }
  std::vector<std::pair<int, std::string>> Prompts() {
    std::lock_guard<std::mutex> lock(mutex_);
    return prompts_;
  }
  // Waits (real time) until some posted message satisfies `pred`.
  bool WaitFor(const std::function<bool(const PostedMessage&)>& pred, int timeoutMs = 20000) {
    std::unique_lock<std::mutex> lock(mutex_);
    return changed_.wait_for(lock, std::chrono::milliseconds(timeoutMs), [&] {
      return std::any_of(posts_.begin(), posts_.end(), pred);
    });
  }

  std::function<void(const PostedMessage&)> onPost;
  std::function<void(const std::string&)> onPrompt;

 private:
  sim::VirtualClock& clock_;
  std::mutex mutex_;
  std::condition_variable changed_;
  std::vector<PostedMessage> posts_;
  std::vector<std::pair<int, std::string>> prompts_;
};

struct DriverMissing : std::runtime_error {
  DriverMissing() : std::runtime_error("driver missing") {}
};

// A listener that keeps the levels it reports, for tests that drive it without a worker.
class LevelRecordingListener : public RCListener {
 public:
  using RCListener::RCListener;
  void ReportLevel(int percent) override { levels.push_back(std::uintptr_t(percent)); }
  // Gives training prompts somewhere to go, as a start operation of the engine would.
  void AttachPromptWindow(WindowHandle window, int promptControlId) {
    window_.store(window);
    promptControlId_.store(promptControlId);
  }
  std::vector<std::uintptr_t> levels;
};

// The simulated PC with scripted receiver input, an in-memory registry installed as the
// process's registry, and a recording window.
class SimulatedPc : public sim::SimulatedPc {
 public:
  static constexpr std::int64_t kMs = 1'000'000;
  static constexpr std::int64_t kUs = 1'000;

  SimulatedPc() : link(clock) {
    uart.SetReceiverInput(&input);
    InstallRegistry(&registry);
  }
  ~SimulatedPc() { InstallRegistry(nullptr); }

  EngineServices Services() {
    return EngineServices{bus, clock, link, [] { throw DriverMissing(); }};
  }

  ScriptedInput input;
  MemoryRegistryStore registry;
  RecordingLink link;
};

}  // namespace ovalink::test
