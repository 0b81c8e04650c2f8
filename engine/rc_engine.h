#pragma once
// RCEngine: the recognition engine with its one worker thread, which either listens for
// presses or trains one button, and talks to its window only by posting messages.
//
// Threads: the start, cancel and stop operations are called by the owner's thread (the main
// window's) only, never by the worker; they take the state lock around the mode and the
// worker handle. The window and message identifiers are stored before that lock is taken
// and read by the worker without it. The worker takes the state lock only for its step from
// Training back to Listening.

#include <atomic>
#include <condition_variable>
#include <cstdint>
#include <mutex>
#include <thread>

#include "engine/engine_types.h"
#include "engine/rc_listener.h"

namespace ovalink {

// What the worker does in each mode. The engine's own recognise/trainButton by default;
// tests put doubles in their place.
class WorkerTasks {
 public:
  virtual ~WorkerTasks() = default;
  virtual std::uint16_t Recognise() = 0;
  virtual int TrainButton(int button) = 0;
};

// Last resort for a worker that ignores a stop request: forcible termination where the
// platform offers it. On success the thread object must be left unjoinable; false when it
// could not (the engine then waits for the worker).
using ForceTerminateFn = bool (*)(std::thread& worker);

class RCEngine : public RCListener {
 public:
  explicit RCEngine(const EngineServices& services);
  // The owner calls Stop first; a worker still running here is stopped and joined.
  ~RCEngine() override;

  RCEngine(const RCEngine&) = delete;
  RCEngine& operator=(const RCEngine&) = delete;

  // Owner's thread; take the state lock.
  int StartListening(WindowHandle window, std::uint32_t codeMessage, std::uint32_t levelMessage);
  int StartTraining(int button, WindowHandle window, std::uint32_t levelMessage,
                    std::uint32_t trainedMessage, int promptControlId);
  void CancelTraining();
  // Owner's thread. Asks the worker to end and waits up to one second for it, without the
  // state lock; a worker that ignores it is handed to the forcible-stop hook. A worker in
  // ShowPrompt waits for the owner's thread, which therefore serves it while it waits
  // (WindowLink::ServeWaitingWorker).
  void Stop();
  // Any thread, without a lock.
  bool IsTraining() const { return mode_.load() == Training; }

  void ReportLevel(int percent) override;
  bool StopRequested() const override { return stopRequested_.load(); }

  EngineMode Mode() const { return static_cast<EngineMode>(mode_.load()); }
  bool HasWorker();
  // Set by the owner before the first start operation.
  void SetWorkerTasks(WorkerTasks* tasks) { tasks_.store(tasks); }
  void SetForceTerminate(ForceTerminateFn fn) { forceTerminate_ = fn; }
  int WorkerFaults() const { return faults_.load(); }

 private:
  class OwnTasks : public WorkerTasks {
   public:
    explicit OwnTasks(RCListener& listener) : listener_(listener) {}
    std::uint16_t Recognise() override { return listener_.recognise(); }
    int TrainButton(int button) override { return listener_.trainButton(button); }

   private:
    RCListener& listener_;
  };

  void StartWorkerLocked();
  // A start operation's part under the state lock: the new mode, and a worker if none runs.
  void EnterMode(EngineMode mode);
  void WorkerEntry();
  void Run();
  void JoinWorker();

  std::atomic<std::int32_t> mode_{Stopped};
  // Set by Stop, cleared by a start: ends the worker's long waits early.
  std::atomic<bool> stopRequested_{false};
  std::thread worker_;
  std::mutex stateLock_;
  std::atomic<std::uint32_t> levelMessage_{0};
  std::atomic<std::uint32_t> trainedMessage_{0};
  std::atomic<std::uint32_t> codeMessage_{0};
  std::atomic<int> button_{0};

  OwnTasks ownTasks_{*this};
  std::atomic<WorkerTasks*> tasks_{nullptr};
  ForceTerminateFn forceTerminate_ = nullptr;
  std::atomic<int> faults_{0};
  // Worker only: the training run it started has posted no result yet (a fault ended it).
  // The window waits for one before it lets the user train again.
  bool trainingRunUnreported_ = false;

  // Signalled by the worker as it leaves, so Stop can wait with a time-out.
  std::mutex exitMutex_;
  std::condition_variable exitSignal_;
  bool workerExited_ = false;
};

}  // namespace ovalink
