#include <gtest/gtest.h>

#include "app/reg_key.h"
#include "app/registry_layout.h"
#include "engine/rc_engine.h"
#include "support/engine_fixture.h"

namespace ovalink {
namespace {

SlotPattern Ones(int from, int to) {
  SlotPattern p{};
  for (int i = from; i <= to; ++i) p[i] = 1;
  return p;
}

class CodeStoreTest : public ::testing::Test {
 protected:
  CodeStoreTest() : engine(pc.Services()) {}

  void Store(const std::string& name, const SlotPattern& p1, const SlotPattern& p2) {
    RegKey(RegRoot::CurrentUser, kCodes1Key).WriteBinary(name, p1.data(), kSlotCount);
    RegKey(RegRoot::CurrentUser, kCodes2Key).WriteBinary(name, p2.data(), kSlotCount);
  }

  test::SimulatedPc pc;
  RCEngine engine;
};

TEST_F(CodeStoreTest, EmptyKeysLoadNothingButExistAfterwards) {
  EXPECT_EQ(engine.loadCodes(), 0);
  EXPECT_EQ(engine.CodesInStore(), 0u);
  EXPECT_EQ(engine.CompareLength(), 0);
  RegHandle handle = 0;
  // The keys were created by the load.
  ASSERT_EQ(pc.registry.CreateKey(RegRoot::CurrentUser, kCodeFlagsKey, &handle), kRegOk);
  pc.registry.CloseKey(handle);
}

TEST_F(CodeStoreTest, LoadsInEnumerationOrderAndCountsEveryName) {
  Store("12", Ones(0, 10), Ones(0, 40));
  Store("3", Ones(0, 20), Ones(0, 20));
  RegKey(RegRoot::CurrentUser, kCodes1Key).WriteBinary("5", Ones(0, 1).data(), kSlotCount);
  RegKey(RegRoot::CurrentUser, kCodes1Key).WriteBinary("6", Ones(0, 1).data(), 999);
  RegKey(RegRoot::CurrentUser, kCodes2Key).WriteBinary("6", Ones(0, 1).data(), kSlotCount);
  EXPECT_EQ(engine.loadCodes(), 4) << "names without a valid code still count";
  EXPECT_EQ(engine.CodesInStore(), 2u);
  EXPECT_TRUE(engine.hasCode(12));
  EXPECT_TRUE(engine.hasCode(3));
  EXPECT_FALSE(engine.hasCode(5)) << "no Codes2 value";
  EXPECT_FALSE(engine.hasCode(6)) << "999 bytes";
  EXPECT_EQ(engine.CompareLength(), 41);
  std::lock_guard<std::mutex> lock(engine.CodeListLock());
  EXPECT_EQ(engine.findCode(12)->button, 12);
}

TEST_F(CodeStoreTest, MissingOrMistypedFlagIsCreatedAsZero) {
  Store("5", Ones(0, 3), Ones(0, 4));
  Store("6", Ones(0, 3), Ones(0, 5));
  Store("7", Ones(0, 3), Ones(0, 6));
  RegKey flags(RegRoot::CurrentUser, kCodeFlagsKey);
  flags.WriteString("6", "1");
  flags.WriteDword("7", 0x101);
  engine.loadCodes();
  EXPECT_EQ(flags.ReadDword("5", 99), 0u);
  EXPECT_EQ(flags.ReadDword("6", 99), 0u);
  std::lock_guard<std::mutex> lock(engine.CodeListLock());
  EXPECT_EQ(engine.findCode(5)->codeFlag, 0);
  EXPECT_EQ(engine.findCode(6)->codeFlag, 0);
  EXPECT_EQ(engine.findCode(7)->codeFlag, 1) << "truncated to its low 8 bits";
}

TEST_F(CodeStoreTest, ValuesNotNamedByAButtonAreIgnoredAndTouchNoOtherKey) {
  // Stray copies listed before the real codes: none may shadow or stand for a button.
  for (const char* stray : {"abc", "03", "3abc", " 3", "-1", "34", "99999999999"}) {
    Store(stray, Ones(0, 9), Ones(0, 9));
  }
  Store("0", Ones(0, 3), Ones(0, 4));
  Store("3", Ones(0, 5), Ones(0, 6));
  EXPECT_EQ(engine.loadCodes(), 9) << "every name still counts";
  EXPECT_EQ(engine.CodesInStore(), 2u);
  EXPECT_EQ(engine.CompareLength(), 7) << "the strays' patterns take no part";
  {
    std::lock_guard<std::mutex> lock(engine.CodeListLock());
    ASSERT_NE(engine.findCode(0), engine.findCode(0xFFFF)) << "no code for button 0";
    EXPECT_EQ(engine.findCode(0)->pattern1, Ones(0, 3));
    EXPECT_EQ(engine.findCode(3)->pattern1, Ones(0, 5));
  }
  EXPECT_FALSE(engine.hasCode(34));
  EXPECT_FALSE(engine.hasCode(0xFFFF));
  std::vector<std::string> flagNames;
  RegKey(RegRoot::CurrentUser, kCodeFlagsKey).EnumValueNames(flagNames);
  EXPECT_EQ(flagNames, (std::vector<std::string>{"0", "3"})) << "no form written for a stray";
}

TEST_F(CodeStoreTest, CodesUnderKeysThatMayOnlyBeReadStillLoad) {
  Store("5", Ones(0, 3), Ones(0, 4));
  RegKey(RegRoot::CurrentUser, kCodeFlagsKey).WriteDword("5", 1);
  for (const char* key : {kCodes1Key, kCodes2Key, kCodeFlagsKey}) {
    pc.registry.SetKeyReadOnly(key, true);
  }
  EXPECT_EQ(engine.loadCodes(), 1);
  ASSERT_TRUE(engine.hasCode(5));
  std::lock_guard<std::mutex> lock(engine.CodeListLock());
  EXPECT_EQ(engine.findCode(5)->codeFlag, 1);
}

TEST_F(CodeStoreTest, ReloadReplacesTheWholeStore) {
  Store("1", Ones(0, 3), Ones(0, 4));
  engine.loadCodes();
  RegKey(RegRoot::CurrentUser, kCodes1Key).DeleteValue("1");
  Store("2", Ones(0, 3), Ones(0, 4));
  EXPECT_EQ(engine.loadCodes(), 1);
  EXPECT_FALSE(engine.hasCode(1));
  EXPECT_TRUE(engine.hasCode(2));
}

}  // namespace
}  // namespace ovalink
