// The thin framework against real windows: message tables, subclassing, dialogs with data
// exchange and template data, the application's loop.

#include <gtest/gtest.h>

#include <stdexcept>
#include <vector>

#include "resources/resource.h"
#include "ui/c_dialog.h"
#include "ui/framework/controls.h"
#include "ui/framework/win_app.h"
#include "ui_test_support.h"

namespace ovalink {
namespace {

using test::ModalDriver;

constexpr UINT WM_PROBE = WM_APP + 1;
constexpr UINT WM_BASE_ONLY = WM_APP + 2;
UINT g_registeredProbe = 0;

class BaseTarget : public CWnd {
 public:
  std::vector<int> calls;

 protected:
  OVALINK_DECLARE_MESSAGE_MAP()
  LRESULT OnProbe(WPARAM, LPARAM) { return calls.push_back(1), 1; }
  LRESULT OnBaseOnly(UINT message, WPARAM wParam, LPARAM) {
    return calls.push_back(int(message)), LRESULT(wParam);
  }
  void OnHundred() { calls.push_back(100); }
};

const MessageMap* BaseTarget::ClassMessageMap() {
  static const MessageEntry entries[] = {
      OnMessage<&BaseTarget::OnProbe>(WM_PROBE),
      OnMessage<&BaseTarget::OnBaseOnly>(WM_BASE_ONLY),
      OnCommand<&BaseTarget::OnHundred>(100),
  };
  static const MessageMap map = MessageMapOf(CWnd::ClassMessageMap(), entries);
  return &map;
}

class DerivedTarget : public BaseTarget {
 public:
  bool throwOnProbe = false;

 protected:
  OVALINK_DECLARE_MESSAGE_MAP()
  LRESULT OnProbe2(WPARAM, LPARAM) {
    if (throwOnProbe) throw std::runtime_error("handler failure");
    return calls.push_back(2), 2;
  }
  void OnRange(UINT id) { calls.push_back(int(id)); }
  LRESULT OnRegistered(WPARAM, LPARAM) { return calls.push_back(-1), 7; }
};

const MessageMap* DerivedTarget::ClassMessageMap() {
  static const MessageEntry entries[] = {
      OnMessage<&DerivedTarget::OnProbe2>(WM_PROBE),
      OnCommandRange<&DerivedTarget::OnRange>(200, 210),
      OnRegisteredMessage<&DerivedTarget::OnRegistered>(&g_registeredProbe),
  };
  static const MessageMap map = MessageMapOf(BaseTarget::ClassMessageMap(), entries);
  return &map;
}

TEST(MessageTableTest, DerivedEntriesComeFirstAndCommandsMatchClicksOnly) {
  DerivedTarget target;
  LRESULT result = 0;
  ASSERT_TRUE(target.OnWndMsg(WM_PROBE, 0, 0, &result));
  EXPECT_EQ(result, 2);  // the derived entry shadows the base's
  ASSERT_TRUE(target.OnWndMsg(WM_BASE_ONLY, 42, 0, &result));
  EXPECT_EQ(result, 42);  // falls through to the base, which also gets the message

  const LPARAM control = 0x1234;
  EXPECT_TRUE(target.OnWndMsg(WM_COMMAND, MAKEWPARAM(100, 0), 0, &result));           // menu
  EXPECT_TRUE(target.OnWndMsg(WM_COMMAND, MAKEWPARAM(100, 1), 0, &result));           // accelerator
  EXPECT_TRUE(target.OnWndMsg(WM_COMMAND, MAKEWPARAM(205, BN_CLICKED), control, &result));
  EXPECT_FALSE(target.OnWndMsg(WM_COMMAND, MAKEWPARAM(205, EN_CHANGE), control, &result));
  EXPECT_FALSE(target.OnWndMsg(WM_COMMAND, MAKEWPARAM(211, 0), 0, &result));

  // A registered message matches once it has a number, never as 0.
  EXPECT_FALSE(target.OnWndMsg(0, 0, 0, &result));
  g_registeredProbe = ::RegisterWindowMessageA("OvalinkFrameworkProbe");
  EXPECT_TRUE(target.OnWndMsg(g_registeredProbe, 0, 0, &result));
  EXPECT_EQ(result, 7);

  EXPECT_EQ(target.calls, (std::vector<int>{2, int(WM_BASE_ONLY), 100, 100, 205, -1}));
}

HWND MakeWindow() {
  return ::CreateWindowExA(0, "STATIC", "probe", WS_POPUP, 0, 0, 10, 10, nullptr, nullptr,
                           nullptr, nullptr);
}

TEST(SubclassTest, RoutesUntilEitherSideEndsAndContainsExceptions) {
  const HWND window = MakeWindow();
  {
    DerivedTarget target;
    ASSERT_TRUE(target.SubclassWindow(window));
    EXPECT_FALSE(target.SubclassWindow(window));  // one window per wrapper
    EXPECT_EQ(::SendMessageA(window, WM_PROBE, 0, 0), 2);
    // Unhandled messages still reach the control's own procedure.
    ::SetWindowTextA(window, "changed");
    EXPECT_EQ(target.GetWindowText(), "changed");
    // A failing handler gets the default handling instead of unwinding through the system.
    target.throwOnProbe = true;
    EXPECT_EQ(::SendMessageA(window, WM_PROBE, 0, 0), 0);
  }
  // The wrapper is gone, the window is not, and it is no longer routed.
  EXPECT_EQ(::SendMessageA(window, WM_PROBE, 0, 0), 0);

  DerivedTarget target;
  ASSERT_TRUE(target.SubclassWindow(window));
  ::DestroyWindow(window);
  EXPECT_EQ(target.GetSafeHwnd(), nullptr);
  EXPECT_FALSE(target.IsSubclassed());
}

// Records what it can reach when told it has taken a window over.
class HookedTarget : public BaseTarget {
 public:
  std::vector<LRESULT> probesAtHook;

 protected:
  void OnSubclassed() override {
    probesAtHook.push_back(::SendMessageA(m_hWnd, WM_PROBE, 0, 0));
  }
};

TEST(SubclassTest, OnSubclassedRunsOnceWithTheTableAlreadyRouting) {
  const HWND window = MakeWindow();
  HookedTarget target;
  ASSERT_TRUE(target.SubclassWindow(window));
  EXPECT_FALSE(target.SubclassWindow(window));
  EXPECT_EQ(target.probesAtHook, (std::vector<LRESULT>{1}));

  HookedTarget refused;
  EXPECT_FALSE(refused.SubclassWindow(nullptr));
  EXPECT_TRUE(refused.probesAtHook.empty());
  ::DestroyWindow(window);
}

// The settings template bound the way a settings dialog binds it.
class BoundSettings : public C_Dialog {
 public:
  BoundSettings() : C_Dialog("#130", nullptr) {}  // by name: the template data follows it
  int enable = 1;
  int autorun = 0;
  CWnd portList;

 protected:
  void DoDataExchange(CDataExchange& dx) override {
    DDX_Check(dx, IDC_ENABLE, enable);
    DDX_Check(dx, IDC_AUTORUN, autorun);
    DDX_Control(dx, IDC_PORT, portList);
  }
};

TEST(DialogTest, InitialisationFillsTemplateDataAndExchangesBothWays) {
  BoundSettings dialog;
  ASSERT_TRUE(dialog.Create());
  EXPECT_EQ(dialog.GetWindowText(), "Ovalink :: Settings");
  ASSERT_EQ(dialog.portList.GetSafeHwnd(), dialog.GetDlgItem(IDC_PORT));

  std::vector<std::string> items;
  const int count = int(dialog.portList.SendMessage(CB_GETCOUNT));
  for (int i = 0; i < count; ++i) {
    char text[16] = {};
    dialog.portList.SendMessage(CB_GETLBTEXT, WPARAM(i), reinterpret_cast<LPARAM>(text));
    items.emplace_back(text);
  }
  EXPECT_EQ(items, (std::vector<std::string>{"3F8", "2F8", "3E8", "2E8"}));

  const CButton enableBox(dialog.GetDlgItem(IDC_ENABLE)), autorunBox(dialog.GetDlgItem(IDC_AUTORUN));
  EXPECT_EQ(enableBox.GetCheck(), BST_CHECKED);
  EXPECT_EQ(autorunBox.GetCheck(), BST_UNCHECKED);
  enableBox.Click();
  autorunBox.Click();
  ASSERT_TRUE(dialog.UpdateData(true));
  EXPECT_EQ(dialog.enable, 0);
  EXPECT_EQ(dialog.autorun, 1);
}

TEST(DialogTest, ModalDialogIsOwnedByTheMainWindowAndEndsThroughTheTable) {
  CWinApp app;
  CDialog main(IDD_ASK);
  ASSERT_TRUE(main.Create());
  app.m_pMainWnd = &main;

  CDialog dialog(IDD_ASK);
  HWND owner = nullptr;
  ModalDriver driver({[&](HWND dlg) {
    owner = ::GetWindow(dlg, GW_OWNER);
    ::PostMessageA(dlg, WM_COMMAND, IDCANCEL, 0);  // Esc and the title bar's close
  }});
  EXPECT_EQ(dialog.DoModal(), IDCANCEL);
  EXPECT_EQ(owner, main.GetSafeHwnd());
  app.m_pMainWnd = nullptr;
}

class QuitWhenMainEnds : public CWinApp {
 public:
  bool init = true;
  int exits = 0;
  CDialog main{IDD_ASK};

  BOOL InitInstance() override {
    if (!init || !main.Create()) return FALSE;
    m_pMainWnd = &main;
    // Ends the main window from inside the loop, as the Exit command will.
    ::SetTimer(nullptr, 0, 100, &QuitWhenMainEnds::DestroyMain);
    return TRUE;
  }
  int ExitInstance() override {
    ++exits;
    return CWinApp::ExitInstance();
  }
  static void CALLBACK DestroyMain(HWND, UINT, UINT_PTR id, DWORD) {
    ::KillTimer(nullptr, id);
    Current()->m_pMainWnd->DestroyWindow();
  }
};

TEST(WinAppTest, DestroyingTheMainWindowEndsTheLoop) {
  QuitWhenMainEnds app;
  EXPECT_EQ(app.Execute(), 0);  // WM_QUIT's code
  EXPECT_EQ(app.m_pMainWnd, nullptr);
  EXPECT_EQ(app.main.GetSafeHwnd(), nullptr);
  EXPECT_EQ(app.exits, 1);

  QuitWhenMainEnds failing;
  failing.init = false;
  EXPECT_EQ(failing.Execute(), 1);  // no loop at all
  EXPECT_EQ(failing.exits, 1);
}

TEST(ProgressTest, WrapperDrivesTheMainTemplatesLevelBar) {
  C_Dialog main(IDD_MAIN, nullptr);
  ASSERT_TRUE(main.Create());
  CProgressCtrl level(main.GetDlgItem(IDC_LEVEL));
  level.SetRange(0, 100);
  EXPECT_EQ(level.SetPos(40), 0);
  EXPECT_EQ(level.GetPos(), 40);
  int lower = -1, upper = -1;
  level.GetRange(lower, upper);
  EXPECT_EQ(lower, 0);
  EXPECT_EQ(upper, 100);
  EXPECT_EQ(main.GetDlgItemText(IDC_LEVEL_LABEL), "Remote Signal Level");
  EXPECT_EQ(main.GetDlgItemText(2046), "Enter");
  main.ShowWindow(SW_SHOWNOACTIVATE);
  test::SaveWindowShot("main_template", main.GetSafeHwnd());
}

}  // namespace
}  // namespace ovalink
