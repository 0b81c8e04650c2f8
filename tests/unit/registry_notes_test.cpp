#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <vector>

#include "app/reg_key.h"
#include "app/registry_layout.h"
#include "engine/signal_code.h"
#include "platform/memory/memory_registry_store.h"
#include "tools/quor-sim/registry_notes.h"

namespace ovalink::quorsim {
namespace {

using ::testing::ElementsAre;
using ::testing::HasSubstr;

TEST(RegistryNotesTest, NamesNoButtonStandsForAreListedPerKey) {
  MemoryRegistryStore store;
  const std::vector<std::uint8_t> code(kSlotCount, 1);
  const std::vector<std::uint8_t> command(48, 0);
  RegKey(store, RegRoot::CurrentUser, kCodes1Key).WriteBinary("03", code.data(), kSlotCount);
  RegKey(store, RegRoot::CurrentUser, kCodes1Key).WriteBinary("33", code.data(), kSlotCount);
  RegKey(store, RegRoot::CurrentUser, kCodes2Key).WriteBinary("33", code.data(), kSlotCount);
  RegKey(store, RegRoot::CurrentUser, kCodeFlagsKey).WriteDword("abc", 1);
  RegKey(store, RegRoot::CurrentUser, kCommandsKey).WriteBinary("3abc", command.data(), 48);
  RegKey(store, RegRoot::CurrentUser, kCommandsKey).WriteBinary("34", command.data(), 48);
  RegKey(store, RegRoot::CurrentUser, kCommandsKey).WriteBinary("3", command.data(), 48);

  const std::vector<std::string> notes = IgnoredRegistryValues(store);
  EXPECT_THAT(notes, ElementsAre(HasSubstr("Codes1 value \"03\" is not named by a button"),
                                 HasSubstr("CodeFlags value \"abc\" is not named by a button"),
                                 HasSubstr("Commands value \"3abc\" is not named by a button"),
                                 HasSubstr("Commands value \"34\" is not named by a button")))
      << "and no second note that \"03\" lacks its Codes2 value";
}

}  // namespace
}  // namespace ovalink::quorsim
