#include "commands/press_delivery.h"

#include <gtest/gtest.h>

#include "commands/command_delivery.h"
#include "platform/memory/memory_registry_store.h"
#include "tests/unit/recording_target_system.h"

namespace ovalink {
namespace {

class PressDeliveryTest : public ::testing::Test {
 protected:
  MemoryRegistryStore store;
  RecordingTargetSystem system;
  CommandMap map{system, store};
};

TEST_F(PressDeliveryTest, EachOutcomeSaysWhatTheWindowShows) {
  const struct {
    const char* what;
    std::uint32_t press;
    bool enabled;
    bool targetRuns;
    bool attempted;
    SendResult result;
    bool highlight;
    bool reportSendError;
  } cases[] = {
      {"sent", 0x0007, true, true, true, SendResult::Sent, true, false},
      {"repeat of Play", 0x0003, true, true, true, SendResult::Sent, true, false},
      {"held Play again", 0x0003, true, true, true, SendResult::RepeatSuppressed, false, false},
      {"no target", 0x8003, true, false, true, SendResult::TargetNotFound, true, true},
      {"unbound button", 0x0040, true, true, true, SendResult::NoCommand, false, false},
      {"Enable off", 0x0005, false, true, false, SendResult::NoCommand, false, false},
      {"no press", 0xFFFFFFFFu, true, true, false, SendResult::NoCommand, false, false},
  };
  WindowHandle player = 0;
  for (const auto& c : cases) {
    if (c.targetRuns && player == 0) player = system.AddWindow(kMediaPlayerClass);
    if (!c.targetRuns && player != 0) {
      system.RemoveWindow(player);
      player = 0;
    }
    system.ClearLog();
    const PressOutcome outcome = DeliverPress(map, c.press, c.enabled);
    EXPECT_EQ(outcome.attempted, c.attempted) << c.what;
    if (c.attempted) {
      EXPECT_EQ(outcome.result, c.result) << c.what;
    }
    EXPECT_EQ(outcome.button, int(c.press & 0x7FFF)) << c.what;
    EXPECT_EQ(outcome.highlight, c.highlight) << c.what;
    EXPECT_EQ(outcome.reportSendError, c.reportSendError) << c.what;
    EXPECT_EQ(!system.Actions().empty(), c.result == SendResult::Sent && c.attempted) << c.what;
  }
}

}  // namespace
}  // namespace ovalink
