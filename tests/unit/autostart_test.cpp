#include "app/autostart.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <string>
#include <vector>

#include "platform/path_beside_program.h"
#include "app/reg_key.h"
#include "platform/memory/memory_registry_store.h"

namespace ovalink {
namespace {

const char* const kRunKey = "SOFTWARE\\Microsoft\\Windows\\CurrentVersion\\Run";

class AutostartTest : public ::testing::Test {
 protected:
  void SetUp() override { InstallRegistry(&store_); }
  void TearDown() override { InstallRegistry(nullptr); }

  std::vector<std::string> RunNames() {
    std::vector<std::string> names;
    RegKey(store_, RegRoot::CurrentUser, kRunKey).EnumValueNames(names);
    return names;
  }

  MemoryRegistryStore store_;
};

TEST_F(AutostartTest, TickedWritesQuorExeBesideTheProgramUntickedRemovesIt) {
  char* folder = realpath(OVALINK_BINARY_DIR "/tests/unit", nullptr);
  ASSERT_NE(folder, nullptr);
  const std::string expected = std::string(folder) + "/Quor.exe";
  std::free(folder);
  EXPECT_EQ(PathBesideProgram("Quor.exe"), expected);

  RegKey(store_, RegRoot::CurrentUser, kRunKey).WriteString("Other", "x");
  ApplyAutostart(true);
  ApplyAutostart(true);
  EXPECT_EQ(RunNames(), (std::vector<std::string>{"Other", "Quor"}));
  char text[4096] = {};
  std::uint32_t size = sizeof text;
  RegType type = RegType::None;
  RegHandle handle = 0;
  ASSERT_EQ(store_.CreateKey(RegRoot::CurrentUser, kRunKey, &handle), kRegOk);
  ASSERT_EQ(store_.QueryValue(handle, "Quor", &type, reinterpret_cast<std::uint8_t*>(text), &size),
            kRegOk);
  store_.CloseKey(handle);
  EXPECT_EQ(type, RegType::String);
  EXPECT_EQ(std::string(text, size), expected + '\0');

  ApplyAutostart(false);
  EXPECT_EQ(RunNames(), std::vector<std::string>{"Other"});
  ApplyAutostart(false);  // nothing to remove: no harm
  EXPECT_EQ(RunNames(), std::vector<std::string>{"Other"});
  EXPECT_EQ(store_.OpenHandleCount(), 0u);
}

}  // namespace
}  // namespace ovalink
