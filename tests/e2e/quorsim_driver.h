#pragma once
// QuorSim.exe as a user sees it: its main window, its dialogs and message boxes, and a
// simulated user with the remote in hand who follows the training prompts.

#include <windows.h>

#include <string>

#include "e2e_support.h"

namespace ovalink::e2e {

constexpr int kFirstButton = 2013;
constexpr int kPromptLabel = 1024;
constexpr int kLevelBar = 1025;
constexpr int kIdEnable = 5007;
constexpr int kIdSettings = 5009;
constexpr int kIdOpen = 5010;
constexpr int kIdExit = 5011;
constexpr const char* kLevelCaption = "Remote Signal Level";

// How the simulated user behaves when asked for sharp keystrokes.
enum class UserHabit {
  kFollowsPrompts,
  kNeverPresses,      // the remote stays on the table
  kHoldsInsteadOfTapping,
};

class QuorSim {
 public:
  // Starts QuorSim.exe with `remote` (builtin:nec, builtin:rc5) and waits for its window.
  explicit QuorSim(const std::string& remote);
  ~QuorSim();

  bool Started() const { return main_ != nullptr; }
  const Process& Program() const { return process_; }
  HWND Main() const { return main_; }
  HWND Button(int index) const { return GetDlgItem(main_, kFirstButton + index); }
  std::string Caption(int index) const { return WindowText(Button(index)); }
  std::string Prompt() const { return WindowText(GetDlgItem(main_, kPromptLabel)); }
  int Level() const { return ProgressPosition(GetDlgItem(main_, kLevelBar)); }
  bool Enabled(int index) const { return IsWindowEnabled(Button(index)) != FALSE; }
  // A command as the tray menu gives it; posted, since some open a modal dialog.
  void Command(int id) const { PostMessageA(main_, WM_COMMAND, id, 0); }
  // A command that opens nothing modal, handled by the time this returns.
  void CommandAndWait(int id) const;
  // Lets the window's thread handle the messages sent to it so far (a message box that
  // its current handler opens exists once this returns).
  void Sync() const;

  // A dialog or message box of the program with this caption, waited for.
  HWND WaitForDialog(const std::string& caption, DWORD timeoutMs) const;
  // Closes a dialog with its OK button and waits until it is gone.
  bool Dismiss(HWND dialog) const;
  void Show() const;

  // Ctrl+Click on button `index`, instructions acknowledged, then the prompts followed with
  // `key` of the remote in hand. Returns the outcome's message box, or null when training
  // ended without one; `screenshot` (if not empty) names a picture taken mid-training.
  HWND Train(int index, const std::string& key, UserHabit habit = UserHabit::kFollowsPrompts,
             const std::string& screenshot = "");
  // What the simulated user saw and did during the last training run, for failure reports.
  const std::string& TrainingTrace() const { return trace_; }
  // Presses `key` as the program asks: a sharp double press for press-and-repeat codes,
  // otherwise one press of 300 ms. Returns the reply of the last press.
  std::string PressLikeAPerson(const std::string& key, bool pressRepeatForm) const;

  // Tray menu "Exit"; whether the process then ended.
  bool Exit();
  // The UART as the program left it, from the file the simulator writes at exit.
  std::string UartAtExit() const;

 private:
  std::string uartFile_;
  std::string trace_;
  Process process_;
  HWND main_ = nullptr;
};

}  // namespace ovalink::e2e
