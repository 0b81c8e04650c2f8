#include "quorsim_driver.h"

#include <gtest/gtest.h>

#include <fstream>

#include "quorsim/sim_remote_link.h"
#include "tests/win32_ui/ui_test_support.h"

namespace ovalink::e2e {

namespace {
constexpr const char* kHoldPrompt = "Hold the button till the progress ends";
constexpr const char* kSharpPrompt = "Make several sharp keystrokes till the progress ends";
constexpr const char* kTrainingCaption = "The Training Instructions";
constexpr DWORD kTrainingLimitMs = 90000;
constexpr int kCtrlClickAttempts = 3;
constexpr DWORD kInstructionsWaitMs = 4000;
// A person's rhythm of sharp keystrokes, planned a series at a time in the remote so that
// no stall of this process spaces them out: one for the engine's probe, then one per train.
constexpr const char* kTapSeries = " 0 6 300";
// The engine waits a second for the next burst train before it gives a capture up.
constexpr double kGiveUpMs = 1300;
// The two presses of a sharp double press begin at least this far apart.
constexpr int kDoublePressMs = 120;
}  // namespace

QuorSim::QuorSim(const std::string& remote) : uartFile_(BuildPath("e2e/QuorSim.uart")) {
  CreateDirectoryA(BuildPath("e2e").c_str(), nullptr);
  DeleteFileA(uartFile_.c_str());
  process_ = Process("\"" + std::string(OVALINK_QUORSIM_EXE) + "\"",
                     {std::string(kSimRemoteVariable) + "=" + remote,
                      std::string(kSimUartFileVariable) + "=" + uartFile_});
  WaitUntil([&] { return (main_ = FindProcessWindow(process_.Id(), "Ovalink", "#32770")) != nullptr; },
            20000);
}

QuorSim::~QuorSim() {
  if (process_.Running() && main_) {
    Command(kIdExit);
    process_.WaitForExit(10000);
  }
}

void QuorSim::CommandAndWait(int id) const {
  DWORD_PTR result = 0;
  SendMessageTimeoutA(main_, WM_COMMAND, id, 0, SMTO_NORMAL, 10000, &result);
}

void QuorSim::Sync() const {
  DWORD_PTR result = 0;
  SendMessageTimeoutA(main_, WM_NULL, 0, 0, SMTO_NORMAL, 10000, &result);
}

HWND QuorSim::WaitForDialog(const std::string& caption, DWORD timeoutMs) const {
  HWND found = nullptr;
  WaitUntil([&] {
    found = FindProcessWindow(process_.Id(), caption, "#32770");
    return found != nullptr && IsWindowVisible(found);
  }, timeoutMs);
  return found;
}

bool QuorSim::Dismiss(HWND dialog) const {
  PostClick(dialog, IDOK);
  return WaitUntil([&] { return !IsWindow(dialog); }, 10000);
}

void QuorSim::Show() const {
  Command(kIdOpen);
  WaitUntil([&] { return IsWindowVisible(main_) != FALSE; }, 5000);
}

HWND QuorSim::Train(int index, const std::string& key, UserHabit habit, const std::string& screenshot) {
  // Wine brings its modifier keys into line with the X server's keyboard when a window gains
  // the focus, so a focus change still pending in the program can let go of our Ctrl just
  // as the click is handled: the click then sends the button's command instead. Ctrl+Click
  // again when the instructions do not come.
  HWND instructions = nullptr;
  for (int attempt = 0; attempt < kCtrlClickAttempts && !instructions; ++attempt) {
    CtrlKeyDown ctrl;
    WaitUntil([&] {
      Sync();
      if ((GetAsyncKeyState(VK_CONTROL) & 0x8000) != 0) return true;
      keybd_event(VK_CONTROL, 0x1D, 0, 0);
      return false;
    }, 5000);
    PostClick(main_, kFirstButton + index);
    instructions = WaitForDialog(kTrainingCaption, kInstructionsWaitMs);
  }
  EXPECT_NE(instructions, nullptr) << "no training instructions after Ctrl+Click";
  if (!instructions) return nullptr;
  EXPECT_TRUE(Dismiss(instructions));
  bool holding = false;
  // Within one prompt: the level has been below 100, and has since reached 100. The engine
  // sets the level to 0 before it changes the prompt, so "done" keeps that 0 from looking
  // like a new start.
  bool below = false;
  bool done = false;
  bool sawPrompt = false;
  std::string lastPrompt;
  bool shot = screenshot.empty();
  std::int64_t tapsEnd = 0;
  HWND box = nullptr;
  trace_.clear();
  const std::int64_t begin = CounterNow();
  std::string seen;
  auto note = [&](const std::string& what) {
    char stamp[32];
    std::snprintf(stamp, sizeof stamp, "%8.3f s ", CounterToMs(CounterNow() - begin) / 1000.0);
    trace_ += stamp + what + "\n";
  };
  auto remote = [&](const std::string& request) {
    note("remote: " + request);
    return Remote(request);
  };
  const bool ended = WaitUntil([&] {
    for (const char* caption : {"Information", "Error", "Duplicated Command"}) {
      if ((box = FindProcessWindow(process_.Id(), caption, "#32770")) != nullptr) return true;
    }
    const std::string prompt = Prompt();
    const int level = Level();
    const std::string now = prompt + " | " + std::to_string(level);
    if (now != seen) note(seen = now);
    if (prompt != lastPrompt) below = done = false;
    lastPrompt = prompt;
    if (level < 100) below = true;
    if (below && level == 100) done = true;
    if (prompt == kLevelCaption) {
      if (!sawPrompt) return false;
      // The report restores the label just before its message box; once the window has
      // handled everything, a box would exist.
      Sync();
      for (const char* caption : {"Information", "Error", "Duplicated Command"}) {
        if ((box = FindProcessWindow(process_.Id(), caption, "#32770")) != nullptr) return true;
      }
      return true;
    }
    sawPrompt = true;
    if (habit == UserHabit::kNeverPresses) return false;
    const bool sharp = prompt == kSharpPrompt && habit != UserHabit::kHoldsInsteadOfTapping;
    const bool hold = prompt == kHoldPrompt || (prompt == kSharpPrompt && !sharp);
    if (hold) {
      // The bar may still show the end of an earlier run when the prompt comes: only a level
      // that rose to 100 under this prompt ends the hold.
      if (!holding && !done) {
        remote("down " + key);
        holding = true;
      } else if (holding && done) {
        remote("up");
        holding = false;
      }
      if (!shot && level >= 20 && level < 100) {
        test::SaveWindowShot(screenshot, main_);
        // Taken too late to show the prompt and the level together: again at the next hold.
        shot = Prompt() == kHoldPrompt && Level() > 0;
      }
    } else if (sharp) {
      if (holding) {
        remote("up");
        holding = false;
      }
      // A new series only once the engine has given the last one up: level 0 well after
      // its last keystroke (a finished pattern changes the prompt at once), so that no
      // keystroke is left over for what comes after the training.
      if (!done && (tapsEnd == 0 || (level == 0 && CounterToMs(CounterNow() - tapsEnd) > kGiveUpMs))) {
        tapsEnd = ReplyCounter(remote("press " + key + kTapSeries), "end");
      }
    } else if (holding) {  // "Release ..."
      remote("up");
      holding = false;
    }
    return false;
  }, kTrainingLimitMs);
  if (holding) remote("up");
  EXPECT_TRUE(ended) << "training did not end; last prompt: " << Prompt();
  return box;
}

std::string QuorSim::PressLikeAPerson(const std::string& key, bool pressRepeatForm) const {
  if (!pressRepeatForm) return Remote("press " + key + " 300");
  return Remote("press " + key + " 0 2 " + std::to_string(kDoublePressMs));
}

bool QuorSim::Exit() {
  Command(kIdExit);
  return process_.WaitForExit(15000);
}

std::string QuorSim::UartAtExit() const {
  std::ifstream in(uartFile_);
  std::string line;
  std::getline(in, line);
  while (!line.empty() && (line.back() == '\r' || line.back() == '\n')) line.pop_back();
  return line;
}

}  // namespace ovalink::e2e
