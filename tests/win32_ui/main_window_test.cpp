// The main window under Wine: start-up, showing and hiding, the tray, recognised presses,
// clicks, training reports and the exit, with the engine on a simulated UART and real time.

#include <gtest/gtest.h>

#include <atomic>
#include <chrono>
#include <cstdio>
#include <fstream>
#include <memory>
#include <mutex>
#include <string>
#include <thread>
#include <vector>

#include "app/reg_key.h"
#include "app/registry_layout.h"
#include "commands/builtin_commands.h"
#include "commands/remote_command.h"
#include "engine/engine_types.h"
#include "engine/rc_engine.h"
#include "engine/training_prompts.h"
#include "platform/path_beside_program.h"
#include "platform/win32/win32_clock.h"
#include "platform/win32/win32_port_io.h"
#include "platform/win32/win32_window_link.h"
#include "recording_shell.h"
#include "resources/resource.h"
#include "sim/simulated_pc.h"
#include "tests/unit/recording_target_system.h"
#include "ui/document_shell.h"
#include "ui/fitting_label.h"
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

// Records what the window asks the shell to open; refuses when told to.
class RecordingDocuments : public DocumentShell {
 public:
  bool Open(const std::string& path) override {
    opened.push_back(path);
    return accept;
  }
  std::vector<std::string> opened;
  bool accept = true;
};

// Training that lasts until the test lets it end, with the outcome the test chose; listening
// that hears nothing.
class HeldTraining : public WorkerTasks {
 public:
  std::uint16_t Recognise() override {
    std::this_thread::sleep_for(std::chrono::milliseconds(2));
    return kNoPress;
  }
  int TrainButton(int button) override {
    {
      std::lock_guard<std::mutex> lock(mutex_);
      buttons_.push_back(button);
    }
    while (!release_.load()) std::this_thread::sleep_for(std::chrono::milliseconds(2));
    release_.store(false);
    return outcome_.load();
  }
  void EndRun(int outcome) {
    outcome_.store(outcome);
    release_.store(true);
  }
  std::vector<int> Buttons() {
    std::lock_guard<std::mutex> lock(mutex_);
    return buttons_;
  }

 private:
  std::mutex mutex_;
  std::vector<int> buttons_;
  std::atomic<bool> release_{false};
  std::atomic<int> outcome_{0};
};

// What the prompt label shows: its text measured in its own font against its client area.
struct LabelFit {
  int textWidth = 0;
  int labelWidth = 0;
  int wrappedHeight = 0;  // the text laid out as the label lays it out
  int lineHeight = 0;
  int labelHeight = 0;
};

LabelFit MeasureLabel(HWND label) {
  LabelFit fit;
  RECT client{};
  ::GetClientRect(label, &client);
  fit.labelWidth = client.right;
  fit.labelHeight = client.bottom;
  const std::string text = CWnd(label).GetWindowText();
  WindowDC dc(label);
  SelectScope font(dc.get(), reinterpret_cast<HFONT>(::SendMessageA(label, WM_GETFONT, 0, 0)));
  SIZE extent{};
  ::GetTextExtentPoint32A(dc.get(), text.data(), int(text.size()), &extent);
  fit.textWidth = extent.cx;
  TEXTMETRICA metrics{};
  ::GetTextMetricsA(dc.get(), &metrics);
  fit.lineHeight = metrics.tmHeight;
  RECT wrapped = client;
  fit.wrappedHeight = ::DrawTextA(dc.get(), text.data(), int(text.size()), &wrapped,
                                  DT_CENTER | DT_WORDBREAK | DT_CALCRECT);
  return fit;
}

class MainWindowTest : public ::testing::Test {
 protected:
  MainWindowTest() {
    g_forcedStops = 0;
    Settings().WriteDword("NoAskHowToInfo", 1);
    Settings().WriteDword("NoAskTrainingInfo", 1);
    Settings().WriteDword("NoAskSendErrInfo", 1);
    player = target.AddWindow("WMPlayerApp");
  }
  ~MainWindowTest() override {
    heldTraining.EndRun(0);  // a test that failed half-way may have left a run held
    window.reset();
  }

  RegKey Settings() { return RegKey(RegRoot::CurrentUser, kSettingsKey); }

  // Creates the main window and runs its deferred start-up up to listening.
  void Start(PortIo& io) {
    window = std::make_unique<CGUIDlg>(
        EngineServices{io, clock, link, [] { throw DriverMissing{}; }}, target, &shell,
        &documents);
    window->Engine().SetForceTerminate(&CountForcedStop);
    ASSERT_TRUE(window->Create());
    ASSERT_TRUE(PumpUntil([&] { return window->Engine().Mode() == Listening; }));
  }
  void Start() { Start(pc.bus); }

  HWND Hwnd() const { return window->GetSafeHwnd(); }
  HWND Label() const { return ::GetDlgItem(Hwnd(), IDC_LEVEL_LABEL); }
  int LevelShown() const {
    return int(::SendMessageA(::GetDlgItem(Hwnd(), IDC_LEVEL), PBM_GETPOS, 0, 0));
  }
  bool Greyed(int index) const { return ::IsWindowEnabled(Button(index)) == FALSE; }
  void CtrlClick(int index) {
    CtrlHeld ctrl;
    ::SendMessageA(Hwnd(), WM_COMMAND, MAKEWPARAM(kFirstButtonId + index, BN_CLICKED),
                   reinterpret_cast<LPARAM>(Button(index)));
  }
  // Sets the prompt label's text as the engine's worker does: from another thread, which
  // waits until this one has set it.
  bool ShowPromptFromAnotherThread(const std::string& text) {
    std::atomic<bool> shown{false};
    std::thread worker([&] {
      link.SetItemText(WindowHandle(Hwnd()), kPromptControlId, text);
      shown = true;
    });
    const bool served = PumpUntil([&] { return shown.load(); });
    worker.join();
    return served;
  }
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
  RecordingDocuments documents;
  HeldTraining heldTraining;  // outlives the window's worker
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
  EXPECT_EQ(responder.seen()[0].icon, "exclamation");
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
  EXPECT_EQ(responder.seen()[0].icon, "exclamation");
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
    EXPECT_EQ(responder.seen().back().icon, box.outcome == 2 || box.outcome == 3 ? "exclamation"
                                                                                : "information");
    EXPECT_TRUE(responder.seen().back().owned);
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

TEST(FittingCellHeightTest, TakesTheLargestCellAtWhichTheTextFits) {
  const auto tenPixelsPerCellPixel = [](int cell) { return 10 * cell; };
  struct Case {
    int available;
    int expected;
  };
  // Cells 12 down to 9; each pixel of cell is ten pixels of width.
  const Case cases[] = {
      {120, 12}, {119, 11}, {110, 11}, {109, 10}, {100, 10}, {99, 9}, {10, 9},
  };
  for (const Case& c : cases) {
    EXPECT_EQ(FittingCellHeight(12, 9, c.available, tenPixelsPerCellPixel), c.expected)
        << "available " << c.available;
  }
}

TEST_F(MainWindowTest, EveryTrainingPromptFitsThePromptLabelInAReadableFont) {
  Start();
  const HWND label = Label();
  const RECT place = test::RectInParent(label);
  struct Prompt {
    const char* text;
    const char* shot;
  };
  const Prompt prompts[] = {
      {kHoldPrompt, nullptr},
      {kReleasePrompt, nullptr},
      {kSharpIntroPrompt, "main_window_prompt_release_sharp"},
      {kSharpPrompt, "main_window_prompt_sharp"},
  };
  for (const Prompt& prompt : prompts) {
    ASSERT_TRUE(ShowPromptFromAnotherThread(prompt.text));
    ASSERT_EQ(TextOf(label), prompt.text);
    const LabelFit fit = MeasureLabel(label);
    std::printf("\"%s\": text %d px wide in a %d px cell; label %d x %d px\n", prompt.text,
                fit.textWidth, fit.lineHeight, fit.labelWidth, fit.labelHeight);
    EXPECT_LE(fit.textWidth, fit.labelWidth) << prompt.text;
    EXPECT_LE(fit.wrappedHeight, fit.labelHeight) << prompt.text << ": more than one line";
    EXPECT_GE(fit.lineHeight, kSmallestReadableCell) << prompt.text;
    if (prompt.shot != nullptr) test::SaveWindowShot(prompt.shot, Hwnd());
  }
  const RECT after = test::RectInParent(label);
  EXPECT_TRUE(after.left == place.left && after.top == place.top && after.right == place.right &&
              after.bottom == place.bottom)
      << "the label moved or changed its size";
  // Its own caption is shown in the dialog's font again.
  window->SetDlgItemText(IDC_LEVEL_LABEL, "Remote Signal Level");
  EXPECT_EQ(::SendMessageA(label, WM_GETFONT, 0, 0), ::SendMessageA(Hwnd(), WM_GETFONT, 0, 0));
}

TEST_F(MainWindowTest, OnlyATextWiderThanThePromptLabelGetsASmallerFont) {
  Start();
  const HWND label = Label();
  const auto dialogFont = reinterpret_cast<HFONT>(::SendMessageA(Hwnd(), WM_GETFONT, 0, 0));
  // The longest start of a prompt that fits in the dialog's font, and one letter more.
  const std::string prompt = kSharpIntroPrompt;
  RECT client{};
  ::GetClientRect(label, &client);
  std::size_t fitting = 0;
  {
    WindowDC dc(label);
    SelectScope font(dc.get(), dialogFont);
    for (std::size_t n = 1; n <= prompt.size(); ++n) {
      SIZE extent{};
      ::GetTextExtentPoint32A(dc.get(), prompt.data(), int(n), &extent);
      if (extent.cx > client.right) break;
      fitting = n;
    }
  }
  ASSERT_LT(fitting, prompt.size()) << "the whole prompt fits in the dialog's font";
  ASSERT_TRUE(ShowPromptFromAnotherThread(prompt.substr(0, fitting)));
  EXPECT_EQ(reinterpret_cast<HFONT>(::SendMessageA(label, WM_GETFONT, 0, 0)), dialogFont);
  ASSERT_TRUE(ShowPromptFromAnotherThread(prompt.substr(0, fitting + 1)));
  EXPECT_NE(reinterpret_cast<HFONT>(::SendMessageA(label, WM_GETFONT, 0, 0)), dialogFont);
  EXPECT_LE(MeasureLabel(label).textWidth, client.right);
  // A text that fits in no readable size gets the smallest readable one, a 9-pixel cell,
  // and no smaller.
  ASSERT_TRUE(ShowPromptFromAnotherThread(prompt + " " + prompt));
  EXPECT_EQ(MeasureLabel(label).lineHeight, 9);
}

TEST_F(MainWindowTest, TheLevelFallsBackASecondAfterASignalThatSentNothing) {
  Start();
  // A press the engine did not recognise: its level, and no press value.
  ::SendMessageA(Hwnd(), WM_RC_LEVEL, 100, 0);
  EXPECT_EQ(LevelShown(), 100);
  EXPECT_TRUE(PumpUntil([&] { return LevelShown() == 0; }, 5000)) << "the bar stayed at "
                                                                  << LevelShown();
}

TEST_F(MainWindowTest, CloseDuringTrainingThenCtrlClickSaysItCannotYetThenTrains) {
  Start();
  window->Engine().SetWorkerTasks(&heldTraining);
  DialogResponder responder([](HWND dialog, const DialogResponder::Seen&) {
    test::Click(dialog, IDOK);
  });
  CtrlClick(5);
  ASSERT_TRUE(PumpUntil([&] { return heldTraining.Buttons().size() == 1; }));
  // The run is cancelled in the engine's sense only: it goes on to its end.
  Command(IDOK);
  CtrlClick(6);
  ASSERT_EQ(responder.seen().size(), 1u) << "the second Ctrl+Click said nothing";
  EXPECT_EQ(responder.seen()[0].caption, "Ovalink");
  EXPECT_EQ(responder.seen()[0].text,
            "The previous training has not ended yet.\nTry again in a few seconds.");
  EXPECT_EQ(responder.seen()[0].icon, "information");

  // The cancelled run ends and reports; a Ctrl+Click after that trains.
  heldTraining.EndRun(2);
  ASSERT_TRUE(PumpUntil([&] { return responder.seen().size() == 2; }));
  EXPECT_EQ(responder.seen()[1].caption, "Error");
  ASSERT_TRUE(PumpUntil([&] { return window->Engine().Mode() == Listening; }));
  CtrlClick(6);
  EXPECT_TRUE(PumpUntil([&] { return heldTraining.Buttons().size() == 2; }));
  EXPECT_EQ(heldTraining.Buttons(), (std::vector<int>{5, 6}));
  EXPECT_TRUE(window->Engine().IsTraining());
  // While a run the window started is under way, its progress is not taken back.
  ::SendMessageA(Hwnd(), WM_RC_LEVEL, 60, 0);
  EXPECT_FALSE(PumpUntil([&] { return LevelShown() != 60; }, 1500));
  heldTraining.EndRun(0);
  EXPECT_TRUE(PumpUntil([&] { return window->Engine().Mode() == Listening; }));
  window.reset();  // before the worker's tasks
}

TEST_F(MainWindowTest, ExitFromThePortAccessBoxOfStartUpLeavesNoBoxBehind) {
  Win32PortIo io;
  window = std::make_unique<CGUIDlg>(
      EngineServices{io, clock, link, [] { throw DriverMissing{}; }}, target, &shell, &documents);
  ASSERT_TRUE(window->Create());
  const HWND hwnd = Hwnd();
  int answered = 0;
  // Every dialog of this thread counts here, with an owner or without.
  DialogResponder responder(
      [&](HWND dialog, const DialogResponder::Seen& seen) {
        if (answered++ == 0) {
          ::PostMessageA(hwnd, WM_COMMAND, ID_EXIT, 0);  // Exit from the tray menu
        } else {
          test::Click(dialog, seen.caption == "Ovalink :: Settings" ? IDCANCEL : IDOK);
        }
      },
      true);
  EXPECT_TRUE(PumpUntil([&] { return !::IsWindow(hwnd); }));
  ASSERT_GE(responder.seen().size(), 1u);
  EXPECT_EQ(responder.seen()[0].text, "The IrDA port cannot be accessed.\nReinstall the program.");
  EXPECT_TRUE(responder.seen()[0].owned);
  EXPECT_EQ(responder.seen().size(), 1u)
      << "after Exit: \"" << responder.seen().back().caption << "\", owned "
      << responder.seen().back().owned;
  window.reset();  // before the port it works on
}

TEST_F(MainWindowTest, AltF4IsDroppedAndResumeFromSuspendReopensThePort) {
  Start();
  ASSERT_TRUE(window->IsWindowVisible());
  // SC_CLOSE while F4 is down (the thread's own key state, as the filter reads it).
  BYTE keys[256] = {};
  ::GetKeyboardState(keys);
  keys[VK_F4] = 0x80;
  ::SetKeyboardState(keys);
  ::SendMessageA(Hwnd(), WM_SYSCOMMAND, SC_CLOSE, 0);
  keys[VK_F4] = 0;
  ::SetKeyboardState(keys);
  // A hide would come as a posted command: once a later post is handled, it would have come.
  ::PostMessageA(Hwnd(), WM_RC_LEVEL, 42, 0);
  ASSERT_TRUE(PumpUntil([&] { return LevelShown() == 42; }));
  EXPECT_TRUE(window->IsWindowVisible()) << "Alt+F4 hid the window";

  const int opens = pc.driver.OpenAttempts();
  constexpr WPARAM kSuspend = 4, kResumeSuspend = 7, kResumeAutomatic = 18;
  EXPECT_EQ(::SendMessageA(Hwnd(), WM_POWERBROADCAST, kSuspend, 0), TRUE);
  EXPECT_EQ(::SendMessageA(Hwnd(), WM_POWERBROADCAST, kResumeAutomatic, 0), TRUE);
  EXPECT_EQ(pc.driver.OpenAttempts(), opens);
  EXPECT_EQ(::SendMessageA(Hwnd(), WM_POWERBROADCAST, kResumeSuspend, 0), TRUE);
  EXPECT_EQ(pc.driver.OpenAttempts(), opens + 1);
  EXPECT_TRUE(pc.driver.DeviceOpen());
  EXPECT_EQ(window->Engine().Mode(), Listening);
}

TEST_F(MainWindowTest, HelpAndMoreOpenTheirFileOrNameTheOneMissing) {
  const std::string help = PathBesideProgram("Quor.chm");
  const std::string more = PathBesideProgram("More.url");
  std::remove(help.c_str());
  std::remove(more.c_str());
  Start();
  DialogResponder responder([](HWND dialog, const DialogResponder::Seen&) {
    test::Click(dialog, IDOK);
  });
  Command(ID_HELPFILE);
  Command(ID_MORE);
  ASSERT_EQ(responder.seen().size(), 2u);
  EXPECT_EQ(responder.seen()[0].caption, "Ovalink");
  EXPECT_EQ(responder.seen()[0].text, "This file is missing:\n" + help);
  EXPECT_EQ(responder.seen()[0].icon, "exclamation");
  EXPECT_TRUE(responder.seen()[0].owned);
  EXPECT_EQ(responder.seen()[1].text, "This file is missing:\n" + more);
  EXPECT_TRUE(documents.opened.empty());

  std::ofstream(help) << "help";
  std::ofstream(more) << "[InternetShortcut]\r\nURL=about:blank\r\n";
  Command(ID_HELPFILE);
  Command(ID_MORE);
  EXPECT_EQ(responder.seen().size(), 2u);
  EXPECT_EQ(documents.opened, (std::vector<std::string>{help, more}));
  documents.accept = false;
  Command(ID_MORE);
  ASSERT_EQ(responder.seen().size(), 3u);
  EXPECT_EQ(responder.seen()[2].text, "This file could not be opened:\n" + more);
  std::remove(help.c_str());
  std::remove(more.c_str());
}

TEST_F(MainWindowTest, ARequestForADialogThatIsOpenIsIgnored) {
  target.RemoveWindow(player);
  Settings().DeleteValue("NoAskSendErrInfo");
  Start();
  // Inside the first dialog of each kind the same request comes once more; then it closes.
  std::function<void()> again;
  std::vector<std::string> captions;
  DialogResponder responder(
      [&](HWND dialog, const DialogResponder::Seen& seen) {
        captions.push_back(seen.caption);
        if (again) std::exchange(again, nullptr)();
        test::Click(dialog, seen.caption == "Ovalink :: Settings" ? IDCANCEL : IDOK);
      },
      true);  // the About box has no owner here: the program's own would be its main window

  again = [&] { ::PostMessageA(Hwnd(), WM_COMMAND, ID_ABOUT, 0); };
  Command(ID_ABOUT);
  EXPECT_EQ(captions, (std::vector<std::string>{"Ovalink"}));

  captions.clear();
  again = [&] { ::PostMessageA(Hwnd(), WM_COMMAND, ID_SETTINGS, 0); };
  Command(ID_SETTINGS);
  EXPECT_EQ(captions, (std::vector<std::string>{"Ovalink :: Settings"}));

  // A recognised press that finds no target: greyed, and one send-error dialog however many
  // presses come while it is open.
  captions.clear();
  again = [&] { ::PostMessageA(Hwnd(), WM_RC_CODE, 4, 0); };
  ::SendMessageA(Hwnd(), WM_RC_CODE, 3, 0);
  EXPECT_EQ(captions, (std::vector<std::string>{"Send Command Error"}));
  EXPECT_TRUE(Greyed(3));
  EXPECT_TRUE(Greyed(4));
  EXPECT_EQ(Posts(), 0);
}

TEST_F(MainWindowTest, APressWithoutACommandOrARepeatOfAOneShotCommandDoesNothingMore) {
  // Every command but Skip's (button 6); no target, so that a send would show its error.
  RegKey commands(RegRoot::CurrentUser, kCommandsKey);
  for (std::size_t i = 0; i < kBuiltinCommandCount; ++i) {
    if (i == 6) continue;
    const RemoteCommandBytes bytes = SerializeCommand(BuiltinCommands()[i]);
    commands.WriteBinary(std::to_string(i), bytes.data(), kRemoteCommandBytes);
  }
  target.RemoveWindow(player);
  Settings().DeleteValue("NoAskSendErrInfo");
  Start();
  DialogResponder responder([](HWND dialog, const DialogResponder::Seen&) {
    test::Click(dialog, IDOK);
  });
  ::SendMessageA(Hwnd(), WM_RC_CODE, 6, 0);  // NoCommand
  EXPECT_FALSE(Greyed(6));
  EXPECT_TRUE(responder.seen().empty());

  ::SendMessageA(Hwnd(), WM_RC_CODE, 3, 0);  // Play, a new press: it would be sent
  ASSERT_EQ(responder.seen().size(), 1u);
  EXPECT_EQ(responder.seen()[0].caption, "Send Command Error");
  ASSERT_TRUE(PumpUntil([&] { return !Greyed(3); }, 5000));
  ::SendMessageA(Hwnd(), WM_RC_CODE, 3, 0);  // the same press value again: RepeatSuppressed
  EXPECT_FALSE(Greyed(3));
  EXPECT_EQ(responder.seen().size(), 1u);
  EXPECT_EQ(Posts(), 0);
}

TEST_F(MainWindowTest, TwoPressesHalfASecondApartStayGreyedUntilASecondAfterTheSecond) {
  Start();
  ::SendMessageA(Hwnd(), WM_RC_CODE, 3, 0);
  const DWORD first = ::GetTickCount();
  ASSERT_TRUE(Greyed(3));
  ASSERT_TRUE(PumpUntil([&] { return ::GetTickCount() - first >= 500; }));
  ::SendMessageA(Hwnd(), WM_RC_CODE, 7, 0);
  const DWORD second = ::GetTickCount();
  EXPECT_TRUE(Greyed(7));
  bool apart = false;  // one released while the other is still greyed
  ASSERT_TRUE(PumpUntil([&] {
    apart |= Greyed(3) != Greyed(7);
    return !Greyed(3) && !Greyed(7);
  }, 5000));
  const DWORD released = ::GetTickCount();
  EXPECT_FALSE(apart);
  // Timer ticks and the tick count are coarse; a release timed from the first press would
  // come about 500 ms after the second.
  EXPECT_GE(released - second, 950u);
  EXPECT_GE(released - first, 1450u);
}

}  // namespace
}  // namespace ovalink
