// QuorSim.exe end to end under Wine, in separate processes: this test is the user, with the
// simulated remote in hand, and a stand-in media application receives the commands.

#include <gtest/gtest.h>

#include "e2e_support.h"
#include "quorsim_driver.h"
#include "tests/win32_ui/ui_test_support.h"

namespace ovalink::e2e {
namespace {

constexpr const char* kPressRepeatText =
    "The button has been trained. Due to some features of the RemoteControlUnit you have to "
    "press each button twice with sharp first press. Otherwise the previous key will be repeated";
constexpr const char* kNotTrainedText =
    "The button has not been trained. Repeat the training or use another RemoteControlUnit";
constexpr const char* kDuplicateText = "The same signal has been already registered for another button";
constexpr const char* kUnsureText =
    "The button has been trained.Probably you did not follow the training instructions "
    "precisely;you have made only single press/hold\n If so, please retrain the button.";
constexpr const char* kHowToCaption = "The Brief Instructions";
constexpr const char* kSettingsCaption = "Ovalink :: Settings";
constexpr int kEnableBox = 1010;
constexpr int kIdMore = 5013;

// Button indices and what the built-in command table sends for them.
constexpr int kStop = 0, kPause = 1, kPlay = 3, kSkip = 6, kVolumeUp = 7, kUp = 11, kStar = 29;
constexpr unsigned kAppCommandPlay = 46, kAppCommandVolumeUp = 10;
constexpr unsigned kVkUp = 0x26;

struct BoxSearch {
  HWND owner;
  const std::string& start;
  HWND found;
};

BOOL CALLBACK CheckOwnedBox(HWND window, LPARAM data) {
  auto* search = reinterpret_cast<BoxSearch*>(data);
  if (GetWindow(window, GW_OWNER) != search->owner || !IsWindowVisible(window)) return TRUE;
  if (MessageBoxText(window).rfind(search->start, 0) != 0) return TRUE;
  search->found = window;
  return FALSE;
}

// A visible message box of `owner` whose text starts with `start`; null if none.
HWND OwnedBox(HWND owner, const std::string& start) {
  BoxSearch search{owner, start, nullptr};
  EnumWindows(&CheckOwnedBox, reinterpret_cast<LPARAM>(&search));
  return search.found;
}

std::string Shot(const std::string& name, HWND window) {
  return test::SaveWindowShot(name, window, 40);
}

class EndToEnd : public ::testing::Test {
 protected:
  EndToEnd() { ClearProgramSettings(); }
  ~EndToEnd() override { ClearProgramSettings(); }

  // First start: no code stored, so the window shows itself with the brief instructions.
  static void AcknowledgeFirstStart(QuorSim& sim, const std::string& screenshot = "") {
    HWND howTo = sim.WaitForDialog(kHowToCaption, 15000);
    ASSERT_NE(howTo, nullptr);
    if (!screenshot.empty()) {
      test::Settle(howTo);
      test::SaveArtifact(screenshot, test::CaptureScreen({0, 0, GetSystemMetrics(SM_CXSCREEN),
                                                          GetSystemMetrics(SM_CYSCREEN)}));
    }
    ASSERT_TRUE(sim.Dismiss(howTo));
  }

  // The training outcome's message box says `caption` and `text`; it is pictured and closed.
  static void ExpectOutcome(QuorSim& sim, HWND box, const char* caption, const char* text,
                            const std::string& screenshot = "") {
    ASSERT_NE(box, nullptr) << "no message box after training\n" << sim.TrainingTrace();
    EXPECT_EQ(WindowText(box), caption) << sim.TrainingTrace();
    EXPECT_EQ(MessageBoxText(box), text);
    if (!screenshot.empty()) Shot(screenshot, box);
    ASSERT_TRUE(sim.Dismiss(box));
  }

  // A recognised press reaches `standIn` as (message, value), greys button `index` and
  // releases it again.
  static void ExpectPressDelivered(QuorSim& sim, StandIn& standIn, const std::string& key,
                                   bool pressRepeatForm, int index, const char* message,
                                   unsigned value, const std::string& screenshot = "") {
    const std::size_t before = standIn.Count(message, value);
    sim.PressLikeAPerson(key, pressRepeatForm);
    EXPECT_TRUE(WaitUntil([&] { return !sim.Enabled(index); }, 10000)) << "button never greyed";
    if (!screenshot.empty()) Shot(screenshot, sim.Main());
    EXPECT_TRUE(WaitUntil([&] { return standIn.Count(message, value) > before; }, 10000))
        << key << " did not arrive as " << message << " " << value;
    EXPECT_TRUE(WaitUntil([&] { return sim.Enabled(index); }, 10000)) << "button stayed grey";
  }

  // With Enable off a press is still recognised (its level shows, and the bar falls back a
  // second later) but nothing is sent and no button greys.
  static void ExpectPressIgnored(QuorSim& sim, StandIn& standIn, const std::string& key, int index,
                                 unsigned appCommand) {
    const std::size_t before = standIn.ReceivedSoFar().size();
    sim.PressLikeAPerson(key, true);
    bool greyed = false;
    EXPECT_TRUE(WaitUntil([&] { greyed |= !sim.Enabled(index); return sim.Level() > 0; }, 10000))
        << "the press was not recognised";
    EXPECT_TRUE(WaitUntil([&] { greyed |= !sim.Enabled(index); return sim.Level() == 0; }, 10000));
    EXPECT_FALSE(greyed);
    EXPECT_EQ(standIn.ReceivedSoFar().size(), before) << "sent although Enable is off";
    // A click sends all the same.
    const std::size_t clicks = standIn.Count("WM_APPCOMMAND", appCommand);
    PostClick(sim.Main(), kFirstButton + kVolumeUp);
    EXPECT_TRUE(WaitUntil([&] { return standIn.Count("WM_APPCOMMAND", appCommand) > clicks; }, 10000));
  }
};

TEST_F(EndToEnd, NecTrainedLiveDrivesMediaCenterUntilExitAndAfterRestart) {
  StandIn mediaCenter("eHome Render Window", "media_center.log");
  ASSERT_NE(mediaCenter.Window(), nullptr);
  {
    QuorSim sim("builtin:nec");
    ASSERT_TRUE(sim.Started());
    AcknowledgeFirstStart(sim, "e2e_first_start");
    EXPECT_TRUE(WaitUntil([&] { return sim.Caption(kPlay) == "Play !"; }, 10000)) << sim.Caption(kPlay);
    Shot("e2e_untrained_captions", sim.Main());

    HWND box = sim.Train(kPlay, "KEY_PLAY", UserHabit::kFollowsPrompts, "e2e_training_nec");
    ASSERT_NO_FATAL_FAILURE(
        ExpectOutcome(sim, box, "Information", kPressRepeatText, "e2e_box_trained_press_repeat"));
    EXPECT_EQ(sim.Caption(kPlay), "Play");
    EXPECT_EQ(sim.Caption(kStop), "Stop !");

    // A press held without the sharp first one raises the level to 100 and sends nothing;
    // the bar falls back all the same.
    Remote("press KEY_PLAY 300");
    EXPECT_TRUE(WaitUntil([&] { return sim.Level() > 0; }, 10000)) << "no level for the press";
    EXPECT_TRUE(WaitUntil([&] { return sim.Level() == 0; }, 10000)) << "the bar stayed at "
                                                                    << sim.Level();

    ExpectPressDelivered(sim, mediaCenter, "KEY_PLAY", true, kPlay, "WM_APPCOMMAND", kAppCommandPlay,
                         "e2e_greyed_after_press");

    // A click sends without the remote, and greys nothing.
    const std::size_t clicks = mediaCenter.Count("WM_APPCOMMAND", kAppCommandVolumeUp);
    PostClick(sim.Main(), kFirstButton + kVolumeUp);
    EXPECT_TRUE(WaitUntil([&] { return mediaCenter.Count("WM_APPCOMMAND", kAppCommandVolumeUp) > clicks; },
                          10000));
    EXPECT_TRUE(sim.Enabled(kVolumeUp));

    // Enable off from the tray menu.
    sim.CommandAndWait(kIdEnable);
    EXPECT_EQ(ReadSetting("Enable", 1), 0u);
    ExpectPressIgnored(sim, mediaCenter, "KEY_PLAY", kPlay, kAppCommandVolumeUp);

    // On again from the tray menu, off from the settings dialog.
    sim.CommandAndWait(kIdEnable);
    EXPECT_EQ(ReadSetting("Enable", 0), 1u);
    sim.Command(kIdSettings);
    HWND settings = sim.WaitForDialog(kSettingsCaption, 10000);
    ASSERT_NE(settings, nullptr);
    HWND enableBox = GetDlgItem(settings, kEnableBox);
    EXPECT_EQ(SendMessageA(enableBox, BM_GETCHECK, 0, 0), BST_CHECKED);
    PostClick(settings, kEnableBox);
    EXPECT_TRUE(WaitUntil([&] { return SendMessageA(enableBox, BM_GETCHECK, 0, 0) == BST_UNCHECKED; }, 5000));
    Shot("e2e_settings_enable_off", settings);
    ASSERT_TRUE(sim.Dismiss(settings));
    EXPECT_EQ(ReadSetting("Enable", 1), 0u);
    ExpectPressIgnored(sim, mediaCenter, "KEY_PLAY", kPlay, kAppCommandVolumeUp);

    ASSERT_TRUE(sim.Exit()) << "the process did not end after Exit";
    EXPECT_EQ(sim.UartAtExit(), "divisor=12 line-control=0x03");
  }
  {
    // A restart loads the trained code: no " !" on Play, and its presses work at once.
    QuorSim sim("builtin:nec");
    ASSERT_TRUE(sim.Started());
    ASSERT_TRUE(WaitUntil([&] { return sim.Caption(kStop) == "Stop !"; }, 10000));
    EXPECT_EQ(sim.Caption(kPlay), "Play");
    EXPECT_EQ(FindProcessWindow(sim.Program().Id(), kHowToCaption, "#32770"), nullptr);
    sim.CommandAndWait(kIdEnable);
    ASSERT_EQ(ReadSetting("Enable", 0), 1u);
    ExpectPressDelivered(sim, mediaCenter, "KEY_PLAY", true, kPlay, "WM_APPCOMMAND", kAppCommandPlay);
    ASSERT_TRUE(sim.Exit());
    EXPECT_EQ(sim.UartAtExit(), "divisor=12 line-control=0x03");
  }
}

TEST_F(EndToEnd, Rc5TrainedLiveDrivesMediaPlayerByCharacterAndKeystroke) {
  StandIn mediaPlayer("WMPlayerApp", "media_player.log");
  ASSERT_NE(mediaPlayer.Window(), nullptr);
  QuorSim sim("builtin:rc5");
  ASSERT_TRUE(sim.Started());
  AcknowledgeFirstStart(sim);

  // An alternating remote trains without a message box.
  EXPECT_EQ(sim.Train(kStar, "KEY_NUMERIC_STAR"), nullptr) << sim.TrainingTrace();
  EXPECT_EQ(sim.Caption(kStar), "*");
  EXPECT_EQ(sim.Train(kUp, "KEY_UP"), nullptr) << sim.TrainingTrace();
  EXPECT_EQ(sim.Caption(kUp), "Up");

  // The user watches the media player: keystrokes go to the focus of the foreground window.
  sim.CommandAndWait(IDOK);
  ASSERT_TRUE(mediaPlayer.BringToFront());
  ExpectPressDelivered(sim, mediaPlayer, "KEY_NUMERIC_STAR", false, kStar, "WM_CHAR", '*');
  ASSERT_TRUE(mediaPlayer.BringToFront());
  ExpectPressDelivered(sim, mediaPlayer, "KEY_UP", false, kUp, "WM_KEYDOWN", kVkUp);

  // QuorSim's folder has the manual but no link file: "More..." names the file it lacks.
  std::string manual = OVALINK_QUORSIM_EXE;
  manual.replace(manual.rfind("QuorSim.exe"), std::string::npos, "Quor.chm");
  EXPECT_NE(GetFileAttributesA(manual.c_str()), INVALID_FILE_ATTRIBUTES) << manual;
  sim.Command(kIdMore);
  HWND box = nullptr;
  EXPECT_TRUE(WaitUntil(
      [&] { return (box = OwnedBox(sim.Main(), "This file is missing:\n")) != nullptr; }, 10000));
  if (box != nullptr) {
    const std::string text = MessageBoxText(box);
    const std::string name = "\\More.url";
    EXPECT_TRUE(text.size() > name.size() && text.substr(text.size() - name.size()) == name)
        << text;
    EXPECT_TRUE(sim.Dismiss(box));
  }

  ASSERT_TRUE(sim.Exit());
  EXPECT_EQ(sim.UartAtExit(), "divisor=12 line-control=0x03");
}

TEST_F(EndToEnd, TrainingOutcomesShowTheirMessageBoxes) {
  // Something to receive a stray press, so that no send-error dialog comes between.
  StandIn mediaCenter("eHome Render Window", "outcomes_media_center.log");
  QuorSim sim("builtin:nec");
  ASSERT_TRUE(sim.Started());
  AcknowledgeFirstStart(sim);

  ASSERT_NO_FATAL_FAILURE(ExpectOutcome(sim, sim.Train(kStop, "KEY_STOP", UserHabit::kNeverPresses),
                                        "Error", kNotTrainedText, "e2e_box_not_trained"));
  EXPECT_EQ(sim.Caption(kStop), "Stop !");

  // Held keys where sharp ones were asked for: the code is stored, with a doubt. (Before
  // any other NEC code exists: its repeat shape would otherwise be taken for a duplicate.)
  ASSERT_NO_FATAL_FAILURE(
      ExpectOutcome(sim, sim.Train(kSkip, "KEY_NEXT", UserHabit::kHoldsInsteadOfTapping),
                    "Information", kUnsureText, "e2e_box_trained_unsure"));
  EXPECT_EQ(sim.Caption(kSkip), "Skip");

  ASSERT_NO_FATAL_FAILURE(
      ExpectOutcome(sim, sim.Train(kPlay, "KEY_PLAY"), "Information", kPressRepeatText));
  ASSERT_NO_FATAL_FAILURE(ExpectOutcome(sim, sim.Train(kPause, "KEY_PLAY"), "Duplicated Command",
                                        kDuplicateText, "e2e_box_duplicated"));
  EXPECT_EQ(sim.Caption(kPause), "Pause !");

  ASSERT_TRUE(sim.Exit());
}

}  // namespace
}  // namespace ovalink::e2e
