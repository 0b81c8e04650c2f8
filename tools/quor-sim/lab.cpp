#include "tools/quor-sim/lab.h"

#include <chrono>
#include <cstdio>
#include <ostream>

#include "commands/button_captions.h"
#include "commands/press_delivery.h"
#include "engine/program_settings.h"
#include "engine/training_messages.h"
#include "engine/training_prompts.h"
#include "tools/quor-sim/cli.h"

namespace ovalink::quorsim {

namespace {
constexpr WindowHandle kLabWindow = 0x100;
// How long a person takes to act on a prompt, and between two sharp keystrokes.
constexpr double kReactionMs = 400;
constexpr double kTapIntervalMinMs = 250;
constexpr double kTapIntervalMaxMs = 400;
constexpr auto kTrainingTimeLimit = std::chrono::minutes(2);
// How late a sleeping thread may wake after its timer tick.
constexpr std::int64_t kSchedulerLatencyNs = 2'000'000;

std::string LevelBar(std::uintptr_t percent) {
  const int filled = int(percent > 100 ? 100 : percent) / 5;
  return "[" + std::string(std::size_t(filled), '#') + std::string(std::size_t(20 - filled), '.') +
         "] " + std::to_string(percent) + "%";
}
}  // namespace

// The engine's window: what the engine posts or shows goes to the lab.
class Lab::Window : public WindowLink {
 public:
  explicit Window(Lab& lab) : lab_(lab) {}
  bool Post(WindowHandle, std::uint32_t message, std::uintptr_t wParam, std::intptr_t) override {
    lab_.OnPost(message, wParam);
    return true;
  }
  void SetItemText(WindowHandle, int, const std::string& text) override { lab_.OnPrompt(text); }

 private:
  Lab& lab_;
};

// Between the receiver and the UART: notes when the last character completed, so that a
// post's latency can be measured from the end of the train that produced it.
class Lab::LatencyProbe : public sim::ReceiverInput {
 public:
  explicit LatencyProbe(sim::ReceiverModel& model) : model_(model) {}
  std::uint64_t CompletedBy(std::int64_t nowNs) override { return model_.CompletedBy(nowNs); }
  std::int64_t LastCompletionNs() const { return model_.LastCompletionNs(); }

 private:
  sim::ReceiverModel& model_;
};

Lab::Lab(LabConfig config)
    : config_(std::move(config)),
      receiver_(config_.receiver),
      probe_(std::make_unique<LatencyProbe>(receiver_)),
      user_(config_.remote, receiver_),
      player_(playerOutput_),
      rng_(config_.seed ^ 0x51AB) {
  // A media player runs beside us, and such players ask Windows for 1 ms timer ticks.
  clock_.SetSleepModel(sim::VirtualClock::kMediaTimerTickNs, kSchedulerLatencyNs,
                       config_.seed * 0x9E37 + 11);
  InstallRegistry(config_.registry);
  const sim::ReceiverParams& receiver = config_.receiver;
  clock_.SetPreemptions(receiver.preemptionsPerSecond, receiver.preemptionMinUs,
                         receiver.preemptionMaxUs, receiver.seed);
  pc_.uart.SetReceiverInput(probe_.get());
  player_.SetMediaPlayerRunning(true);
  commands_ = std::make_unique<CommandMap>(player_, *config_.registry);
  commands_->LoadCommands();
  window_ = std::make_unique<Window>(*this);
  EngineServices services{pc_.bus, clock_, *window_, [] {
                            throw std::runtime_error("the simulated port driver is missing");
                          }};
  engine_ = std::make_unique<RCEngine>(services);
  // The program's own start-up: the stored port, or one detected and stored; and Enable.
  const std::uint32_t base =
      SelectStoredPort(*engine_, [](const std::function<void()>& operation) { operation(); });
  if (base != sim::SimulatedPc::kBase) {
    engine_.reset();
    InstallRegistry(nullptr);
    throw std::runtime_error(base == 0 ? std::string("the simulated UART did not answer")
                                       : "the registry's Port selects another UART than the "
                                         "simulated one at 3F8; set Port to 0 or 0x3F8");
  }
  enabled_ = ReadEnableSetting() != 0;
  engine_->loadCodes();
}

Lab::~Lab() {
  {
    std::lock_guard<std::mutex> lock(mutex_);
    closing_.store(true);
  }
  // A worker waiting for its press to be delivered gives up.
  deliveredSignal_.notify_all();
  clock_.ClearHorizon();
  engine_->Stop();
  engine_.reset();
  InstallRegistry(nullptr);
}

std::string Lab::Stamp() const {
  char text[32];
  std::snprintf(text, sizeof text, "[%9.3f s] ", double(clock_.NowNs()) / 1e9);
  return text;
}

void Lab::Log(const std::string& line) {
  if (config_.log && !closing_.load()) *config_.log << Stamp() << line << '\n' << std::flush;
}

int Lab::Train(std::size_t keyIndex, int button) {
  // A person reads the last training's result before training the next key: by then the
  // remote has sent all of its last keystroke, which must not be heard as this key's.
  const std::int64_t free = user_.FreeAtNs();
  if (!user_.Holding() && free > clock_.NowNs()) {
    RunUntil(free + std::int64_t(kReactionMs * double(kMs)));
  }
  {
    std::lock_guard<std::mutex> lock(mutex_);
    trainedResult_.reset();
    trainingKey_ = keyIndex;
    training_ = true;
    tapping_ = false;
  }
  Log("train " + config_.remote.keys[keyIndex].name + " -> button " + std::to_string(button) +
      " (" + ButtonCaption(button) + ")");
  // Training starts by discarding the button's code: not for a run nobody can follow.
  if (config_.log && !*config_.log) throw CommandError("cannot write to standard output");
  // Time stands still until the engine knows it is to train, so that no real-time delay
  // decides how long it listened before.
  engine_->StartTraining(button, kLabWindow, WM_RC_LEVEL, WM_RC_TRAINED, kPromptControlId);
  clock_.ClearHorizon();
  std::unique_lock<std::mutex> lock(mutex_);
  if (!trainedSignal_.wait_for(lock, kTrainingTimeLimit, [&] { return trainedResult_.has_value(); })) {
    throw std::runtime_error("training did not finish");
  }
  training_ = false;
  const int result = *trainedResult_;
  lock.unlock();
  // The worker is listening again; hold time until the script moves it on.
  RunUntil(clock_.NowNs());
  return result;
}

void Lab::Listen() {
  clock_.SetHorizon(clock_.NowNs());
  engine_->StartListening(kLabWindow, WM_RC_CODE, WM_RC_LEVEL);
  RunUntil(clock_.NowNs());
}

void Lab::RunUntil(std::int64_t ns) {
  // While time runs, this thread is the window's: it delivers the presses the worker posts.
  clock_.RunUntil(ns, [this] {
    DeliverPendingPress();
    return !engine_->HasWorker();
  });
}

void Lab::DeliverPendingPress() {
  std::optional<PendingPress> press;
  {
    std::lock_guard<std::mutex> lock(mutex_);
    if (!pendingPress_) return;
    press = pendingPress_;
  }
  playerOutput_.str("");
  const PressOutcome outcome = DeliverPress(*commands_, press->value, enabled_);
  static const char* const kResults[] = {"Sent", "TargetNotFound", "NoCommand",
                                         "RepeatSuppressed"};
  std::string line = press->line;
  line += outcome.attempted ? std::string("   SendCommand: ") + kResults[int(outcome.result)]
                            : std::string("   not sent: Enable is off");
  std::string received = playerOutput_.str();
  while (!received.empty() && received.back() == '\n') received.pop_back();
  for (std::size_t at = 0; (at = received.find('\n', at)) != std::string::npos;)
    received.replace(at, 1, "; ");
  if (!received.empty()) line += "   " + received;
  Log(line);
  {
    std::lock_guard<std::mutex> lock(mutex_);
    pendingPress_.reset();
  }
  deliveredSignal_.notify_all();
}

std::int64_t Lab::Tap(std::size_t keyIndex, std::int64_t atNs) { return user_.Tap(keyIndex, atNs); }

std::int64_t Lab::Hold(std::size_t keyIndex, std::int64_t atNs, double holdMs) {
  return user_.Hold(keyIndex, atNs, holdMs);
}

std::vector<PostedCode> Lab::Codes() const {
  std::lock_guard<std::mutex> lock(mutex_);
  return codes_;
}

void Lab::ScheduleTap() {
  const std::int64_t now = clock_.NowNs();
  const std::int64_t free = user_.FreeAtNs();
  const std::int64_t after = free > now ? free : now;
  const double gapMs = rng_.Between(kTapIntervalMinMs, kTapIntervalMaxMs);
  user_.Tap(trainingKey_, after + std::int64_t(gapMs * double(kMs)));
}

// Runs on the worker thread, inside training.
void Lab::OnPrompt(const std::string& text) {
  Log("prompt: " + text);
  if (!training_) return;
  const std::int64_t now = clock_.NowNs();
  const auto reaction = std::int64_t(kReactionMs * double(kMs));
  if (text == kHoldPrompt) {
    tapping_ = false;
    if (!user_.Holding()) {
      const std::int64_t free = user_.FreeAtNs();
      user_.Press(trainingKey_, (free > now ? free : now) + reaction);
    }
  } else if (text == kSharpPrompt) {
    if (user_.Holding()) user_.Release(now);
    tapping_ = true;
    ScheduleTap();
    ScheduleTap();
  } else {
    // "Release ..." prompts.
    tapping_ = false;
    if (user_.Holding()) user_.Release(now);
  }
}

// Runs on the worker thread.
void Lab::OnPost(std::uint32_t message, std::uintptr_t wParam) {
  if (message == WM_RC_LEVEL) {
    if (training_) {
      if (wParam != 0) progress_ += " " + std::to_string(wParam) + "%";
      if ((wParam == 0 || wParam == 100) && !progress_.empty()) {
        if (config_.showLevels) Log("progress" + progress_);
        progress_.clear();
      }
      if (wParam == 100) {
        if (user_.Holding()) user_.Release(clock_.NowNs());
        // Taps planned ahead are not made once the progress has ended.
        if (tapping_) user_.CancelPlanned(clock_.NowNs());
        tapping_ = false;
      } else if (tapping_ && wParam > 0) {
        ScheduleTap();
      }
    } else if (config_.showLevels) {
      Log("level " + LevelBar(wParam));
    }
  } else if (message == WM_RC_TRAINED) {
    const int result = int(wParam);
    const TrainingMessage box = TrainingResultMessage(result);
    std::string line = std::string("trained: ") + std::to_string(result) + " " + box.name;
    if (box.caption) line += std::string(" -- \"") + box.caption + "\": " + box.text;
    Log(line);
    if (user_.Holding()) user_.Release(clock_.NowNs());
    // The worker listens next; time waits there for the script.
    clock_.SetHorizon(clock_.NowNs());
    std::lock_guard<std::mutex> lock(mutex_);
    trainedResult_ = result;
    trainedSignal_.notify_all();
  } else if (message == WM_RC_CODE) {
    const auto value = std::uint16_t(wParam);
    const std::int64_t now = clock_.NowNs();
    {
      std::lock_guard<std::mutex> lock(mutex_);
      codes_.push_back({now, value, now - probe_->LastCompletionNs()});
    }
    char hex[16];
    std::snprintf(hex, sizeof hex, "0x%04X", unsigned(value));
    std::string line = std::string("WM_RC_CODE ") + hex + " -> " + ButtonCaption(value & kPressIndexMask);
    if (!config_.deliver) {
      Log(line);
      return;
    }
    // Handed to the script's thread, which owns the target system as the main window's
    // thread does, and waited for as the window's own message loop would take it: time
    // stands still meanwhile.
    std::unique_lock<std::mutex> lock(mutex_);
    pendingPress_ = PendingPress{value, std::move(line)};
    deliveredSignal_.wait(lock, [this] { return !pendingPress_ || closing_.load(); });
    pendingPress_.reset();
  }
}

}  // namespace ovalink::quorsim
