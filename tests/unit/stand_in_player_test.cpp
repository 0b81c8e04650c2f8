#include "sim/stand_in_player.h"

#include <gtest/gtest.h>

#include <sstream>
#include <string>

#include "commands/builtin_commands.h"
#include "commands/command_map.h"
#include "platform/memory/memory_registry_store.h"

namespace ovalink::sim {
namespace {

class StandInPlayerTest : public ::testing::Test {
 protected:
  std::string Take() {
    std::string text = out.str();
    out.str("");
    return text;
  }

  std::ostringstream out;
  StandInPlayer player{out};
  MemoryRegistryStore store;
  CommandMap commands{player, store};
};

TEST_F(StandInPlayerTest, DescribesEveryBuiltInCommandInWords) {
  player.SetMediaPlayerRunning(true);
  for (std::uint16_t button = 0; button < kBuiltinCommandCount; ++button) {
    SCOPED_TRACE("button " + std::to_string(button));
    ASSERT_EQ(commands.SendCommand(button, true), SendResult::Sent);
    const std::string text = Take();
    EXPECT_NE(text.find("WMPlayerApp ← "), std::string::npos) << text;
    EXPECT_EQ(text.find("0x"), std::string::npos) << "unnamed code in: " << text;
    EXPECT_EQ(text.find("✗"), std::string::npos) << text;
  }
}

TEST_F(StandInPlayerTest, PrintsWhatTheTargetReceives) {
  player.SetMediaPlayerRunning(true);
  commands.SendCommand(7, false);
  EXPECT_EQ(Take(), "WMPlayerApp ← WM_APPCOMMAND APPCOMMAND_VOLUME_UP\n");
  commands.SendCommand(29, false);
  EXPECT_EQ(Take(), "WMPlayerApp ← WM_CHAR '*'\n");
  commands.SendCommand(12, false);
  EXPECT_EQ(Take(), "WMPlayerApp ← WM_NULL\n");
  commands.SendCommand(11, false);
  EXPECT_EQ(Take(),
            "(input attached to WMPlayerApp's thread)\n"
            "WMPlayerApp ← focus\n"
            "WMPlayerApp ← key VK_UP down\n"
            "WMPlayerApp ← key VK_UP up\n"
            "(input detached from WMPlayerApp's thread)\n");
  EXPECT_FALSE(player.InputAttached());
  EXPECT_EQ(player.FocusWindow(), StandInPlayer::kMediaPlayerWindow);
}

TEST_F(StandInPlayerTest, TargetFollowsWhichApplicationsRun) {
  EXPECT_EQ(commands.SendCommand(3, true), SendResult::TargetNotFound);
  EXPECT_EQ(Take(), "");
  player.SetMediaPlayerRunning(true);
  player.SetMediaCenterRunning(true);
  commands.SendCommand(3, true);
  EXPECT_EQ(Take(), "eHome Render Window ← WM_APPCOMMAND APPCOMMAND_MEDIA_PLAY\n");
  player.SetMediaCenterRunning(false);
  commands.SendCommand(3, true);
  EXPECT_EQ(Take(), "WMPlayerApp ← WM_APPCOMMAND APPCOMMAND_MEDIA_PLAY\n");
}

}  // namespace
}  // namespace ovalink::sim
