// The main window under Wine: start-up, showing and hiding, the tray, recognised presses,
// clicks, training reports and the exit, with the engine on a simulated UART and real time.

#include <gtest/gtest.h>

#include <atomic>
#include <memory>
#include <string>
#include <thread>

#include "app/reg_key.h"
#include "app/registry_layout.h"
#include "engine/engine_types.h"
#include "engine/training_prompts.h"
#include "platform/win32/win32_clock.h"
#include "platform/win32/win32_port_io.h"
#include "platform/win32/win32_window_link.h"
#include "recording_shell.h"
#include "resources/resource.h"
#include "sim/simulated_pc.h"
#include "tests/unit/recording_target_system.h"
#include "ui/gui_dlg.h"
#include "ui/menu_item.h"
#include "ui_test_support.h"

namespace ovalink {
namespace {

using test::DialogResponder;
using test::PumpUntil;

struct DriverMissing {};

std::atomic<int> g_forcedStops{0};
bool CountForcedStop(std::thread&) {
  ++g_forcedStops;
  return false;
}

std::string TextOf(HWND window) { return CWnd(window).GetWindowText(); }

// Holds Ctrl down for the scope, so that a failing test cannot leave it pressed.
class CtrlHeld {
 public:
  CtrlHeld() { ::keybd_event(VK_CONTROL, 0, 0, 0); }
  ~CtrlHeld() { ::keybd_event(VK_CONTROL, 0, KEYEVENTF_KEYUP, 0); }
  CtrlHeld(const CtrlHeld&) = delete;
  CtrlHeld& operator=(const CtrlHeld&) = delete;
};

class MainWindowTest : public ::testing::Test {
 protected:
  MainWindowTest() {
    g_forcedStops = 0;
    Settings().WriteDword("NoAskHowToInfo", 1);
    Settings().WriteDword("NoAskTrainingInfo", 1);
    Settings().WriteDword("NoAskSendErrInfo", 1);
    player = target.AddWindow("WMPlayerApp");
  }
  ~MainWindowTest() override { window.reset(); }

  RegKey Settings() { return RegKey(RegRoot::CurrentUser, kSettingsKey); }

  // Creates the main window and runs its deferred start-up up to listening.
  void Start(PortIo& io) {
    window = std::make_unique<CGUIDlg>(
        EngineServices{io, clock, link, [] { throw DriverMissing{}; }}, target, &shell);
    window->Engine().SetForceTerminate(&CountForcedStop);
    ASSERT_TRUE(window->Create());
    ASSERT_TRUE(PumpUntil([&] { return window->Engine().Mode() == Listening; }));
  }
  void Start() { Start(pc.bus); }

  HWND Hwnd() const { return window->GetSafeHwnd(); }
  HWND Button(int index) const { return ::GetDlgItem(Hwnd(), kFirstButtonId + index); }
  LRESULT Command(UINT id) { return ::SendMessageA(Hwnd(), WM_COMMAND, id, 0); }
  // Without dispatching anything, waits until the worker's training prompt has been sent to
  // this thread and waits for it: the moment an exit would find the two threads at odds.
  static bool WaitUntilThePromptWaits() {
    const DWORD start = ::GetTickCount();
    while ((HIWORD(::GetQueueStatus(QS_SENDMESSAGE)) & QS_SENDMESSAGE) == 0) {
      if (::GetTickCount() - start > 10000) return false;
      std::this_thread::yield();
    }
    return true;
  }
  int Posts() const {
    int n = 0;
    for (const std::string& action : target.Actions()) n += action.rfind("post", 0) == 0;
    return n;
  }

  test::ScopedRegistry registry;
  sim::SimulatedPc pc;
  Win32Clock clock;
  Win32WindowLink link;
  RecordingTargetSystem target;
  WindowHandle player = 0;
  test::RecordingShell shell;
  std::unique_ptr<CGUIDlg> window;
};

TEST_F(MainWindowTest, FirstStartMarksEveryButtonAndShowsTheBriefInstructions) {
  Settings().DeleteValue("NoAskHowToInfo");
  DialogResponder responder([&](HWND dialog, const DialogResponder::Seen&) {
    test::Settle(Hwnd());
    test::Settle(dialog);
    RECT screen{0, 0, ::GetSystemMetrics(SM_CXSCREEN), ::GetSystemMetrics(SM_CYSCREEN)};
    test::SaveArtifact("main_window_first_start", test::CaptureScreen(screen));
    test::Click(dialog, IDOK);
  });
  Start();

  ASSERT_EQ(responder.seen().size(), 1u);
  EXPECT_EQ(responder.seen()[0].caption, "The Brief Instructions");
  EXPECT_TRUE(window->IsWindowVisible());
  EXPECT_EQ(TextOf(Hwnd()), "Ovalink");
  for (int i = 0; i < kButtonCount; ++i) {
    const std::string caption = TextOf(Button(i));
    ASSERT_GE(caption.size(), 2u);
    EXPECT_EQ(caption.substr(caption.size() - 2), " !") << "button " << i;
  }
  EXPECT_EQ(TextOf(Button(0)), "Stop !");
  RECT work{}, placed = window->GetWindowRect();
  ::SystemParametersInfoA(SPI_GETWORKAREA, 0, &work, 0);
  EXPECT_EQ(placed.right, work.right);
  EXPECT_EQ(placed.bottom, work.bottom);
  EXPECT_EQ(Settings().ReadDword(kPortValue, 99), sim::SimulatedPc::kBase);
  EXPECT_EQ(window->Engine().Base(), sim::SimulatedPc::kBase);
  // Refreshing again never adds a second mark.
  window->RefreshButtonCaptions();
  EXPECT_EQ(TextOf(Button(33)), "Enter !");
}

TEST_F(MainWindowTest, NoPortFoundWarnsOpensTheSettingsAndStillListens) {
  sim::SimPortBus emptyBus(pc.clock);
  std::vector<std::string> captions;
  DialogResponder responder([&](HWND dialog, const DialogResponder::Seen& seen) {
    captions.push_back(seen.caption);
    test::Click(dialog, seen.caption == "Ovalink :: Settings" ? IDCANCEL : IDOK);
  });
  Start(emptyBus);

  ASSERT_EQ(captions.size(), 2u);
  EXPECT_EQ(captions[0], "Compatible IrDA port not found");
  EXPECT_EQ(responder.seen()[0].text,
            "compatible IrDA port is not detected\nSet valid port in the Settings dialog "
            "manually\nOtherwise Quor will not work");
  EXPECT_EQ(captions[1], "Ovalink :: Settings");
  EXPECT_EQ(Settings().ReadDword(kPortValue, 99), 0u);
  EXPECT_TRUE(window->IsWindowVisible());
  window.reset();  // before the bus it works on
}

TEST_F(MainWindowTest, PortWithoutAccessIsReportedAndTheProgramGoesOn) {
  // The driver claims to grant access, but in/out still fault: the program must say so and
  // carry on, not lose its start-up to the fault.
  Win32PortIo io;
  DialogResponder responder([&](HWND dialog, const DialogResponder::Seen& seen) {
    test::Click(dialog, seen.caption == "Ovalink :: Settings" ? IDCANCEL : IDOK);
  });
  Start(io);

  ASSERT_FALSE(responder.seen().empty());
  EXPECT_EQ(responder.seen()[0].caption, "Ovalink");
  EXPECT_EQ(responder.seen()[0].text, "The IrDA port cannot be accessed.\nReinstall the program.");
  EXPECT_EQ(window->Engine().Mode(), Listening);
  EXPECT_TRUE(::IsWindow(Hwnd()));
  window.reset();  // before the port it works on
}

TEST_F(MainWindowTest, CloseHidesAndOpenShowsAgain) {
  Start();
  ASSERT_TRUE(window->IsWindowVisible());  // no trained code: it came up by itself
  Command(IDOK);
  EXPECT_FALSE(window->IsWindowVisible());
  EXPECT_EQ(window->GetDlgItemText(IDC_LEVEL_LABEL), "Remote Signal Level");
  Command(ID_OPEN);
  EXPECT_TRUE(window->IsWindowVisible());
  // The title bar's close (no F4 held) hides as Cancel does.
  ::SendMessageA(Hwnd(), WM_SYSCOMMAND, SC_CLOSE, 0);
  EXPECT_TRUE(PumpUntil([&] { return !window->IsWindowVisible(); }));
  Command(IDCANCEL);
  EXPECT_FALSE(window->IsWindowVisible());
}

TEST_F(MainWindowTest, AfterTheShellRestartsExactlyOneTrayIconIsBack) {
  Start();
  EXPECT_EQ(shell.icons.size(), 1u);
  const UINT taskbarCreated = ::RegisterWindowMessageA("TaskbarCreated");
  shell.Restart();
  DWORD_PTR result = 0;
  ::SendMessageTimeoutA(HWND_BROADCAST, taskbarCreated, 0, 0, SMTO_ABORTIFHUNG, 5000, &result);
  ASSERT_EQ(shell.icons.size(), 1u);
  EXPECT_EQ(shell.icons.begin()->second, "Ovalink");
  // A broadcast the icon survived (another program's restart) still leaves one.
  ::SendMessageTimeoutA(HWND_BROADCAST, taskbarCreated, 0, 0, SMTO_ABORTIFHUNG, 5000, &result);
  EXPECT_EQ(shell.icons.size(), 1u);
}

TEST_F(MainWindowTest, RecognisedPressSendsAndGreysItsButtonForASecond) {
  Start();
  ::SendMessageA(Hwnd(), WM_RC_LEVEL, 60, 0);
  ::SendMessageA(Hwnd(), WM_RC_CODE, 0x8000 | 3, 0);
  EXPECT_EQ(Posts(), 1);
  EXPECT_FALSE(::IsWindowEnabled(Button(3)));
  EXPECT_TRUE(::IsWindowEnabled(Button(4)));
  test::Settle(Hwnd());
  test::SaveWindowShot("main_window_greyed_button", Hwnd());
  EXPECT_TRUE(PumpUntil([&] { return ::IsWindowEnabled(Button(3)) != FALSE; }, 5000));
  EXPECT_EQ(::SendMessageA(::GetDlgItem(Hwnd(), IDC_LEVEL), PBM_GETPOS, 0, 0), 0);
}

TEST_F(MainWindowTest, EnableOffIgnoresPressesButNotClicks) {
  Start();
  Command(ID_ENABLE);
  EXPECT_EQ(Settings().ReadDword(kEnableValue, 9), 0u);
  EXPECT_EQ(g_trayMenuItems[0].image, kNoImage);
  ::SendMessageA(Hwnd(), WM_RC_CODE, 3, 0);
  EXPECT_EQ(Posts(), 0);
  EXPECT_TRUE(::IsWindowEnabled(Button(3)));
  ::SendMessageA(Hwnd(), WM_COMMAND, MAKEWPARAM(kFirstButtonId + 3, BN_CLICKED),
                 reinterpret_cast<LPARAM>(Button(3)));
  EXPECT_EQ(Posts(), 1);
  EXPECT_TRUE(::IsWindowEnabled(Button(3)));
  Command(ID_ENABLE);
  EXPECT_EQ(g_trayMenuItems[0].image, kCheckMarkImage);
}

TEST_F(MainWindowTest, ClickWithoutTheTargetShowsTheSendError) {
  target.RemoveWindow(player);
  Settings().DeleteValue("NoAskSendErrInfo");
  Start();
  DialogResponder responder([](HWND dialog, const DialogResponder::Seen&) {
    test::Click(dialog, IDOK);
  });
  ::SendMessageA(Hwnd(), WM_COMMAND, MAKEWPARAM(kFirstButtonId + 7, BN_CLICKED),
                 reinterpret_cast<LPARAM>(Button(7)));
  ASSERT_EQ(responder.seen().size(), 1u);
  EXPECT_EQ(responder.seen()[0].caption, "Send Command Error");
  EXPECT_EQ(responder.seen()[0].text,
            "Target Application is not found\nCould not send the command\n Run the application "
            "and try again ");
}

TEST_F(MainWindowTest, EachTrainingOutcomeHasItsMessageBox) {
  Start();
  struct Box {
    int outcome;
    const char* caption;
    const char* text;
  };
  const Box boxes[] = {
      {1, "Information",
       "The button has been trained. Due to some features of the RemoteControlUnit you have to "
       "press each button twice with sharp first press. Otherwise the previous key will be "
       "repeated"},
      {2, "Error",
       "The button has not been trained. Repeat the training or use another RemoteControlUnit"},
      {3, "Duplicated Command", "The same signal has been already registered for another button"},
      {4, "Information",
       "The button has been trained.Probably you did not follow the training instructions "
       "precisely;you have made only single press/hold\n If so, please retrain the button."},
  };
  int shot = 0;
  DialogResponder responder([&](HWND dialog, const DialogResponder::Seen&) {
    test::Settle(dialog);
    test::SaveWindowShot("training_result_" + std::to_string(boxes[shot++].outcome), dialog);
    test::Click(dialog, IDOK);
  });
  for (const Box& box : boxes) {
    ::SendMessageA(Hwnd(), WM_RC_TRAINED, WPARAM(box.outcome), 0);
    ASSERT_EQ(responder.seen().size(), std::size_t(shot));
    EXPECT_EQ(responder.seen().back().caption, box.caption);
    EXPECT_EQ(responder.seen().back().text, box.text);
  }
  // Outcome 0, and any outside 0-4, refresh the captions without a box.
  ::SendMessageA(Hwnd(), WM_RC_TRAINED, 0, 0);
  ::SendMessageA(Hwnd(), WM_RC_TRAINED, 9, 0);
  EXPECT_EQ(responder.seen().size(), std::size_t(shot));
}

TEST_F(MainWindowTest, CtrlClickTrainsEvenAfterCancelAndASecondOneOnlyAsks) {
  Settings().DeleteValue("NoAskTrainingInfo");
  Start();
  DialogResponder responder([](HWND dialog, const DialogResponder::Seen&) {
    test::Click(dialog, IDCANCEL);
  });
  // Wine takes the keyboard's state from the X server again whenever a window is activated,
  // so Ctrl is pressed afresh for each click.
  {
    CtrlHeld ctrl;
    ::SendMessageA(Hwnd(), WM_COMMAND, MAKEWPARAM(kFirstButtonId + 5, BN_CLICKED),
                   reinterpret_cast<LPARAM>(Button(5)));
  }
  const bool training = window->Engine().IsTraining();
  const bool prompted =
      PumpUntil([&] { return window->GetDlgItemText(IDC_LEVEL_LABEL) == kHoldPrompt; });
  test::Settle(Hwnd());
  test::SaveWindowShot("main_window_training", Hwnd());
  {
    CtrlHeld ctrl;
    ::SendMessageA(Hwnd(), WM_COMMAND, MAKEWPARAM(kFirstButtonId + 6, BN_CLICKED),
                   reinterpret_cast<LPARAM>(Button(6)));
  }

  EXPECT_TRUE(training);
  EXPECT_TRUE(prompted);
  ASSERT_EQ(responder.seen().size(), 2u);
  EXPECT_EQ(responder.seen()[0].caption, "The Training Instructions");
  EXPECT_EQ(Posts(), 0);  // a Ctrl+Click trains; it never sends
  // Hiding cancels in the engine's sense and puts the label back at once.
  Command(IDOK);
  EXPECT_EQ(window->GetDlgItemText(IDC_LEVEL_LABEL), "Remote Signal Level");
}

TEST_F(MainWindowTest, StopServesTheWorkersPromptInsteadOfTerminatingIt) {
  Start();
  window->Engine().StartTraining(2, WindowHandle(Hwnd()), WM_RC_LEVEL, WM_RC_TRAINED,
                                 kPromptControlId);
  ASSERT_TRUE(WaitUntilThePromptWaits());
  window->Engine().Stop();
  EXPECT_EQ(g_forcedStops.load(), 0);
  EXPECT_FALSE(window->Engine().HasWorker());
  EXPECT_EQ(window->GetDlgItemText(IDC_LEVEL_LABEL), kHoldPrompt);
}

TEST_F(MainWindowTest, ExitDuringTrainingEndsTheWorkerAndTheWindow) {
  Start();
  window->Engine().StartTraining(2, WindowHandle(Hwnd()), WM_RC_LEVEL, WM_RC_TRAINED,
                                 kPromptControlId);
  ASSERT_TRUE(WaitUntilThePromptWaits());
  const HWND hwnd = Hwnd();
  Command(ID_EXIT);
  EXPECT_FALSE(::IsWindow(hwnd));
  EXPECT_EQ(g_forcedStops.load(), 0);
  EXPECT_FALSE(window->Engine().HasWorker());
  EXPECT_EQ(window->Engine().Mode(), Stopped);
}

TEST_F(MainWindowTest, ExitWhileListeningHandsTheUartBack) {
  const std::uint16_t divisor = pc.uart.Divisor();
  const std::uint8_t lineControl = pc.uart.LineControl();
  Start();
  ASSERT_EQ(pc.uart.Divisor(), 1);
  const HWND hwnd = Hwnd();
  Command(ID_EXIT);
  EXPECT_FALSE(::IsWindow(hwnd));
  EXPECT_FALSE(window->Engine().HasWorker());
  EXPECT_EQ(shell.icons.size(), 1u);  // the icon goes with the object, after the loop
  window.reset();
  EXPECT_TRUE(shell.icons.empty());
  EXPECT_EQ(pc.uart.Divisor(), divisor);
  EXPECT_EQ(pc.uart.LineControl(), lineControl);
}

}  // namespace
}  // namespace ovalink
