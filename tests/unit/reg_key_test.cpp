#include "app/reg_key.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "platform/memory/memory_registry_store.h"

namespace ovalink {
namespace {

const char* const kSettings = "SOFTWARE\\Quor\\1.5";

class RegKeyTest : public ::testing::Test {
 protected:
  MemoryRegistryStore store;
};

TEST_F(RegKeyTest, ReadDwordWritesMissingDefaultBackAndThenReadsIt) {
  {
    RegKey key(store, RegRoot::CurrentUser, kSettings);
    ASSERT_TRUE(key.IsOpen());
    EXPECT_EQ(key.ReadDword("MinReads", 10), 10u);
  }
  RegKey key(store, RegRoot::CurrentUser, kSettings);
  EXPECT_EQ(key.ReadDword("MinReads", 99), 10u);
}

TEST_F(RegKeyTest, ReadDwordRewritesValueOfWrongTypeOrSize) {
  RegKey key(store, RegRoot::CurrentUser, kSettings);
  key.WriteString("Enable", "0");
  EXPECT_EQ(key.ReadDword("Enable", 1), 1u);
  std::uint8_t eight[8] = {7};
  key.WriteBinary("Limit", eight, sizeof eight);
  EXPECT_EQ(key.ReadDword("Limit", 2), 2u);
  RegType type = RegType::None;
  std::uint32_t size = 0;
  RegHandle h = 0;
  ASSERT_EQ(store.CreateKey(RegRoot::CurrentUser, kSettings, &h), kRegOk);
  ASSERT_EQ(store.QueryValue(h, "enable", &type, nullptr, &size), kRegOk);
  EXPECT_EQ(type, RegType::Dword);
  EXPECT_EQ(size, 4u);
  store.CloseKey(h);
}

TEST_F(RegKeyTest, ReadBinaryAcceptsOnlyExactSizeAndType) {
  RegKey key(store, RegRoot::CurrentUser, "SOFTWARE\\Quor\\1.5\\Codes1");
  std::vector<std::uint8_t> data(1001, 1);
  std::vector<std::uint8_t> buffer(1000);
  key.WriteBinary("999", data.data(), 999);
  key.WriteBinary("1000", data.data(), 1000);
  key.WriteBinary("1001", data.data(), 1001);
  key.WriteDword("dword", 1);
  EXPECT_EQ(key.ReadBinary("999", buffer.data(), 1000), 1);
  EXPECT_EQ(key.ReadBinary("1001", buffer.data(), 1000), 1);
  EXPECT_EQ(key.ReadBinary("dword", buffer.data(), 1000), 1);
  EXPECT_EQ(key.ReadBinary("missing", buffer.data(), 1000), 1);
  EXPECT_EQ(key.ReadBinary("1000", buffer.data(), 1000), 0);
  EXPECT_EQ(buffer, std::vector<std::uint8_t>(1000, 1));
}

TEST_F(RegKeyTest, EnumerationKeepsOrderAndStopsAtTooLongName) {
  RegKey key(store, RegRoot::CurrentUser, "SOFTWARE\\Quor\\1.5\\Codes1");
  key.WriteDword("5", 0);
  key.WriteDword("1", 0);
  key.WriteDword(std::string(998, 'a'), 0);
  key.WriteDword(std::string(999, 'b'), 0);
  key.WriteDword("7", 0);
  key.WriteDword("5", 3);  // a rewrite keeps its place
  std::vector<std::string> names{"stale"};
  key.EnumValueNames(names);
  ASSERT_EQ(names.size(), 3u);
  EXPECT_EQ(names[0], "5");
  EXPECT_EQ(names[1], "1");
  EXPECT_EQ(names[2], std::string(998, 'a'));
}

TEST_F(RegKeyTest, KeyThatCannotBeOpenedMakesEveryOperationHarmless) {
  store.SetRefuseOpen(true);
  RegKey key(store, RegRoot::CurrentUser, kSettings);
  EXPECT_FALSE(key.IsOpen());
  EXPECT_EQ(key.ReadDword("MinReads", 10), 10u);
  std::uint8_t buffer[48];
  EXPECT_EQ(key.ReadBinary("0", buffer, 48), 1);
  std::vector<std::string> names{"untouched"};
  key.EnumValueNames(names);
  EXPECT_EQ(names, std::vector<std::string>{"untouched"});
  key.WriteString("Quor", "x");
  EXPECT_NE(key.DeleteValue("Quor"), kRegOk);
  store.SetRefuseOpen(false);
  RegKey reopened(store, RegRoot::CurrentUser, kSettings);
  std::vector<std::string> none;
  reopened.EnumValueNames(none);
  EXPECT_TRUE(none.empty());
}

TEST_F(RegKeyTest, AKeyThatMayOnlyBeReadIsReadAndOnlyItsWritesFail) {
  const std::string codes1 = std::string(kSettings) + "\\Codes1";
  RegKey(store, RegRoot::CurrentUser, codes1).WriteDword("5", 7);
  store.SetKeyReadOnly(codes1, true);
  {
    RegKey key(store, RegRoot::CurrentUser, codes1);
    ASSERT_TRUE(key.IsOpen());
    std::vector<std::string> names;
    key.EnumValueNames(names);
    EXPECT_EQ(names, std::vector<std::string>{"5"});
    EXPECT_EQ(key.ReadDword("5", 0), 7u);
    EXPECT_EQ(key.ReadDword("6", 9), 9u) << "the default, though it cannot be written back";
    EXPECT_EQ(key.WriteDword("5", 8), kRegAccessDenied);
    EXPECT_EQ(key.DeleteValue("5"), kRegAccessDenied);
  }
  // A missing key that cannot be created is not opened at all.
  const std::string codes2 = std::string(kSettings) + "\\Codes2";
  store.SetKeyReadOnly(codes2, true);
  EXPECT_FALSE(RegKey(store, RegRoot::CurrentUser, codes2).IsOpen());
  store.SetKeyReadOnly(codes1, false);
  EXPECT_EQ(RegKey(store, RegRoot::CurrentUser, codes1).ReadDword("5", 0), 7u);
  EXPECT_EQ(RegKey(store, RegRoot::CurrentUser, codes1).WriteDword("5", 8), kRegOk);
  EXPECT_EQ(store.OpenHandleCount(), 0u);
}

TEST_F(RegKeyTest, DeleteValueAndCloseReleaseEverything) {
  {
    RegKey key(store, RegRoot::CurrentUser, kSettings);
    key.WriteDword("Port", 0x2F8);
    EXPECT_EQ(key.DeleteValue("PORT"), kRegOk);
    EXPECT_EQ(key.DeleteValue("Port"), kRegNotFound);
    RegKey moved = std::move(key);
    EXPECT_FALSE(key.IsOpen());
    EXPECT_TRUE(moved.IsOpen());
  }
  EXPECT_EQ(store.OpenHandleCount(), 0u);
}

}  // namespace
}  // namespace ovalink
