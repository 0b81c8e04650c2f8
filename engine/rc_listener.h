#pragma once
// RCListener: the UART plus the engine's settings, trained codes, window contract and the
// capture of burst trains. Runs its capture, recognition and training on the worker thread.
//
// Threads: the main thread constructs and destroys the object, selects the port and loads
// the codes; the worker captures, recognises and trains. The code list is guarded by the
// code-list lock (CodeListLock()); each operation below says whether it takes it or needs
// the caller to hold it. The code-list lock is never held together with the engine's state
// lock.

#include <array>
#include <atomic>
#include <cstdint>
#include <mutex>
#include <string>
#include <vector>

#include "engine/engine_services.h"
#include "engine/frame_shapes.h"
#include "engine/signal_code.h"
#include "port/port.h"

namespace ovalink {

class CodeRegistry;

class RCListener : public Port {
 public:
  explicit RCListener(const EngineServices& services);
  virtual ~RCListener() = default;

  // Progress or match percentage for the level bar; nothing here, posted by the engine.
  // Worker thread.
  virtual void ReportLevel(int percent);
  // Whether the owner wants the worker to end; long waits give up when it does. Any thread.
  virtual bool StopRequested() const { return false; }

  // Shows a training prompt in the window's prompt control, if there is one. Worker thread;
  // returns once the window's thread has taken the text, so it waits for that thread.
  void ShowPrompt(const std::string& text);

  // --- capture of burst trains (worker thread, no lock) ---
  // A train holds at most one time more than this. Full within the histogram's span it ends
  // there; full past it, it ends with its frame or after as many times again.
  static constexpr std::size_t kTrainSizeLimit = 1000;
  // The sleep between two idle polls. Frames of 10-15 ms (set-top boxes, lighting remotes)
  // end between two polls 30 ms apart and leave only a latched status behind, so a press of
  // one or two such frames was spent before a probe ever met it; an idle wake-up costs three
  // port reads.
  static constexpr std::uint32_t kIdlePollMs = 10;
  // The pause after a rejected train. The worker's other waits (a training pause, the pause
  // after a port fault) look for a stop request as often.
  static constexpr std::uint32_t kRestMs = 30;
  using SampleOperation = int (Port::*)();
  int RecordTrain(std::vector<double>& times, double firstWindowSeconds, SampleOperation sample,
                  double gapSeconds);
  using SeparateTrains = std::array<SlotHistogram, kSeparateTrains>;
  // With `evenTrains`, the 2nd, 4th ... trains go there instead of into `histogram`; with
  // `firstTrains`, the first kSeparateTrains also go there, each into its own histogram.
  int CaptureTrains(SlotHistogram& histogram, int trainsWanted, int step, int steps,
                    SlotHistogram* evenTrains = nullptr, SeparateTrains* firstTrains = nullptr);
  // The next train of the transmission whose train was just recorded, with no probe before
  // it: 1 when one began within `withinMs` of its end and was long enough, else 0. The press
  // keeps the silence and the probe measured before that train.
  int CaptureFollowingTrain(SlotHistogram& histogram, std::int64_t withinMs);
  static int AddToHistogram(SlotHistogram& histogram, double timeMs);
  // Past the histogram's span, a silence this long ends a train: frames too close for the
  // usual silence (Sony 20-bit, JVC's headerless repeats, some lighting remotes) end there.
  static constexpr double kFrameSilenceMs = 10.0;
  // How many of a recorded train's times a histogram counts: all, but of a train that ran on
  // past the histogram's span (frames too close to end it) only its first frame's.
  static std::size_t CountedTimes(const std::vector<double>& times);
  // Frames of one transmission less than this far apart (a frame pair's 25-45 ms, NEC's 40 ms
  // before its first repeat code): no one lets go of a key and presses it again that fast.
  static constexpr std::int64_t kSameTransmissionSilenceMs = 80;

  // --- code store ---
  // Main thread before listening, and the worker after training; takes the code-list lock.
  int loadCodes();
  // Any thread; takes the code-list lock.
  bool hasCode(int button);
  // Any thread; the caller holds the code-list lock.
  CodeList::iterator findCode(int button);
  void removeCode(CodeList::iterator position);

  // --- recognition and training (worker thread; they take the code-list lock themselves) ---
  std::uint16_t recognise();
  int trainButton(int button);
  int capturePatterns(int count, const std::string& prompt, std::vector<SlotPattern>& out,
                      std::vector<CaptureParts>* parts = nullptr);

  // Settings and state, for the owner and tests. The settings are fixed after construction;
  // LastCode and LastRecognitionTime belong to the worker (read them while it is stopped).
  int MinReads() const { return minReads_; }
  int CodeCount() const { return codeCount_; }
  int Limit() const { return limit_; }
  int CompareLength() const { return compareLength_; }
  std::uint16_t LastCode() const { return lastCode_; }
  // Counter ticks of silence before the latest capture's press began: the longer of the
  // silences before its probe and between its probe and its first recorded train, measured
  // from the last activity of any train before; kNeverTicks when there had been none.
  static constexpr std::int64_t kNeverTicks = INT64_MAX;
  std::int64_t SilenceBeforeTicks() const { return silenceBeforeTicks_; }
  std::int64_t LastRecognitionTime() const { return lastRecognitionTime_; }
  std::size_t CodesInStore();  // takes the code-list lock
  std::mutex& CodeListLock() { return codeListLock_; }
  Clock& TheClock() { return clock_; }

 protected:
  WindowLink& link_;
  Clock& clock_;
  // Written by the main thread before a start operation, read by the worker.
  std::atomic<int> promptControlId_{0};
  std::atomic<WindowHandle> window_{0};

 private:
  // Reloads the store after training wrote a code; whether the button now has that code.
  bool reloadFinds(int button, const SlotPattern& pattern1, const SlotPattern& pattern2,
                   bool pressRepeatForm);
  // isRegistered under the code-list lock.
  // The rest of a training whose holds alternate between two shapes.
  int trainAlternating(int button, std::vector<SlotPattern>& hold, CodeRegistry& registry);
  bool registeredElsewhere(const SlotPattern& pattern);
  // AnotherButtonHoldsWith under the code-list lock.
  bool heldWithElsewhere(int button, const SlotPattern& shape);
  // Sleeps in slices so that a stop request ends a long pause early.
  void PauseMs(std::uint32_t ms);

  std::mutex codeListLock_;
  CodeList codes_;  // guarded by codeListLock_
  int compareLength_ = 0;
  int minReads_ = 10;
  int codeCount_ = 5;
  int limit_ = 2;
  std::int64_t lastRecognitionTime_ = 0;
  std::uint16_t lastCode_ = 0xFFFF;
  // The last value recognised as a press or its repeat (never 0xFFFF after the first).
  std::uint16_t lastPress_ = 0xFFFF;
  // Whether no pause has passed since then: the hold under way is still that press's.
  bool inPressHold_ = false;
  // When the remote was last heard, to tell a held key's frames from new presses.
  std::int64_t lastActivityTicks_ = 0;
  bool sawActivity_ = false;
  std::int64_t silenceBeforeTicks_ = kNeverTicks;
  // Until this counter time the idle polls come close together (see capture.cpp); it
  // outlives one capture because a wait may end between two frames of a remote.
  std::int64_t watchUntilTicks_ = 0;
  std::int64_t trainStartTicks_ = 0;  // first activity of the latest train recorded
  // Silence between the probe and the first train recorded after it.
  std::int64_t afterProbeTicks_ = 0;
  bool probeRefused_ = false;         // the latest probe found too few events
  int probeEvents_ = 0;               // events of the latest probe that proved a remote
  bool followOnPending_ = false;      // the next recognition records the next train at once
  bool followOnBehindFlash_ = false;  // and the train that asked for it was a lone flash
  std::int64_t followOnWithinMs_ = 0;  // if it starts within this long
  bool pauseCarried_ = false;         // the next probe keeps the silence measured before
  std::vector<double> trainTimes_;  // reused: no allocation per train once grown
};

}  // namespace ovalink
