// SendCommand through the real window system: windows of the two target classes, each on
// its own thread with its own message loop, as the media applications would have them.

#include <windows.h>

#include <gtest/gtest.h>

#include <chrono>
#include <condition_variable>
#include <functional>
#include <mutex>
#include <thread>
#include <vector>

#include "app/reg_key.h"
#include "app/registry_layout.h"
#include "commands/command_delivery.h"
#include "commands/command_map.h"
#include "platform/memory/memory_registry_store.h"
#include "platform/win32/win32_target_system.h"

namespace ovalink {
namespace {

constexpr UINT kMarker = WM_APP + 1;        // posted by the test to flush the posted queue
constexpr UINT kAskHasFocus = WM_APP + 2;   // sent: does this window hold the focus?

struct Received {
  UINT message;
  WPARAM wParam;
  LPARAM lParam;
};

// A top-level window of `className`, registered by this process for the window's lifetime,
// living on its own thread. It records the messages a media application would react to.
class TargetWindow {
 public:
  explicit TargetWindow(const char* className) : className_(className) {
    thread_ = std::thread([this] { Run(); });
    std::unique_lock<std::mutex> lock(mutex_);
    changed_.wait(lock, [this] { return ready_; });
  }

  ~TargetWindow() {
    if (hwnd_) PostMessageA(hwnd_, WM_CLOSE, 0, 0);
    thread_.join();
  }

  TargetWindow(const TargetWindow&) = delete;
  TargetWindow& operator=(const TargetWindow&) = delete;

  HWND Hwnd() const { return hwnd_; }
  WindowHandle Handle() const { return reinterpret_cast<WindowHandle>(hwnd_); }
  DWORD ThreadId() const { return threadId_; }

  // The messages received until `done` holds for them, or until a generous deadline.
  std::vector<Received> WaitUntil(const std::function<bool(const std::vector<Received>&)>& done) {
    std::unique_lock<std::mutex> lock(mutex_);
    changed_.wait_for(lock, std::chrono::seconds(10), [&] { return done(received_); });
    return received_;
  }

  // Everything posted to the window before this call, once it has all arrived.
  std::vector<Received> DrainPosted() {
    PostMessageA(hwnd_, kMarker, 0, 0);
    auto all = WaitUntil([](const std::vector<Received>& got) {
      return !got.empty() && got.back().message == kMarker;
    });
    all.pop_back();
    std::lock_guard<std::mutex> lock(mutex_);
    received_.clear();
    return all;
  }

 private:
  static bool Recorded(UINT message) {
    switch (message) {
      case WM_NULL:
      case WM_SETFOCUS:
      case WM_KEYDOWN:
      case WM_KEYUP:
      case WM_CHAR:
      case WM_APPCOMMAND:
      case kMarker:
        return true;
      default:
        return false;
    }
  }

  static LRESULT CALLBACK Proc(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam) {
    if (message == WM_NCCREATE) {
      const auto* create = reinterpret_cast<const CREATESTRUCTA*>(lParam);
      SetWindowLongPtrA(hwnd, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(create->lpCreateParams));
    }
    auto* self = reinterpret_cast<TargetWindow*>(GetWindowLongPtrA(hwnd, GWLP_USERDATA));
    if (self && Recorded(message)) {
      {
        std::lock_guard<std::mutex> lock(self->mutex_);
        self->received_.push_back({message, wParam, lParam});
      }
      self->changed_.notify_all();
    }
    switch (message) {
      case WM_APPCOMMAND:
        return TRUE;
      case kAskHasFocus:
        return GetFocus() == hwnd;
      case WM_DESTROY:
        PostQuitMessage(0);
        return 0;
      default:
        return DefWindowProcA(hwnd, message, wParam, lParam);
    }
  }

  void Run() {
    WNDCLASSA windowClass{};
    windowClass.lpfnWndProc = &TargetWindow::Proc;
    windowClass.hInstance = GetModuleHandleA(nullptr);
    windowClass.lpszClassName = className_;
    const bool registered = RegisterClassA(&windowClass) != 0;
    HWND hwnd = registered ? CreateWindowExA(0, className_, "stand-in target", WS_OVERLAPPEDWINDOW,
                                             10, 10, 200, 100, nullptr, nullptr,
                                             windowClass.hInstance, this)
                           : nullptr;
    if (hwnd) {
      // Shown and active like an application in use, but with the focus on a control
      // inside it rather than on the frame that receives the commands.
      ShowWindow(hwnd, SW_SHOW);
      HWND inner = CreateWindowExA(0, "STATIC", "", WS_CHILD | WS_VISIBLE, 0, 0, 50, 20, hwnd,
                                   nullptr, windowClass.hInstance, nullptr);
      SetFocus(inner);
    }
    {
      std::lock_guard<std::mutex> lock(mutex_);
      hwnd_ = hwnd;
      threadId_ = GetCurrentThreadId();
      received_.clear();  // what setting up caused is not the test's business
      ready_ = true;
    }
    changed_.notify_all();
    if (hwnd) {
      MSG msg;
      while (GetMessageA(&msg, nullptr, 0, 0) > 0) {
        TranslateMessage(&msg);
        DispatchMessageA(&msg);
      }
    }
    if (registered) UnregisterClassA(className_, windowClass.hInstance);
  }

  const char* className_;
  std::thread thread_;
  std::mutex mutex_;
  std::condition_variable changed_;
  bool ready_ = false;
  HWND hwnd_ = nullptr;
  DWORD threadId_ = 0;
  std::vector<Received> received_;
};

std::vector<Received> Only(const std::vector<Received>& all, std::initializer_list<UINT> kinds) {
  std::vector<Received> kept;
  for (const Received& r : all) {
    for (UINT kind : kinds) {
      if (r.message == kind) kept.push_back(r);
    }
  }
  return kept;
}

class SendCommandWin32Test : public ::testing::Test {
 protected:
  MemoryRegistryStore store;
  Win32TargetSystem system;
  CommandMap commands{system, store};
};

TEST_F(SendCommandWin32Test, MediaCenterWinsOverMediaPlayerAndNeitherMeansNotFound) {
  EXPECT_EQ(commands.SendCommand(3, true), SendResult::TargetNotFound);
  {
    TargetWindow player(kMediaPlayerClass);
    ASSERT_NE(player.Hwnd(), nullptr);
    EXPECT_EQ(FindTargetWindow(system), player.Handle());
    {
      TargetWindow center(kMediaCenterClass);
      ASSERT_NE(center.Hwnd(), nullptr);
      EXPECT_EQ(FindTargetWindow(system), center.Handle());
      EXPECT_EQ(commands.SendCommand(3, true), SendResult::Sent);
      EXPECT_EQ(Only(center.DrainPosted(), {WM_APPCOMMAND}).size(), 1u);
      EXPECT_TRUE(player.DrainPosted().empty());
    }
    EXPECT_EQ(commands.SendCommand(3, true), SendResult::Sent);
    EXPECT_EQ(Only(player.DrainPosted(), {WM_APPCOMMAND}).size(), 1u);
  }
  EXPECT_EQ(commands.SendCommand(3, true), SendResult::TargetNotFound);
}

TEST_F(SendCommandWin32Test, AppCommandCarriesTheTargetsOwnHandleAndTheRecordsLParam) {
  TargetWindow player(kMediaPlayerClass);
  ASSERT_NE(player.Hwnd(), nullptr);
  EXPECT_EQ(commands.SendCommand(7, false), SendResult::Sent);  // Vol+
  const auto got = player.DrainPosted();
  ASSERT_EQ(got.size(), 1u);
  EXPECT_EQ(got[0].message, UINT(WM_APPCOMMAND));
  EXPECT_EQ(got[0].wParam, reinterpret_cast<WPARAM>(player.Hwnd()));
  EXPECT_EQ(got[0].lParam, LPARAM(0x000A0000));
  EXPECT_EQ(GET_APPCOMMAND_LPARAM(got[0].lParam), APPCOMMAND_VOLUME_UP);
}

TEST_F(SendCommandWin32Test, MorePostsANullMessageAndStarAndHashArriveAsCharacters) {
  TargetWindow player(kMediaPlayerClass);
  ASSERT_NE(player.Hwnd(), nullptr);
  EXPECT_EQ(commands.SendCommand(12, true), SendResult::Sent);
  EXPECT_EQ(commands.SendCommand(29, true), SendResult::Sent);
  EXPECT_EQ(commands.SendCommand(31, true), SendResult::Sent);
  const auto got = Only(player.DrainPosted(), {WM_NULL, WM_CHAR});
  ASSERT_EQ(got.size(), 3u);
  EXPECT_EQ(got[0].message, UINT(WM_NULL));
  EXPECT_EQ(got[0].wParam, WPARAM(0));
  EXPECT_EQ(got[0].lParam, LPARAM(0));
  EXPECT_EQ(got[1].message, UINT(WM_CHAR));
  EXPECT_EQ(got[1].wParam, WPARAM('*'));
  EXPECT_EQ(got[2].message, UINT(WM_CHAR));
  EXPECT_EQ(got[2].wParam, WPARAM('#'));
}

TEST_F(SendCommandWin32Test, HandEditedAppCommandIsPostedWithItsStoredWParam) {
  MemoryRegistryStore edited;
  const RemoteCommandBytes bytes = SerializeCommand({0, 0x0319, 0x1234, 0x002E0000, {}});
  RegKey(edited, RegRoot::CurrentUser, kCommandsKey).WriteBinary("3", bytes.data(), 48);
  CommandMap map(system, edited);
  TargetWindow center(kMediaCenterClass);
  ASSERT_NE(center.Hwnd(), nullptr);

  EXPECT_EQ(map.SendCommand(3, false), SendResult::Sent);
  const auto got = center.DrainPosted();
  ASSERT_EQ(got.size(), 1u);
  EXPECT_EQ(got[0].message, UINT(WM_APPCOMMAND));
  EXPECT_EQ(got[0].wParam, WPARAM(0x1234));
  EXPECT_EQ(got[0].lParam, LPARAM(0x002E0000));
}

TEST_F(SendCommandWin32Test, UpReachesAnUnfocusedTargetAsOneKeyPressAfterItGotTheFocus) {
  TargetWindow center(kMediaCenterClass);
  ASSERT_NE(center.Hwnd(), nullptr);
  ASSERT_EQ(SendMessageA(center.Hwnd(), kAskHasFocus, 0, 0), 0) << "starts unfocused";

  EXPECT_EQ(commands.SendCommand(11, false), SendResult::Sent);  // Up
  const auto all = center.WaitUntil([](const std::vector<Received>& got) {
    return !Only(got, {WM_KEYUP}).empty();
  });
  const auto got = Only(all, {WM_SETFOCUS, WM_KEYDOWN, WM_KEYUP});
  ASSERT_EQ(got.size(), 3u);
  EXPECT_EQ(got[0].message, UINT(WM_SETFOCUS));
  EXPECT_EQ(got[1].message, UINT(WM_KEYDOWN));
  EXPECT_EQ(got[1].wParam, WPARAM(VK_UP));
  EXPECT_EQ(got[2].message, UINT(WM_KEYUP));
  EXPECT_EQ(got[2].wParam, WPARAM(VK_UP));
  EXPECT_EQ(SendMessageA(center.Hwnd(), kAskHasFocus, 0, 0), 1) << "the target keeps the focus";
  // Attached, this thread would see the target's focus; detaching must then fail.
  EXPECT_EQ(GetFocus(), nullptr) << "input still shared with the target";
  EXPECT_FALSE(AttachThreadInput(GetCurrentThreadId(), center.ThreadId(), FALSE))
      << "the calling thread was left attached";
}

}  // namespace
}  // namespace ovalink
