// The tray icon against a recording shell, and its menu opened for real and driven with
// keys from inside its own loop.

#include <gtest/gtest.h>

#include <functional>
#include <map>
#include <string>
#include <vector>

#include "resources/resource.h"
#include "ui/bitmapped_menu.h"
#include "ui/framework/wnd.h"
#include "ui/messages.h"
#include "ui/tray_icon.h"
#include "recording_shell.h"
#include "ui_test_support.h"

namespace ovalink {
namespace {

using test::RecordingShell;

// The main window's part: forwards the tray's notifications and records commands. While a
// menu it owns is open, `menuSteps` run one per timer tick with the menu's window.
class TrayOwner : public CWnd {
 public:
  explicit TrayOwner(CTrayIcon& tray) : tray_(tray) {
    SubclassWindow(::CreateWindowExA(0, "STATIC", "Ovalink", WS_POPUP, 0, 0, 10, 10, nullptr,
                                     nullptr, nullptr, nullptr));
  }
  ~TrayOwner() override { ::DestroyWindow(UnsubclassWindow()); }

  std::vector<UINT> commands;
  std::vector<std::function<void(HWND menu)>> menuSteps;

 protected:
  OVALINK_DECLARE_MESSAGE_MAP()

 private:
  LRESULT OnTray(WPARAM wParam, LPARAM lParam) { return tray_.HandleTrayMessage(wParam, lParam); }
  void OnCommand(UINT id) { commands.push_back(id); }
  LRESULT OnEnterIdle(WPARAM wParam, LPARAM lParam) {
    if (wParam == MSGF_MENU && menu_ == nullptr) {
      menu_ = reinterpret_cast<HWND>(lParam);
      next_ = 0;
      ::SetTimer(m_hWnd, 1, 100, nullptr);
    }
    return 0;
  }
  LRESULT OnTimer(WPARAM, LPARAM) {
    if (next_ < menuSteps.size()) {
      menuSteps[next_++](menu_);
    } else if (++idle_ > 30) {
      ::EndMenu();  // the steps did not close it: fail rather than hang
    }
    return 0;
  }
  LRESULT OnExitMenuLoop(WPARAM, LPARAM) {
    ::KillTimer(m_hWnd, 1);
    menu_ = nullptr;
    idle_ = 0;
    return 0;
  }

  CTrayIcon& tray_;
  HWND menu_ = nullptr;
  std::size_t next_ = 0;
  int idle_ = 0;
};

const MessageMap* TrayOwner::ClassMessageMap() {
  static const MessageEntry entries[] = {
      OnMessage<&TrayOwner::OnTray>(WM_TRAY_NOTIFY),
      OnCommandRange<&TrayOwner::OnCommand>(5000, 5100),
      OnMessage<&TrayOwner::OnEnterIdle>(WM_ENTERIDLE),
      OnMessage<&TrayOwner::OnTimer>(WM_TIMER),
      OnMessage<&TrayOwner::OnExitMenuLoop>(WM_EXITMENULOOP),
  };
  static const MessageMap map = MessageMapOf(CWnd::ClassMessageMap(), entries);
  return &map;
}

void PressKeys(HWND menu, std::initializer_list<WPARAM> keys) {
  for (WPARAM key : keys) {
    ::PostMessageA(menu, WM_KEYDOWN, key, 0);
    ::PostMessageA(menu, WM_KEYUP, key, 0xC0000000);
  }
}

// Rows of the open menu: whether each shows a picture, and its height.
struct Row {
  bool separator;
  ULONG_PTR data;
  int height;
  bool picture;
};

std::vector<Row> ReadRows(HWND owner, HWND menuWindow) {
  const HMENU menu = reinterpret_cast<HMENU>(::SendMessageA(menuWindow, MN_GETHMENU, 0, 0));
  const test::Pixels shown = test::CaptureClient(menuWindow);
  const std::uint32_t background[] = {test::Rgb(::GetSysColor(COLOR_MENU)),
                                      test::Rgb(::GetSysColor(COLOR_HIGHLIGHT))};
  std::vector<Row> rows;
  for (int i = 0; i < ::GetMenuItemCount(menu); ++i) {
    MENUITEMINFOA info{};
    info.cbSize = sizeof info;
    info.fMask = MIIM_FTYPE | MIIM_DATA;
    ::GetMenuItemInfoA(menu, UINT(i), TRUE, &info);
    RECT rect{};
    ::GetMenuItemRect(owner, menu, UINT(i), &rect);
    // Screen coordinates on Windows; Wine gives a pop-up's items relative to its window.
    RECT window{};
    ::GetWindowRect(menuWindow, &window);
    POINT corner{rect.left, rect.top};
    if (rect.left >= window.left && rect.top >= window.top) ::ScreenToClient(menuWindow, &corner);
    const int height = rect.bottom - rect.top;
    int foreign = 0;  // pixels of the picture's square that are not background
    for (int y = corner.y + (height - 16) / 2, n = 0; n < 16; ++y, ++n) {
      for (int x = corner.x + 2; x < corner.x + 18; ++x) {
        if (x < 0 || y < 0 || x >= shown.width || y >= shown.height) continue;
        const std::uint32_t p = shown.at(x, y);
        foreign += p != background[0] && p != background[1];
      }
    }
    rows.push_back(Row{(info.fType & MFT_SEPARATOR) != 0, info.dwItemData, height, foreign > 20});
  }
  return rows;
}

class TrayMenuTest : public ::testing::Test {
 protected:
  void SetUp() override {
    tray.SetOwner(&owner, WM_TRAY_NOTIFY);
    tray.SetMenuTable(IDB_MENU_IMAGES, g_trayMenuItems, kTrayMenuItemCount);
    ::SetCursorPos(500, 300);
  }
  void TearDown() override { g_trayMenuItems[0].image = kCheckMarkImage; }

  // A right press on the icon, then the menu's loop until it closes and its command is in.
  void RightPress() {
    ::PostMessageA(owner.GetSafeHwnd(), WM_TRAY_NOTIFY, 0, WM_RBUTTONDOWN);
    test::Pump(300);  // returns once the menu's own loop has ended
  }

  RecordingShell shell;
  CTrayIcon tray{shell};
  TrayOwner owner{tray};
};

TEST_F(TrayMenuTest, RightPressOpensNineRowsWithPicturesAndTheChoiceReachesTheOwner) {
  std::vector<Row> rows;
  owner.menuSteps = {
      [](HWND) {},  // let it paint
      [&](HWND menu) {
        rows = ReadRows(owner.GetSafeHwnd(), menu);
      },
      [](HWND menu) { PressKeys(menu, {VK_DOWN, VK_DOWN, VK_DOWN, VK_DOWN, VK_DOWN}); },
      [&](HWND menu) {
        test::SaveWindowShot("tray_menu", menu, 24);
        PressKeys(menu, {VK_RETURN});
      },
  };
  RightPress();

  ASSERT_EQ(rows.size(), 9u);
  const bool separators[9] = {false, true, false, false, true, false, false, false, false};
  const bool pictures[9] = {true, false, false, true, false, true, true, true, false};
  for (std::size_t i = 0; i < rows.size(); ++i) {
    EXPECT_EQ(rows[i].separator, separators[i]) << "row " << i;
    if (separators[i]) continue;
    EXPECT_EQ(rows[i].data, i) << "row " << i;  // item data is the table index
    EXPECT_GE(rows[i].height, 16) << "row " << i;
    EXPECT_EQ(rows[i].picture, pictures[i]) << "row " << i;
  }
  // Five steps down from nothing: Enable, Open, Settings, More..., About.
  EXPECT_EQ(owner.commands, std::vector<UINT>{ID_ABOUT});
}

TEST_F(TrayMenuTest, EnablePictureFollowsTheTableAndEscapeChoosesNothing) {
  g_trayMenuItems[0].image = kNoImage;  // Enable switched off
  std::vector<Row> rows;
  owner.menuSteps = {
      [](HWND) {},
      [&](HWND menu) { rows = ReadRows(owner.GetSafeHwnd(), menu); },
      [](HWND menu) { PressKeys(menu, {VK_ESCAPE}); },
  };
  RightPress();
  ASSERT_EQ(rows.size(), 9u);
  EXPECT_FALSE(rows[0].picture);
  EXPECT_TRUE(rows[3].picture);
  EXPECT_TRUE(owner.commands.empty());
}

TEST_F(TrayMenuTest, LeftPressOpensTheWindowAndOtherMouseMessagesDoNothing) {
  for (LPARAM mouse : {WM_MOUSEMOVE, WM_LBUTTONUP, WM_LBUTTONDBLCLK, WM_MBUTTONDOWN, WM_RBUTTONUP}) {
    EXPECT_EQ(::SendMessageA(owner.GetSafeHwnd(), WM_TRAY_NOTIFY, 0, mouse), 0);
  }
  EXPECT_TRUE(owner.commands.empty());
  EXPECT_EQ(::SendMessageA(owner.GetSafeHwnd(), WM_TRAY_NOTIFY, 0, WM_LBUTTONDOWN), 0);
  EXPECT_EQ(owner.commands, std::vector<UINT>{ID_OPEN});  // sent, not posted
}

TEST(BitmappedMenuTest, DrawsPictureAndTextWhereTheyBelongAndMeasuresAtLeastSixteen) {
  CBitmappedMenu menu(IDB_MENU_IMAGES, g_trayMenuItems, kTrayMenuItemCount);
  ASSERT_EQ(menu.GetMenuItemCount(), kTrayMenuItemCount);

  MEASUREITEMSTRUCT measure{};
  measure.CtlType = ODT_MENU;
  measure.itemData = 5;  // More...
  menu.MeasureItem(&measure);
  EXPECT_EQ(int(measure.itemHeight), std::max(::GetSystemMetrics(SM_CYMENU), 16));
  EXPECT_GT(int(measure.itemWidth), 21);

  // Entry "More..." (picture 11) drawn into a canvas 24 pixels high.
  const int width = 120, height = 24;
  WindowDC screen(nullptr);
  MemoryDC memory(::CreateCompatibleDC(screen.get()));
  Bitmap canvas(::CreateCompatibleBitmap(screen.get(), width, height));
  SelectScope selected(memory.get(), canvas.get());
  DRAWITEMSTRUCT draw{};
  draw.CtlType = ODT_MENU;
  draw.hDC = memory.get();
  draw.rcItem = RECT{0, 0, width, height};
  draw.itemData = 5;
  menu.DrawItem(&draw);
  const test::Pixels drawn = test::Capture(memory.get(), draw.rcItem);
  const test::Pixels strip = test::ResourceBitmap(IDB_MENU_IMAGES);
  const std::uint32_t menuColour = test::Rgb(::GetSysColor(COLOR_MENU));
  const std::uint32_t transparent = 0xC0C0C0;
  int wrong = 0;
  for (int y = 0; y < 16; ++y) {
    for (int x = 0; x < 16; ++x) {
      const std::uint32_t source = strip.at(11 * 16 + x, y);
      wrong += drawn.at(2 + x, 4 + y) != (source == transparent ? menuColour : source);
    }
  }
  EXPECT_EQ(wrong, 0);
  // Nothing between the picture and the text's start at pixel 26.
  for (int y = 0; y < height; ++y) {
    for (int x = 18; x < 26; ++x) ASSERT_EQ(drawn.at(x, y), menuColour) << x << "," << y;
  }
  bool text = false;
  for (int y = 0; y < height; ++y) {
    for (int x = 26; x < width; ++x) text |= drawn.at(x, y) != menuColour;
  }
  EXPECT_TRUE(text);

}

TEST(BitmappedMenuTest, SelectedEntryIsDrawnInTheHighlightColoursWithoutAPictureForExit) {
  const std::uint32_t highlight = test::Rgb(::GetSysColor(COLOR_HIGHLIGHT));
  const std::uint32_t highlightText = test::Rgb(::GetSysColor(COLOR_HIGHLIGHTTEXT));
  ASSERT_NE(highlight, test::Rgb(::GetSysColor(COLOR_MENU)));
  ASSERT_NE(highlight, highlightText);
  CBitmappedMenu menu(IDB_MENU_IMAGES, g_trayMenuItems, kTrayMenuItemCount);

  const int width = 120, height = 20;
  WindowDC screen(nullptr);
  MemoryDC memory(::CreateCompatibleDC(screen.get()));
  Bitmap canvas(::CreateCompatibleBitmap(screen.get(), width, height));
  SelectScope selected(memory.get(), canvas.get());
  ::SetTextColor(memory.get(), RGB(1, 2, 3));
  DRAWITEMSTRUCT draw{};
  draw.CtlType = ODT_MENU;
  draw.hDC = memory.get();
  draw.rcItem = RECT{0, 0, width, height};
  draw.itemState = ODS_SELECTED;
  draw.itemData = 8;  // Exit: no picture
  menu.DrawItem(&draw);
  const test::Pixels drawn = test::Capture(memory.get(), draw.rcItem);

  int text = 0, other = 0;
  for (int y = 0; y < height; ++y) {
    for (int x = 0; x < width; ++x) {
      const std::uint32_t p = drawn.at(x, y);
      if (p == highlight) continue;
      if (x < 26) {
        ++other;  // nothing but the fill in front of the text's start
      } else {
        text += p == highlightText;
      }
    }
  }
  EXPECT_EQ(other, 0);
  EXPECT_GT(text, 10) << "the text in the highlight text colour";
}

TEST(BitmappedMenuTest, EntriesStaySixteenHighUnderALowerMenuBar) {
  // Lowered for this process only (no SPIF flags), and put back.
  NONCLIENTMETRICSA metrics{};
  metrics.cbSize = 340;
  ASSERT_TRUE(::SystemParametersInfoA(SPI_GETNONCLIENTMETRICS, 340, &metrics, 0));
  const NONCLIENTMETRICSA saved = metrics;
  metrics.iMenuHeight = 9;
  ::SystemParametersInfoA(SPI_SETNONCLIENTMETRICS, 340, &metrics, 0);
  const int bar = ::GetSystemMetrics(SM_CYMENU);
  CBitmappedMenu menu(IDB_MENU_IMAGES, g_trayMenuItems, kTrayMenuItemCount);
  MEASUREITEMSTRUCT measure{};
  measure.CtlType = ODT_MENU;
  measure.itemData = 0;
  menu.MeasureItem(&measure);
  ::SystemParametersInfoA(SPI_SETNONCLIENTMETRICS, 340, const_cast<NONCLIENTMETRICSA*>(&saved), 0);
  if (bar >= 16) GTEST_SKIP() << "the menu bar could not be lowered";
  EXPECT_EQ(measure.itemHeight, 16u);
}

class TrayIconTest : public ::testing::Test {
 protected:
  TrayIconTest() {
    window_ = ::CreateWindowExA(0, "STATIC", "owner", WS_POPUP, 0, 0, 10, 10, nullptr, nullptr,
                                nullptr, nullptr);
    owner.Attach(window_);
  }
  ~TrayIconTest() override { ::DestroyWindow(window_); }

  HWND window_;
  CWnd owner;
  RecordingShell shell;
};

TEST_F(TrayIconTest, AddModifyAndASingleDeleteForTwoRemovals) {
  CTrayIcon tray(shell);
  tray.SetIcon(0);
  tray.SetOwner(&owner, WM_TRAY_NOTIFY);
  EXPECT_TRUE(shell.calls.empty());  // neither removal of nothing nor SetOwner reaches it

  tray.SetIcon(IDR_MAINFRAME);
  ASSERT_EQ(shell.calls.size(), 1u);
  const NOTIFYICONDATAA& added = shell.calls[0].record;
  EXPECT_EQ(shell.calls[0].message, DWORD(NIM_ADD));
  EXPECT_EQ(added.cbSize, DWORD(NOTIFYICONDATAA_V1_SIZE));
  EXPECT_EQ(added.hWnd, window_);
  EXPECT_EQ(added.uID, 0u);
  EXPECT_EQ(added.uFlags, UINT(NIF_MESSAGE | NIF_ICON | NIF_TIP));
  EXPECT_EQ(added.uCallbackMessage, WM_TRAY_NOTIFY);
  EXPECT_NE(added.hIcon, nullptr);
  EXPECT_STREQ(added.szTip, "Ovalink");

  tray.SetIcon(IDR_MAINFRAME);
  EXPECT_EQ(shell.calls.back().message, DWORD(NIM_MODIFY));
  tray.SetIcon(0);
  tray.SetIcon(0);
  EXPECT_EQ(shell.Count(NIM_DELETE), 1);
  EXPECT_EQ(shell.calls.size(), 3u);
  EXPECT_TRUE(shell.icons.empty());

  // Without an owner the callback message is not claimed.
  tray.SetOwner(nullptr, WM_TRAY_NOTIFY);
  tray.SetIcon(IDR_MAINFRAME);
  EXPECT_EQ(shell.calls.back().record.uFlags, UINT(NIF_ICON | NIF_TIP));
}

TEST_F(TrayIconTest, ReAddAfterShellRestartLeavesExactlyOneIcon) {
  CTrayIcon tray(shell);
  tray.SetOwner(&owner, WM_TRAY_NOTIFY);
  tray.SetIcon(IDR_MAINFRAME);
  shell.Restart();

  // What the main window does on "TaskbarCreated".
  tray.SetOwner(&owner, WM_TRAY_NOTIFY);
  tray.SetIcon(0);  // refused by the new shell; the record forgets its icon
  tray.SetIcon(IDR_MAINFRAME);
  EXPECT_EQ(shell.calls.back().message, DWORD(NIM_ADD));
  ASSERT_EQ(shell.icons.size(), 1u);
  EXPECT_EQ(shell.icons.begin()->second, "Ovalink");

  // Without the removal first, the change of an icon the shell lacks is refused, and the
  // refusal makes the next request an add.
  shell.Restart();
  tray.SetIcon(IDR_MAINFRAME);
  EXPECT_EQ(shell.calls.back().message, DWORD(NIM_MODIFY));
  EXPECT_TRUE(shell.icons.empty());
  tray.SetIcon(IDR_MAINFRAME);
  EXPECT_EQ(shell.calls.back().message, DWORD(NIM_ADD));
  EXPECT_EQ(shell.icons.size(), 1u);
}

TEST_F(TrayIconTest, TipIsCutToSixtyThreeCharactersAndAlwaysTerminated) {
  CTrayIcon tray(shell);
  Icon icon(static_cast<HICON>(::LoadImageA(::GetModuleHandleA(nullptr),
                                            MAKEINTRESOURCEA(IDR_MAINFRAME), IMAGE_ICON, 16, 16, 0)));
  for (std::size_t length : {std::size_t(63), std::size_t(64), std::size_t(100)}) {
    const std::string tip(length, 'x');
    EXPECT_TRUE(tray.SetIconHandle(icon.get(), tip.c_str()));
    const NOTIFYICONDATAA& sent = shell.calls.back().record;
    EXPECT_EQ(sent.szTip[63], '\0') << length;
    EXPECT_EQ(std::string(sent.szTip), std::string(63, 'x')) << length;
  }
  // No tip given: the last one stays.
  EXPECT_TRUE(tray.SetIconHandle(icon.get(), nullptr));
  EXPECT_EQ(std::string(shell.calls.back().record.szTip), std::string(63, 'x'));
  EXPECT_TRUE(tray.SetIconHandle(nullptr, nullptr));
  EXPECT_EQ(shell.calls.back().message, DWORD(NIM_DELETE));
}

TEST_F(TrayIconTest, MissingIconRemovesTheShownOneAndDestructionRemovesIt) {
  {
    CTrayIcon tray(shell);
    tray.SetIcon(9999);
    EXPECT_TRUE(shell.calls.empty());
    tray.SetIcon(IDR_MAINFRAME);
    tray.SetIcon(9999);
    EXPECT_EQ(shell.calls.back().message, DWORD(NIM_DELETE));
    EXPECT_STREQ(shell.calls.back().record.szTip, "") << "no string 9999, so no tip";
    EXPECT_EQ(shell.calls.back().record.uFlags & NIF_TIP, 0u);
    tray.SetIcon(IDR_MAINFRAME);
  }
  EXPECT_EQ(shell.calls.back().message, DWORD(NIM_DELETE));
  EXPECT_TRUE(shell.icons.empty());
}

TEST_F(TrayIconTest, SystemShellAcceptsAddChangeAndRemove) {
  CTrayIcon tray;
  tray.SetOwner(&owner, WM_TRAY_NOTIFY);
  Icon icon(static_cast<HICON>(::LoadImageA(::GetModuleHandleA(nullptr),
                                            MAKEINTRESOURCEA(IDR_MAINFRAME), IMAGE_ICON, 16, 16, 0)));
  EXPECT_TRUE(tray.SetIconHandle(icon.get(), "Ovalink"));
  EXPECT_TRUE(tray.SetIconHandle(icon.get(), "Ovalink test"));
  EXPECT_TRUE(tray.SetIconHandle(nullptr, nullptr));
}

}  // namespace
}  // namespace ovalink
