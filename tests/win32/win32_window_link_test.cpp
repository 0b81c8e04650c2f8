#include "platform/win32/win32_window_link.h"

#include <windows.h>

#include <gtest/gtest.h>

#include <atomic>
#include <thread>

namespace ovalink {
namespace {

constexpr int kPromptId = 1024;

class Window {
 public:
  Window() {
    window_ = CreateWindowExA(0, "STATIC", "link test", WS_OVERLAPPED, 0, 0, 100, 100, nullptr,
                              nullptr, GetModuleHandleA(nullptr), nullptr);
    CreateWindowExA(0, "STATIC", "", WS_CHILD, 0, 0, 50, 20, window_,
                    reinterpret_cast<HMENU>(static_cast<INT_PTR>(kPromptId)),
                    GetModuleHandleA(nullptr), nullptr);
  }
  ~Window() { DestroyWindow(window_); }
  HWND Get() const { return window_; }
  WindowHandle Handle() const { return reinterpret_cast<WindowHandle>(window_); }

 private:
  HWND window_;
};

TEST(Win32WindowLinkTest, PostQueuesForTheWindowAndSetItemTextWaitsForItsThread) {
  Window window;
  ASSERT_NE(window.Get(), nullptr);
  Win32WindowLink link;

  ASSERT_TRUE(link.Post(window.Handle(), WM_USER + 3, 1027, -5));
  MSG msg{};
  ASSERT_TRUE(PeekMessageA(&msg, window.Get(), WM_USER + 3, WM_USER + 3, PM_REMOVE));
  EXPECT_EQ(msg.wParam, WPARAM(1027));
  EXPECT_EQ(msg.lParam, LPARAM(-5));
  EXPECT_FALSE(link.Post(0xDEAD0, WM_USER, 0, 0));

  // From a worker thread the text arrives only while this (the window's) thread pumps.
  std::atomic<bool> done{false};
  std::thread worker([&] {
    link.SetItemText(window.Handle(), kPromptId, "Hold the button till the progress ends");
    done = true;
  });
  Sleep(100);
  EXPECT_FALSE(done.load()) << "SetItemText returned before the window's thread took the text";
  for (int i = 0; i < 5000 && !done.load(); ++i) {
    while (PeekMessageA(&msg, nullptr, 0, 0, PM_REMOVE)) DispatchMessageA(&msg);
    Sleep(1);
  }
  worker.join();
  char text[128] = {};
  GetDlgItemTextA(window.Get(), kPromptId, text, sizeof text);
  EXPECT_STREQ(text, "Hold the button till the progress ends");
}

}  // namespace
}  // namespace ovalink
