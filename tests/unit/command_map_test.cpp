#include "commands/command_map.h"

#include <gtest/gtest.h>

#include <cstdint>
#include <set>
#include <string>
#include <vector>

#include "app/reg_key.h"
#include "app/registry_layout.h"
#include "commands/builtin_commands.h"
#include "platform/memory/memory_registry_store.h"
#include "tests/unit/recording_target_system.h"

namespace ovalink {
namespace {

using Bytes = std::vector<std::uint8_t>;

// The first 16 bytes of each seeded value, as they must appear in the registry: repeatable,
// message, wParam, lParam, each little-endian. The 32 reserved bytes that follow are zero.
const char* const kGoldenHeads[34] = {
    "00000000 19030000 ffffffff 00000d00",  // 0 Stop
    "00000000 19030000 ffffffff 00002f00",  // 1 Pause
    "01000000 19030000 ffffffff 00003200",  // 2 Rew
    "00000000 19030000 ffffffff 00002e00",  // 3 Play
    "01000000 19030000 ffffffff 00003100",  // 4 Fwd
    "00000000 19030000 ffffffff 00000c00",  // 5 Replay
    "00000000 19030000 ffffffff 00000b00",  // 6 Skip
    "01000000 19030000 ffffffff 00000a00",  // 7 Vol+
    "01000000 19030000 ffffffff 00000900",  // 8 Vol-
    "00000000 19030000 ffffffff 00003000",  // 9 Rec
    "00000000 19030000 ffffffff 00000100",  // 10 Back
    "01000000 00010000 26000000 01004801",  // 11 Up
    "00000000 00000000 00000000 00000000",  // 12 More
    "01000000 00010000 25000000 01004b01",  // 13 Left
    "00000000 00010000 0d000000 01001c00",  // 14 OK
    "01000000 00010000 27000000 01004d01",  // 15 Right
    "01000000 00010000 28000000 01005001",  // 16 Down
    "01000000 19030000 ffffffff 00003300",  // 17 Ch+
    "00000000 19030000 ffffffff 00000800",  // 18 Mute
    "01000000 19030000 ffffffff 00003400",  // 19 Ch-
    "00000000 00010000 31000000 01000200",  // 20 1
    "00000000 00010000 32000000 01000300",  // 21 2
    "00000000 00010000 33000000 01000400",  // 22 3
    "00000000 00010000 34000000 01000500",  // 23 4
    "00000000 00010000 35000000 01000600",  // 24 5
    "00000000 00010000 36000000 01000700",  // 25 6
    "00000000 00010000 37000000 01000800",  // 26 7
    "00000000 00010000 38000000 01000900",  // 27 8
    "00000000 00010000 39000000 01000a00",  // 28 9
    "00000000 02010000 2a000000 01000900",  // 29 *
    "00000000 00010000 30000000 01000b00",  // 30 0
    "00000000 02010000 23000000 01000400",  // 31 #
    "00000000 00010000 08000000 01000100",  // 32 Clear
    "00000000 00010000 0d000000 01001c00",  // 33 Enter
};

Bytes GoldenValue(int index) {
  Bytes bytes;
  const std::string hex = kGoldenHeads[index];
  for (std::size_t i = 0; i < hex.size();) {
    if (hex[i] == ' ') {
      ++i;
      continue;
    }
    bytes.push_back(static_cast<std::uint8_t>(std::stoi(hex.substr(i, 2), nullptr, 16)));
    i += 2;
  }
  bytes.resize(48, 0);
  return bytes;
}

RemoteCommand Record(std::uint32_t repeatable, std::uint32_t message, std::uint32_t wParam,
                     std::uint32_t lParam) {
  return {repeatable, message, wParam, lParam, {}};
}

class CommandMapTest : public ::testing::Test {
 protected:
  RegKey Commands() { return RegKey(store, RegRoot::CurrentUser, kCommandsKey); }

  void Put(const std::string& name, const RemoteCommand& command) {
    const RemoteCommandBytes bytes = SerializeCommand(command);
    Commands().WriteBinary(name, bytes.data(), static_cast<std::uint32_t>(bytes.size()));
  }

  std::vector<std::string> StoredNames() {
    std::vector<std::string> names;
    Commands().EnumValueNames(names);
    return names;
  }

  Bytes StoredValue(const std::string& name) {
    RegHandle key = 0;
    EXPECT_EQ(store.CreateKey(RegRoot::CurrentUser, kCommandsKey, &key), kRegOk);
    Bytes data(64);
    std::uint32_t size = static_cast<std::uint32_t>(data.size());
    RegType type = RegType::None;
    EXPECT_EQ(store.QueryValue(key, name, &type, data.data(), &size), kRegOk);
    EXPECT_EQ(type, RegType::Binary) << name;
    store.CloseKey(key);
    data.resize(size);
    return data;
  }

  MemoryRegistryStore store;
  RecordingTargetSystem system;
};

TEST_F(CommandMapTest, FirstRunSeedsTheKeyWithTheBuiltInTableByteForByte) {
  CommandMap map(system, store);

  ASSERT_EQ(map.Commands().size(), 34u);
  std::vector<std::string> expectedNames;
  for (int i = 0; i < 34; ++i) expectedNames.push_back(std::to_string(i));
  EXPECT_EQ(StoredNames(), expectedNames);
  for (int i = 0; i < 34; ++i) {
    SCOPED_TRACE("button " + std::to_string(i));
    EXPECT_EQ(StoredValue(std::to_string(i)), GoldenValue(i));
    const RemoteCommandBytes inMemory = SerializeCommand(map.Commands().at(std::uint16_t(i)));
    EXPECT_EQ(Bytes(inMemory.begin(), inMemory.end()), GoldenValue(i));
  }
  EXPECT_EQ(store.OpenHandleCount(), 0u);
}

TEST_F(CommandMapTest, SerialisationIsLittleEndianFieldByFieldAndRoundTrips) {
  RemoteCommand command = Record(0x04030201, 0x08070605, 0x0C0B0A09, 0x100F0E0D);
  for (std::size_t i = 0; i < command.reserved.size(); ++i)
    command.reserved[i] = static_cast<std::uint8_t>(0x11 + i);
  const RemoteCommandBytes bytes = SerializeCommand(command);
  for (std::size_t i = 0; i < bytes.size(); ++i) EXPECT_EQ(bytes[i], i + 1) << "byte " << i;
  EXPECT_EQ(DeserializeCommand(bytes), command);
}

TEST_F(CommandMapTest, ExistingValuesAreLoadedAloneAndNothingIsReseeded) {
  Put("3", BuiltinCommands()[3]);
  CommandMap map(system, store);

  ASSERT_EQ(map.Commands().size(), 1u);
  ASSERT_NE(map.FindCommand(3), nullptr);
  EXPECT_EQ(*map.FindCommand(3), BuiltinCommands()[3]);
  for (std::uint16_t button = 0; button < 34; ++button) {
    if (button != 3) {
      EXPECT_EQ(map.FindCommand(button), nullptr) << button;
    }
  }
  EXPECT_EQ(StoredNames(), std::vector<std::string>{"3"});
}

TEST_F(CommandMapTest, OnlyBinaryValuesOfExactly48BytesBindTheirButton) {
  const std::uint8_t data[49] = {1};
  Commands().WriteBinary("5", data, 47);
  Commands().WriteBinary("6", data, 49);
  Commands().WriteDword("7", 1);
  Commands().WriteString("8", std::string(47, 'x'));
  Put("9", BuiltinCommands()[9]);
  CommandMap map(system, store);

  EXPECT_EQ(map.Commands().size(), 1u) << "nothing seeded beside the unreadable values";
  for (std::uint16_t button : {5, 6, 7, 8}) EXPECT_EQ(map.FindCommand(button), nullptr) << button;
  EXPECT_NE(map.FindCommand(9), nullptr);
}

TEST_F(CommandMapTest, OnlyValuesNamedByAButtonBindIt) {
  const RemoteCommand stray = Record(0, 0x400, 1, 1);
  const RemoteCommand play = Record(0, 0x400, 2, 2);
  for (const char* name : {"3abc", "03", " 3", "+3", "abc", "-3", "34", "65539", "99999999999"}) {
    Put(name, stray);
  }
  Put("3", play);
  CommandMap map(system, store);

  ASSERT_EQ(map.Commands().size(), 1u);
  ASSERT_NE(map.FindCommand(3), nullptr);
  EXPECT_EQ(*map.FindCommand(3), play) << "no stray name rebinds Play";
  EXPECT_EQ(map.FindCommand(0), nullptr) << "\"abc\" binds nothing";
  EXPECT_EQ(map.FindCommand(0x7FFD), nullptr);
}

TEST_F(CommandMapTest, AKeyThatCannotBeOpenedGivesTheBuiltInsForThisRunOnly) {
  store.SetRefuseOpen(true);
  CommandMap map(system, store);
  store.SetRefuseOpen(false);

  EXPECT_EQ(map.Commands().size(), 34u);
  EXPECT_TRUE(StoredNames().empty());
}

TEST_F(CommandMapTest, LookupIgnoresTheAlternateMarker) {
  CommandMap map(system, store);
  ASSERT_NE(map.FindCommand(0x0003), nullptr);
  EXPECT_EQ(map.FindCommand(0x8003), map.FindCommand(0x0003));
  EXPECT_EQ(*map.FindCommand(0x8003), BuiltinCommands()[3]);
}

class RepeatFilterTest : public CommandMapTest {
 protected:
  std::vector<bool> Run(CommandMap& map, std::vector<std::uint16_t> presses) {
    std::vector<bool> passed;
    for (std::uint16_t press : presses) {
      const RemoteCommand* command = map.FindCommand(press);
      EXPECT_NE(command, nullptr);
      passed.push_back(map.PassRepeatFilter(press, *command));
    }
    return passed;
  }
};

TEST_F(RepeatFilterTest, HeldRepeatsPassOnlyForRepeatableCommands) {
  using V = std::vector<bool>;
  {
    CommandMap map(system, store);
    EXPECT_EQ(Run(map, {7, 7, 7}), (V{true, true, true})) << "Vol+ repeats";
  }
  {
    CommandMap map(system, store);
    EXPECT_EQ(Run(map, {3, 3, 3}), (V{true, false, false})) << "Play does not";
    EXPECT_EQ(map.lastPress(), 3);
  }
}

TEST_F(RepeatFilterTest, AChangedPressValueAlwaysPassesAndBecomesLastPress) {
  using V = std::vector<bool>;
  {
    CommandMap map(system, store);
    EXPECT_EQ(Run(map, {3, 0x8003, 3}), (V{true, true, true})) << "new presses of Play";
    EXPECT_EQ(map.lastPress(), 3);
  }
  {
    CommandMap map(system, store);
    EXPECT_EQ(Run(map, {3, 7, 3}), (V{true, true, true}));
    EXPECT_EQ(map.lastPress(), 3);
  }
}

TEST_F(RepeatFilterTest, OnlyTheLowestByteOfRepeatableCounts) {
  Put("1", Record(0x100, 0x400, 0, 0));
  Put("2", Record(0x1FF, 0x400, 0, 0));
  CommandMap map(system, store);
  EXPECT_EQ(Run(map, {1, 1, 2, 2}), (std::vector<bool>{true, false, true, true}));
}

TEST_F(RepeatFilterTest, TheFirstPressAfterStartUpAlwaysPasses) {
  CommandMap map(system, store);
  EXPECT_EQ(map.lastPress(), 0xFFFF);
  EXPECT_EQ(Run(map, {0x8003}), std::vector<bool>{true});
}

}  // namespace
}  // namespace ovalink
