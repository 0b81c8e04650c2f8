#include "e2e_support.h"

#include <commctrl.h>
#include <gtest/gtest.h>

#include <cstdlib>
#include <fstream>
#include <sstream>

#include "platform/win32/pipe_line_server.h"
#include "quorsim/sim_remote_link.h"

namespace ovalink::e2e {

namespace {
constexpr DWORD kPollMs = 10;
constexpr const char* kSettingsKey = "SOFTWARE\\Quor\\1.5";
}  // namespace

bool WaitUntil(const std::function<bool()>& condition, DWORD timeoutMs) {
  const ULONGLONG deadline = GetTickCount64() + timeoutMs;
  for (;;) {
    if (condition()) return true;
    if (GetTickCount64() >= deadline) return false;
    Sleep(kPollMs);
  }
}

std::string BuildPath(const std::string& relative) {
  std::string path = std::string("Z:") + OVALINK_BINARY_DIR + "/" + relative;
  for (char& c : path) {
    if (c == '/') c = '\\';
  }
  return path;
}

Process::Process(const std::string& commandLine, const std::vector<std::string>& environment) {
  std::vector<std::pair<std::string, std::string>> saved;
  for (const std::string& entry : environment) {
    const std::string name = entry.substr(0, entry.find('='));
    char old[1024];
    const DWORD n = GetEnvironmentVariableA(name.c_str(), old, sizeof old);
    saved.emplace_back(name, n > 0 && n < sizeof old ? std::string(old, n) : std::string("\x01"));
    SetEnvironmentVariableA(name.c_str(), entry.substr(name.size() + 1).c_str());
  }
  STARTUPINFOA startup{};
  startup.cb = sizeof startup;
  PROCESS_INFORMATION info{};
  std::string line = commandLine;
  if (CreateProcessA(nullptr, line.data(), nullptr, nullptr, FALSE, 0, nullptr, nullptr, &startup,
                     &info)) {
    process_.reset(info.hProcess);
    CloseHandle(info.hThread);
    id_ = info.dwProcessId;
  }
  for (const auto& [name, value] : saved) {
    SetEnvironmentVariableA(name.c_str(), value == "\x01" ? nullptr : value.c_str());
  }
}

Process::~Process() {
  if (Running()) {
    TerminateProcess(process_.get(), 99);
    WaitForExit(5000);
  }
}

bool Process::Running() const {
  return bool(process_) && WaitForSingleObject(process_.get(), 0) == WAIT_TIMEOUT;
}

bool Process::WaitForExit(DWORD timeoutMs) const {
  return !process_ || WaitForSingleObject(process_.get(), timeoutMs) == WAIT_OBJECT_0;
}

DWORD Process::ExitCode() const {
  DWORD code = STILL_ACTIVE;
  if (process_) GetExitCodeProcess(process_.get(), &code);
  return code;
}

namespace {
struct WindowSearch {
  DWORD process;
  const std::string* title;
  const char* className;
  HWND found;
};

// A function of its own, not a lambda: the 32-bit callback is stdcall.
BOOL CALLBACK MatchProcessWindow(HWND window, LPARAM param) {
  auto& s = *reinterpret_cast<WindowSearch*>(param);
  DWORD owner = 0;
  GetWindowThreadProcessId(window, &owner);
  if (owner != s.process) return TRUE;
  if (s.className) {
    char name[64] = {};
    GetClassNameA(window, name, sizeof name);
    if (std::string(name) != s.className) return TRUE;
  }
  if (WindowText(window) != *s.title) return TRUE;
  s.found = window;
  return FALSE;
}
}  // namespace

HWND FindProcessWindow(DWORD process, const std::string& title, const char* className) {
  WindowSearch search{process, &title, className, nullptr};
  EnumWindows(&MatchProcessWindow, reinterpret_cast<LPARAM>(&search));
  return search.found;
}

std::string WindowText(HWND window) {
  char text[1024] = {};
  DWORD_PTR length = 0;
  if (!SendMessageTimeoutA(window, WM_GETTEXT, sizeof text, reinterpret_cast<LPARAM>(text),
                           SMTO_ABORTIFHUNG, 2000, &length)) {
    return {};
  }
  return std::string(text, std::min<std::size_t>(length, sizeof text - 1));
}

std::string MessageBoxText(HWND box) {
  // A message box shows its text in the static control 0xFFFF.
  return WindowText(GetDlgItem(box, 0xFFFF));
}

void PostClick(HWND dialog, int controlId) {
  PostMessageA(GetDlgItem(dialog, controlId), BM_CLICK, 0, 0);
}

int ProgressPosition(HWND bar) {
  DWORD_PTR position = 0;
  SendMessageTimeoutA(bar, PBM_GETPOS, 0, 0, SMTO_ABORTIFHUNG, 2000, &position);
  return int(position);
}

CtrlKeyDown::CtrlKeyDown() { keybd_event(VK_CONTROL, 0x1D, 0, 0); }
CtrlKeyDown::~CtrlKeyDown() { keybd_event(VK_CONTROL, 0x1D, KEYEVENTF_KEYUP, 0); }

std::string Remote(const std::string& request) {
  std::string reply;
  EXPECT_TRUE(CallPipeLine(kSimRemotePipe, request, &reply, 5000)) << "no QuorSim answers";
  EXPECT_EQ(reply.rfind("ok", 0), 0u) << request << " -> " << reply;
  return reply;
}

std::int64_t ReplyCounter(const std::string& reply, const char* field) {
  const std::string key = std::string(field) + "=";
  const std::size_t at = reply.find(key);
  if (at == std::string::npos) return 0;
  return std::strtoll(reply.c_str() + at + key.size(), nullptr, 10);
}

std::int64_t CounterNow() {
  LARGE_INTEGER now;
  QueryPerformanceCounter(&now);
  return now.QuadPart;
}

double CounterToMs(std::int64_t ticks) {
  LARGE_INTEGER frequency;
  QueryPerformanceFrequency(&frequency);
  return double(ticks) * 1000.0 / double(frequency.QuadPart);
}

StandIn::StandIn(const std::string& className, const std::string& logName)
    : log_(BuildPath("e2e/" + logName)) {
  CreateDirectoryA(BuildPath("e2e").c_str(), nullptr);
  DeleteFileA(log_.c_str());
  process_ = Process("\"" + std::string(OVALINK_STAND_IN_EXE) + "\" \"" + className + "\" \"" + log_ + "\"", {});
  WaitUntil([&] { return (window_ = FindProcessWindow(process_.Id(), "Stand-in " + className)) != nullptr; },
            10000);
}

StandIn::~StandIn() {
  if (window_) PostMessageA(window_, WM_CLOSE, 0, 0);
  process_.WaitForExit(5000);
}

bool StandIn::BringToFront() const {
  // The program's own focus changes may still be under way: insist until the window is in
  // front and has the keyboard focus of its thread.
  return WaitUntil([&] {
    GUITHREADINFO info{};
    info.cbSize = sizeof info;
    if (GetForegroundWindow() == window_ &&
        GetGUIThreadInfo(GetWindowThreadProcessId(window_, nullptr), &info) &&
        info.hwndFocus == window_) {
      return true;
    }
    SetForegroundWindow(window_);
    return false;
  }, 10000);
}

std::vector<Received> StandIn::ReceivedSoFar() const {
  std::vector<Received> received;
  std::ifstream in(log_);
  std::string line;
  while (std::getline(in, line)) {
    std::istringstream fields(line);
    Received r{};
    if (fields >> r.counter >> r.message >> r.value) received.push_back(r);
  }
  return received;
}

std::size_t StandIn::Count(const std::string& message, unsigned value) const {
  std::size_t n = 0;
  for (const Received& r : ReceivedSoFar()) n += r.message == message && r.value == value;
  return n;
}

void ClearProgramSettings() { RegDeleteTreeA(HKEY_CURRENT_USER, "SOFTWARE\\Quor"); }

DWORD ReadSetting(const char* name, DWORD fallback) {
  DWORD value = fallback;
  DWORD size = sizeof value;
  if (RegGetValueA(HKEY_CURRENT_USER, kSettingsKey, name, RRF_RT_REG_DWORD, nullptr, &value, &size) !=
      ERROR_SUCCESS) {
    return fallback;
  }
  return value;
}

}  // namespace ovalink::e2e
