#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "app/reg_key.h"
#include "app/registry_layout.h"
#include "commands/command_delivery.h"
#include "commands/command_map.h"
#include "platform/memory/memory_registry_store.h"
#include "tests/unit/recording_target_system.h"

namespace ovalink {
namespace {

using Lines = std::vector<std::string>;
using Rts = RecordingTargetSystem;

class SendCommandTest : public ::testing::Test {
 protected:
  // Binds only the given records, as a hand-edited Commands key would.
  void Bind(const std::string& name, const RemoteCommand& command) {
    const RemoteCommandBytes bytes = SerializeCommand(command);
    RegKey(store, RegRoot::CurrentUser, kCommandsKey).WriteBinary(name, bytes.data(), 48);
  }

  std::string PostLine(WindowHandle window, std::uint32_t message, std::uintptr_t wParam,
                       std::uintptr_t lParam) {
    return "post " + Rts::Hex(window) + " message " + Rts::Hex(message) + " wParam " +
           Rts::Hex(wParam) + " lParam " + Rts::Hex(lParam);
  }

  MemoryRegistryStore store;
  RecordingTargetSystem system;
};

TEST_F(SendCommandTest, MediaCenterIsPreferredAndTheSearchIsRepeatedForEveryCommand) {
  CommandMap map(system, store);
  const WindowHandle player = system.AddWindow(kMediaPlayerClass);

  EXPECT_EQ(map.SendCommand(3, false), SendResult::Sent);
  EXPECT_EQ(system.Searches(), (Lines{kMediaCenterClass, kMediaPlayerClass}));
  const WindowHandle center = system.AddWindow(kMediaCenterClass, 3);
  EXPECT_EQ(map.SendCommand(7, false), SendResult::Sent);
  EXPECT_EQ(system.Actions(), (Lines{PostLine(player, 0x319, player, 0x2E0000),
                                     PostLine(center, 0x319, center, 0xA0000)}));
  EXPECT_EQ(FindTargetWindow(system), center);
}

TEST_F(SendCommandTest, PostedFormsCarryTheTargetHandleOrTheStoredParameters) {
  CommandMap map(system, store);
  const WindowHandle target = system.AddWindow(kMediaPlayerClass);

  EXPECT_EQ(map.SendCommand(18, true), SendResult::Sent);  // Mute
  EXPECT_EQ(map.SendCommand(12, true), SendResult::Sent);  // More
  EXPECT_EQ(map.SendCommand(29, true), SendResult::Sent);  // *
  EXPECT_EQ(map.SendCommand(31, true), SendResult::Sent);  // #
  EXPECT_EQ(system.Actions(), (Lines{PostLine(target, 0x319, target, 0x80000),
                                     PostLine(target, 0, 0, 0),
                                     PostLine(target, 0x102, 0x2A, 0x90001),
                                     PostLine(target, 0x102, 0x23, 0x40001)}));
}

TEST_F(SendCommandTest, KeystrokeToAnUnfocusedTargetMovesTheFocusInsideOneAttachment) {
  CommandMap map(system, store);
  const WindowHandle target = system.AddWindow(kMediaCenterClass, 5);

  EXPECT_EQ(map.SendCommand(11, false), SendResult::Sent);  // Up
  EXPECT_EQ(system.Actions(), (Lines{"attach 1 to 5", "focus " + Rts::Hex(target),
                                     "key down 0x26", "key up 0x26", "detach 1 from 5"}));
  EXPECT_FALSE(system.AnyAttachment());
  EXPECT_EQ(system.FocusWindow(), target) << "the target keeps the focus";

  // Detached again, the caller no longer sees that focus: the next key attaches anew.
  system.ClearLog();
  EXPECT_EQ(map.SendCommand(11, false), SendResult::Sent);
  EXPECT_EQ(system.Actions().size(), 5u);
  EXPECT_FALSE(system.AnyAttachment());
}

TEST_F(SendCommandTest, TargetClosingDuringTheKeystrokeStillEndsTheAttachment) {
  CommandMap map(system, store);
  const WindowHandle target = system.AddWindow(kMediaCenterClass, 5);
  system.CloseOnKey(target);

  EXPECT_EQ(map.SendCommand(16, false), SendResult::Sent);  // Down
  EXPECT_EQ(system.Actions().back(), "detach 1 from 5");
  EXPECT_FALSE(system.AnyAttachment());
}

TEST_F(SendCommandTest, KeystrokeToTheFocusedTargetLeavesFocusAndInputAlone) {
  CommandMap map(system, store);
  const WindowHandle target = system.AddWindow(kMediaPlayerClass, Rts::kOwnThread);
  system.GiveFocus(target);

  EXPECT_EQ(map.SendCommand(33, false), SendResult::Sent);  // Enter
  EXPECT_EQ(system.Actions(), (Lines{"key down 0xd", "key up 0xd"}));
}

TEST_F(SendCommandTest, HandEditedRecordsAreDeliveredAsStored) {
  // An application command with a real wParam is posted with it, not dropped.
  Bind("0", {0, 0x319, 0x1234, 0x2E0000, {}});
  // Only the lowest byte of a keystroke's wParam is the key; its lParam is not replayed.
  Bind("1", {0, 0x100, 0xAB26, 0x7FFFFFFF, {}});
  // Any other message goes out unchanged.
  Bind("2", {0, 0x111, 0x9000, 0x80000001, {}});
  CommandMap map(system, store);
  const WindowHandle target = system.AddWindow(kMediaPlayerClass, Rts::kOwnThread);
  system.GiveFocus(target);

  EXPECT_EQ(map.SendCommand(0, true), SendResult::Sent);
  EXPECT_EQ(map.SendCommand(1, true), SendResult::Sent);
  EXPECT_EQ(map.SendCommand(2, true), SendResult::Sent);
  EXPECT_EQ(system.Actions(),
            (Lines{PostLine(target, 0x319, 0x1234, 0x2E0000), "key down 0x26", "key up 0x26",
                   PostLine(target, 0x111, 0x9000, 0x80000001)}));
}

TEST_F(SendCommandTest, UnboundButtonGivesNoCommandAndTouchesNothing) {
  Bind("3", {0, 0x319, 0xFFFFFFFF, 0x2E0000, {}});
  CommandMap map(system, store);
  system.AddWindow(kMediaPlayerClass);

  EXPECT_EQ(map.SendCommand(3, false), SendResult::Sent);
  EXPECT_EQ(map.SendCommand(5, false), SendResult::NoCommand);
  EXPECT_EQ(map.SendCommand(5, true), SendResult::NoCommand);
  EXPECT_EQ(map.lastPress(), 3);
  EXPECT_EQ(system.Searches().size(), 2u) << "only the Play press looked for a target";
  EXPECT_EQ(system.Actions().size(), 1u);
}

TEST_F(SendCommandTest, SuppressedRepeatSendsNothing) {
  CommandMap map(system, store);
  system.AddWindow(kMediaPlayerClass);

  EXPECT_EQ(map.SendCommand(0x8003, false), SendResult::Sent);
  system.ClearLog();
  EXPECT_EQ(map.SendCommand(0x8003, false), SendResult::RepeatSuppressed);
  EXPECT_TRUE(system.Searches().empty());
  EXPECT_TRUE(system.Actions().empty());
}

TEST_F(SendCommandTest, MissingTargetIsReportedAfterTheFilterRecordedThePress) {
  CommandMap map(system, store);

  EXPECT_EQ(map.SendCommand(3, false), SendResult::TargetNotFound);
  EXPECT_EQ(map.lastPress(), 3);
  EXPECT_TRUE(system.Actions().empty());
  system.AddWindow(kMediaPlayerClass);
  EXPECT_EQ(map.SendCommand(3, false), SendResult::RepeatSuppressed)
      << "the press that found no target still counts as the last one";
}

TEST_F(SendCommandTest, ClicksBypassTheFilterAndLeaveLastPressAlone) {
  CommandMap map(system, store);
  system.AddWindow(kMediaPlayerClass);

  EXPECT_EQ(map.SendCommand(3, true), SendResult::Sent);
  EXPECT_EQ(map.lastPress(), 0xFFFF);
  EXPECT_EQ(map.SendCommand(3, false), SendResult::Sent);
  EXPECT_EQ(map.SendCommand(3, false), SendResult::RepeatSuppressed);
  EXPECT_EQ(map.SendCommand(3, true), SendResult::Sent) << "a click after a suppressed repeat";
  EXPECT_EQ(map.lastPress(), 3);
  EXPECT_EQ(map.SendCommand(3, false), SendResult::RepeatSuppressed);
  EXPECT_EQ(system.Actions().size(), 3u);
}

TEST_F(SendCommandTest, OnlyTheLow16BitsOfThePressValueCount) {
  CommandMap map(system, store);
  system.AddWindow(kMediaPlayerClass);

  EXPECT_EQ(map.SendCommand(0x10003, false), SendResult::Sent);
  EXPECT_EQ(map.lastPress(), 3);
  EXPECT_EQ(map.SendCommand(0xFFFFFFFF, false), SendResult::NoCommand) << "index 0x7FFF";
}

}  // namespace
}  // namespace ovalink
