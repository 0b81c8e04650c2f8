#include "engine/rc_engine.h"

#include <algorithm>
#include <chrono>

namespace ovalink {

namespace {
constexpr auto kStopWait = std::chrono::milliseconds(1000);
// How often Stop's wait lets the window's thread serve a worker waiting for it.
constexpr auto kServeSlice = std::chrono::milliseconds(10);
}  // namespace

RCEngine::RCEngine(const EngineServices& services) : RCListener(services) {}

RCEngine::~RCEngine() {
  if (worker_.joinable()) {
    mode_.store(Stopped);
    stopRequested_.store(true);
    worker_.join();
  }
}

bool RCEngine::HasWorker() {
  std::lock_guard<std::mutex> lock(stateLock_);
  return worker_.joinable();
}

void RCEngine::StartWorkerLocked() {
  {
    std::lock_guard<std::mutex> exitLock(exitMutex_);
    workerExited_ = false;
  }
  worker_ = std::thread(&RCEngine::WorkerEntry, this);
}

void RCEngine::EnterMode(EngineMode mode) {
  std::lock_guard<std::mutex> lock(stateLock_);
  stopRequested_.store(false);
  // The mode is set before the worker starts: a worker that looked first would find
  // Stopped and end at once.
  const bool startWorker = !worker_.joinable() && mode_.load() == Stopped;
  mode_.store(mode);
  if (startWorker) StartWorkerLocked();
}

int RCEngine::StartListening(WindowHandle window, std::uint32_t codeMessage,
                             std::uint32_t levelMessage) {
  codeMessage_.store(codeMessage);
  window_.store(window);
  levelMessage_.store(levelMessage);
  EnterMode(Listening);
  return 0;
}

int RCEngine::StartTraining(int button, WindowHandle window, std::uint32_t levelMessage,
                            std::uint32_t trainedMessage, int promptControlId) {
  levelMessage_.store(levelMessage);
  window_.store(window);
  promptControlId_.store(promptControlId);
  trainedMessage_.store(trainedMessage);
  button_.store(button);
  EnterMode(Training);
  return 0;
}

void RCEngine::CancelTraining() {
  std::lock_guard<std::mutex> lock(stateLock_);
  if (mode_.load() == Training) mode_.store(Listening);
}

void RCEngine::Stop() {
  {
    std::lock_guard<std::mutex> lock(stateLock_);
    if (!worker_.joinable()) return;
    mode_.store(Stopped);
    stopRequested_.store(true);
  }
  // The wait happens without the state lock: a worker finishing a training run needs it
  // for its step back to listening.
  JoinWorker();
}

void RCEngine::JoinWorker() {
  bool exited = false;
  const auto deadline = std::chrono::steady_clock::now() + kStopWait;
  for (;;) {
    {
      std::unique_lock<std::mutex> exitLock(exitMutex_);
      const auto until = std::min(deadline, std::chrono::steady_clock::now() + kServeSlice);
      exited = exitSignal_.wait_until(exitLock, until, [this] { return workerExited_; });
    }
    if (exited || std::chrono::steady_clock::now() >= deadline) break;
    // A worker in ShowPrompt waits for this thread: without this, Stop and the prompt would
    // wait for each other until the time-out, and the worker would be terminated.
    link_.ServeWaitingWorker();
  }
  std::thread worker;
  {
    std::lock_guard<std::mutex> lock(stateLock_);
    worker = std::move(worker_);
  }
  if (!worker.joinable()) return;
  // Joined outside the state lock, which a worker still in a training run may need.
  if (exited || forceTerminate_ == nullptr || !forceTerminate_(worker)) worker.join();
}

void RCEngine::ReportLevel(int percent) {
  link_.Post(window_.load(), levelMessage_.load(), static_cast<std::uintptr_t>(percent), 0);
}

void RCEngine::WorkerEntry() {
  trainingRunUnreported_ = false;  // an earlier worker's run is not this window's concern
  for (;;) {
    try {
      Run();
      break;
    } catch (...) {
      // Lost port access (or any other fault): reconnect and resume.
      faults_.fetch_add(1);
      try {
        Reopen();
      } catch (...) {
      }
      if (StopRequested()) break;
      // One idle poll period before listening again: a fault that repeats at once must not
      // spin the worker.
      clock_.SleepMs(kRestMs);
    }
  }
  std::lock_guard<std::mutex> exitLock(exitMutex_);
  workerExited_ = true;
  exitSignal_.notify_all();
}

void RCEngine::Run() {
  for (;;) {
    WorkerTasks* tasks = tasks_.load();
    if (tasks == nullptr) tasks = &ownTasks_;
    switch (mode_.load()) {
      case Stopped:
        return;
      case Training: {
        // Set until the run reports: a fault that ends it leaves it set for the next pass.
        trainingRunUnreported_ = true;
        const int result = tasks->TrainButton(button_.load());
        trainingRunUnreported_ = false;
        link_.Post(window_.load(), trainedMessage_.load(), static_cast<std::uintptr_t>(result), 0);
        std::lock_guard<std::mutex> lock(stateLock_);
        // Stop may have come meanwhile; it must stay stopped.
        if (mode_.load() != Stopped) mode_.store(Listening);
        break;
      }
      case Listening: {
        // A faulted run is tried again while training goes on; once cancelled, it reports
        // what it is: not trained.
        if (trainingRunUnreported_) {
          trainingRunUnreported_ = false;
          link_.Post(window_.load(), trainedMessage_.load(),
                     static_cast<std::uintptr_t>(NotTrained), 0);
        }
        const std::uint16_t value = tasks->Recognise();
        if (value != kNoPress) {
          link_.Post(window_.load(), codeMessage_.load(), value, 0);
        }
        break;
      }
      default:
        return;
    }
  }
}

}  // namespace ovalink
