#include "sim/ir/mode2.h"

#include <gmock/gmock.h>
#include <gtest/gtest.h>

namespace ovalink::sim {
namespace {

using ::testing::ElementsAre;
using ::testing::HasSubstr;

TEST(Mode2, ReadsPulseSpaceLinesDroppingLeadingSilenceAndFoldingTimeouts) {
  const Signal s = ParseMode2(
      "# recorded with a receiver\n"
      "space 16777215\n"
      "carrier 36000\n"
      "pulse 889\n"
      "space 889   # half a bit\n"
      "\n"
      "pulse 1778\n"
      "space 5000\n"
      "timeout 12000\n"
      "pulse 889\n",
      "rec.mode2");
  EXPECT_EQ(s.CarrierHz(), 36000u);
  EXPECT_THAT(s.Durations(), ElementsAre(889, 889, 1778, 17000, 889));
}

TEST(Mode2, OneLineFormMatchesTheLineForm) {
  const Signal oneLine = ParseMode2("+9000 -4500 +560\n-560 +560\n", "a");
  const Signal lines = ParseMode2("pulse 9000\nspace 4500\npulse 560\nspace 560\npulse 560\n", "b");
  EXPECT_EQ(oneLine, lines);
  EXPECT_EQ(oneLine.CarrierHz(), kDefaultCarrierHz);
}

TEST(Mode2, FormatReadsBackToTheSameSignal) {
  Signal s(40000);
  for (std::uint32_t d : {2400u, 600u, 1200u, 600u, 600u, 25000u, 2400u}) {
    if (s.Durations().size() % 2 == 0) {
      s.AddMark(d);
    } else {
      s.AddSpace(d);
    }
  }
  const std::string text = FormatMode2(s);
  EXPECT_THAT(text, HasSubstr("carrier 40000\npulse 2400\nspace 600\n"));
  EXPECT_EQ(ParseMode2(text, "round-trip"), s);
}

TEST(Mode2, MalformedInputIsRefusedWithFileAndLine) {
  struct Case {
    const char* text;
    int line;
    const char* message;
  } cases[] = {
      {"pulse 100\npulse 200\n", 2, "two pulses in a row"},
      {"pulse 100\nspace 100\nspace 100\n", 3, "two spaces in a row"},
      {"+100 +100\n", 1, "two pulses in a row"},
      {"pulse 100\nflash 3\n", 2, "unknown keyword 'flash'"},
      {"pulse 0\n", 1, "zero pulse"},
      {"pulse -5\n", 1, "negative pulse"},
      {"pulse 100\nspace 99999999\n", 2, "beyond the limit"},
      {"pulse 20000000\n", 1, "beyond the limit"},
      {"pulse\n", 1, "needs one value"},
      {"pulse 10 20\n", 1, "needs one value"},
      {"pulse 1x0\n", 1, "bad number '1x0'"},
      {"+100 -50 100\n", 1, "expected +N or -N"},
      {"+100 -\n", 1, "expected +N or -N"},
      {"carrier 5\npulse 100\n", 1, "carrier 5 Hz"},
      {"# nothing\nspace 100\n", 2, "no pulse in the signal"},
      {"", 1, "no pulse in the signal"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.text);
    try {
      ParseMode2(c.text, "sig.txt");
      ADD_FAILURE() << "accepted";
    } catch (const ParseError& e) {
      EXPECT_EQ(e.Line(), c.line);
      EXPECT_THAT(e.what(), HasSubstr("sig.txt:" + std::to_string(c.line) + ": "));
      EXPECT_THAT(e.what(), HasSubstr(c.message));
    }
  }
}

}  // namespace
}  // namespace ovalink::sim
