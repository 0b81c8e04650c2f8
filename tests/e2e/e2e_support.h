#pragma once
// Driving QuorSim.exe from another process: starting and ending programs, finding their
// windows and message boxes, reading controls, pressing the simulated remote, and reading
// what a stand-in media application received. Every wait is for a condition, with a deadline.

#include <windows.h>

#include <cstdint>
#include <functional>
#include <string>
#include <vector>

#include "platform/win32/unique_handle.h"

namespace ovalink::e2e {

// Polls `condition` until it holds or `timeoutMs` has passed; whether it held.
bool WaitUntil(const std::function<bool()>& condition, DWORD timeoutMs);

// A Windows path for a file in the build tree (drive Z: is the Unix root).
std::string BuildPath(const std::string& relative);

// A started program, ended by force in the destructor if it is still running.
class Process {
 public:
  Process() = default;
  // `environment`: NAME=VALUE pairs added to this process's own for the child.
  Process(const std::string& commandLine, const std::vector<std::string>& environment);
  ~Process();
  Process(Process&&) = default;
  Process& operator=(Process&&) = default;

  DWORD Id() const { return id_; }
  bool Running() const;
  // Waits for the end; false if it is still running after `timeoutMs`.
  bool WaitForExit(DWORD timeoutMs) const;
  DWORD ExitCode() const;

 private:
  KernelHandle process_;
  DWORD id_ = 0;
};

// Top-level window of `process` with this title (and class, if given); null if none.
HWND FindProcessWindow(DWORD process, const std::string& title, const char* className = nullptr);
std::string WindowText(HWND window);
// The text of a message box (its static control).
std::string MessageBoxText(HWND box);
// Posts BM_CLICK: the button's own click, which may open a modal dialog.
void PostClick(HWND dialog, int controlId);
int ProgressPosition(HWND bar);

// Holds Ctrl down (as the system sees it) for as long as the object lives.
class CtrlKeyDown {
 public:
  CtrlKeyDown();
  ~CtrlKeyDown();
  CtrlKeyDown(const CtrlKeyDown&) = delete;
  CtrlKeyDown& operator=(const CtrlKeyDown&) = delete;
};

// One request to QuorSim's simulated remote; fails the test unless the reply is "ok".
std::string Remote(const std::string& request);
// The real performance-counter reading that a press reply names ("start=" or "end=").
std::int64_t ReplyCounter(const std::string& reply, const char* field);
std::int64_t CounterNow();
double CounterToMs(std::int64_t ticks);

struct Received {
  std::int64_t counter;
  std::string message;  // WM_APPCOMMAND, WM_CHAR, WM_KEYDOWN, WM_KEYUP
  unsigned value;
};

// A stand-in media application with a window of class `className`.
class StandIn {
 public:
  StandIn(const std::string& className, const std::string& logName);
  ~StandIn();
  std::vector<Received> ReceivedSoFar() const;
  // Messages of one kind (and value) so far.
  std::size_t Count(const std::string& message, unsigned value) const;
  HWND Window() const { return window_; }
  // Makes it the foreground window, as a user watching it would; whether it became so.
  bool BringToFront() const;

 private:
  std::string log_;
  Process process_;
  HWND window_ = nullptr;
};

// Clears the program's registry key (HKCU\SOFTWARE\Quor).
void ClearProgramSettings();
DWORD ReadSetting(const char* name, DWORD fallback);

}  // namespace ovalink::e2e
