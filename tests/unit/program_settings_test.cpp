#include "engine/program_settings.h"

#include <gtest/gtest.h>

#include "app/reg_key.h"
#include "app/registry_layout.h"
#include "support/engine_fixture.h"

namespace ovalink {
namespace {

class ProgramSettingsTest : public ::testing::Test {
 protected:
  RegKey Settings() { return RegKey(RegRoot::CurrentUser, kSettingsKey); }
  std::uint32_t StoredPort() { return Settings().ReadDword(kPortValue, 0xDEAD); }
  static void Unguarded(const std::function<void()>& operation) { operation(); }

  test::SimulatedPc pc;  // a UART at 0x3F8, and the registry
};

TEST_F(ProgramSettingsTest, OnlyLegacyBasesAreReadOrWrittenAsThePort) {
  for (const std::uint32_t base : {0x3F8u, 0x2F8u, 0x3E8u, 0x2E8u}) {
    EXPECT_TRUE(WritePortSetting(base)) << std::hex << base;
    EXPECT_EQ(ReadPortSetting(), base) << std::hex << base;
  }
  EXPECT_TRUE(WritePortSetting(0));
  EXPECT_EQ(ReadPortSetting(), 0u);
  for (const std::uint32_t other : {0x3F7u, 0x3F9u, 0x2E7u, 0x2E9u, 0x80u, 0xFFFFFFFFu}) {
    ASSERT_TRUE(WritePortSetting(0));
    EXPECT_FALSE(WritePortSetting(other)) << std::hex << other;
    EXPECT_EQ(StoredPort(), 0u) << "not written: " << std::hex << other;
    Settings().WriteDword(kPortValue, other);
    EXPECT_EQ(ReadPortSetting(), 0u) << "hand-edited " << std::hex << other;
  }
}

TEST_F(ProgramSettingsTest, AStoredBaseIsSelectedElseOneIsDetectedAndStored) {
  Port port(pc.bus);
  Settings().WriteDword(kPortValue, 0x2F8);
  EXPECT_EQ(SelectStoredPort(port, &Unguarded), 0x2F8u) << "no probe: nothing answers there";
  EXPECT_EQ(port.Base(), 0x2F8);

  Settings().WriteDword(kPortValue, 0x3F9);
  EXPECT_EQ(SelectStoredPort(port, &Unguarded), 0x3F8u);
  EXPECT_EQ(StoredPort(), 0x3F8u) << "the hand-edited value gave way to a detected one";

  SelectPort(port, 0x3F9, &Unguarded);
  EXPECT_EQ(port.Base(), 0x3F8) << "no UART is programmed at another address";
  EXPECT_EQ(StoredPort(), 0x3F8u);
  SelectPort(port, 0x3E8, &Unguarded);
  EXPECT_EQ(port.Base(), 0x3E8);
  EXPECT_EQ(StoredPort(), 0x3E8u);
}

TEST_F(ProgramSettingsTest, EnableIsOnUntilStoredOtherwise) {
  EXPECT_EQ(ReadEnableSetting(), 1u);
  EXPECT_EQ(Settings().ReadDword(kEnableValue, 7), 1u) << "written back";
  WriteEnableSetting(0);
  EXPECT_EQ(ReadEnableSetting(), 0u);
}

}  // namespace
}  // namespace ovalink
