#include <gtest/gtest.h>

#include <optional>
#include <string>

#include "app/button_value_name.h"
#include "app/shared_constants.h"

namespace ovalink {
namespace {

TEST(ButtonValueNameTest, EveryButtonRoundTripsThroughItsName) {
  for (int button = 0; button < kButtonCount; ++button) {
    const std::string name = ValueNameOfButton(button);
    EXPECT_EQ(ButtonOfValueName(name), std::optional<int>(button)) << name;
  }
  EXPECT_EQ(ValueNameOfButton(0), "0");
  EXPECT_EQ(ValueNameOfButton(7), "7");
  EXPECT_EQ(ValueNameOfButton(33), "33");
}

TEST(ButtonValueNameTest, OnlyPlainDecimalButtonIndicesAreButtons) {
  const struct {
    const char* name;
    std::optional<int> button;
  } cases[] = {
      {"0", 0},     {"9", 9},       {"10", 10},     {"33", 33},    {"34", std::nullopt},
      {"99", std::nullopt},         {"100", std::nullopt},         {"03", std::nullopt},
      {"00", std::nullopt},         {"-1", std::nullopt},          {"-0", std::nullopt},
      {"+3", std::nullopt},         {" 3", std::nullopt},          {"3 ", std::nullopt},
      {"3abc", std::nullopt},       {"abc", std::nullopt},         {"", std::nullopt},
      {"99999999999", std::nullopt}, {"65539", std::nullopt},      {"3\n", std::nullopt},
  };
  for (const auto& c : cases) {
    EXPECT_EQ(ButtonOfValueName(c.name), c.button) << '"' << c.name << '"';
  }
  EXPECT_EQ(ButtonOfValueName(std::string("3\0", 2)), std::nullopt) << "an embedded NUL";
}

}  // namespace
}  // namespace ovalink
