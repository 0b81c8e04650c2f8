#pragma once
// The lab: the real engine (worker thread, capture, store, recognition, training) on a
// simulated PC in virtual time, with a simulated user who follows the engine's prompts and
// a stand-in media player that receives the commands.

#include <atomic>
#include <condition_variable>
#include <cstdint>
#include <iosfwd>
#include <memory>
#include <mutex>
#include <optional>
#include <sstream>
#include <string>
#include <vector>

#include "commands/command_map.h"
#include "engine/rc_engine.h"
#include "platform/registry_store.h"
#include "sim/ir/lircd_conf.h"
#include "sim/ir/receiver_model.h"
#include "sim/ir/simulated_user.h"
#include "sim/simulated_pc.h"
#include "sim/stand_in_player.h"

namespace ovalink::quorsim {

struct LabConfig {
  sim::Remote remote;
  sim::ReceiverParams receiver;
  std::uint64_t seed = 1;
  RegistryStore* registry = nullptr;  // required; becomes the process-wide registry
  std::ostream* log = nullptr;        // the story as it happens; nullptr: silent
  bool showLevels = true;             // log every level report
  bool deliver = true;                // pass recognised presses through the command map
};

struct PostedCode {
  std::int64_t atNs;
  std::uint16_t value;
  std::int64_t latencyNs;  // from the train's last character to the post
};

class Lab {
 public:
  static constexpr std::int64_t kMs = 1'000'000;

  explicit Lab(LabConfig config);
  ~Lab();

  Lab(const Lab&) = delete;
  Lab& operator=(const Lab&) = delete;

  // Trains `button` from the remote's key `keyIndex`, the user following every prompt;
  // returns the training result.
  int Train(std::size_t keyIndex, int button);

  // The engine listens; time stands still until RunUntil moves it on.
  void Listen();
  std::int64_t NowNs() const { return clock_.NowNs(); }
  // Runs the simulation to `ns`: the worker parks at its first step past it, so NowNs() is
  // then at most `ns`, and light may be scheduled from `ns` on.
  void RunUntil(std::int64_t ns);
  // The user's hand, while listening (between RunUntil calls). Return when the light begins.
  std::int64_t Tap(std::size_t keyIndex, std::int64_t atNs);
  std::int64_t Hold(std::size_t keyIndex, std::int64_t atNs, double holdMs);
  std::int64_t UserFreeAtNs() const { return user_.FreeAtNs(); }
  // Where the light of the user's last keystroke ends.
  std::int64_t UserLastLightNs() const { return user_.LastMarkEndNs(); }
  std::size_t LastPressFrames() const { return user_.LastPressFrames(); }

  void Log(const std::string& line);
  std::vector<PostedCode> Codes() const;
  bool HasCode(int button) { return engine_->hasCode(button); }
  // Commands delivered off the script's thread, which owns the media applications' windows.
  int TargetCallsOffThread() const { return player_.CallsFromOtherThreads(); }
  sim::VirtualClock& Clock() { return clock_; }

 private:
  class Window;
  class LatencyProbe;

  void OnPrompt(const std::string& text);
  void OnPost(std::uint32_t message, std::uintptr_t wParam);
  void ScheduleTap();
  // On the script's thread: the press the worker waits on, sent and logged.
  void DeliverPendingPress();
  std::string Stamp() const;

  LabConfig config_;
  sim::SimulatedPc pc_;
  sim::VirtualClock& clock_ = pc_.clock;
  sim::ReceiverModel receiver_;
  std::unique_ptr<LatencyProbe> probe_;
  sim::SimulatedUser user_;
  std::ostringstream playerOutput_;
  sim::StandInPlayer player_;
  std::unique_ptr<CommandMap> commands_;
  std::unique_ptr<Window> window_;
  std::unique_ptr<RCEngine> engine_;
  sim::SplitMix64 rng_;

  struct PendingPress {
    std::uint16_t value;
    std::string line;  // the log line so far
  };

  mutable std::mutex mutex_;
  std::condition_variable trainedSignal_;
  std::condition_variable deliveredSignal_;
  std::optional<PendingPress> pendingPress_;
  std::optional<int> trainedResult_;
  std::vector<PostedCode> codes_;
  // The user's part in a training run; touched only on the worker thread while it runs.
  std::size_t trainingKey_ = 0;
  std::atomic<bool> training_{false};
  std::atomic<bool> closing_{false};  // what the worker does while being stopped goes unsaid
  bool tapping_ = false;
  bool enabled_ = true;  // "Enable", read at start-up as the main window reads it
  std::string progress_;  // training levels, logged one line per pattern
};

}  // namespace ovalink::quorsim
