#include "sim/ir/synthesis.h"

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <utility>

#include "sim/ir/builtin_remotes.h"

namespace ovalink::sim {
namespace {

using ::testing::ElementsAre;
using ::testing::ElementsAreArray;

using Halves = std::vector<std::pair<bool, std::uint32_t>>;  // (mark?, µs)

// Light from protocol halves, laid out independently of Signal: leading and trailing
// silence dropped, neighbours of one kind merged.
std::vector<std::uint32_t> Light(const Halves& halves) {
  std::vector<std::uint32_t> out;
  bool lastMark = false;
  for (const auto& [mark, us] : halves) {
    if (out.empty() && !mark) continue;
    if (!out.empty() && mark == lastMark) {
      out.back() += us;
    } else {
      out.push_back(us);
    }
    lastMark = mark;
  }
  if (!out.empty() && !lastMark) out.pop_back();
  return out;
}

// RC5 from its definition: S1 S2 T A4..A0 C5..C0, 1778 µs bits, 1 = space then mark.
std::vector<std::uint32_t> Rc5(int s2, int toggle, int address, int command) {
  const std::uint32_t bits = (1u << 13) | std::uint32_t(s2) << 12 | std::uint32_t(toggle) << 11 |
                             std::uint32_t(address) << 6 | std::uint32_t(command);
  Halves h;
  for (int i = 13; i >= 0; --i) {
    const bool one = (bits >> i) & 1;
    h.push_back({!one, 889});
    h.push_back({one, 889});
  }
  return Light(h);
}

// RC6 mode 0 from its definition (t = 444 µs): leader 2666/889, start 1, mode 000, double-length trailer
// (the toggle), then address and command MSB first; 1 = mark then space.
std::vector<std::uint32_t> Rc6Mode0(int toggle, int address, int command) {
  Halves h = {{true, 2666}, {false, 889}, {true, 444}, {false, 444}};
  for (int i = 0; i < 3; ++i) h.insert(h.end(), {{false, 444}, {true, 444}});
  h.push_back({toggle == 1, 2 * 444});
  h.push_back({toggle == 0, 2 * 444});
  const int body = address << 8 | command;
  for (int i = 15; i >= 0; --i) {
    const bool one = (body >> i) & 1;
    h.push_back({one, 444});
    h.push_back({!one, 444});
  }
  return Light(h);
}

Remote Builtin(const char* name) { return LoadRemote(std::string("builtin:") + name); }

const RemoteKey& Key(const Remote& r, const char* name) {
  const RemoteKey* key = r.FindKey(name);
  if (!key) throw std::logic_error(name);
  return *key;
}

TEST(Synthesis, NecFrameRepeatCodeAndConstantPeriod) {
  const Remote nec = Builtin("nec");
  const PressPlan plan = PlanPress(nec, Key(nec, "KEY_PLAY"), false);
  ASSERT_EQ(plan.first.size(), 1u);
  const auto& frame = plan.first[0].light.Durations();
  ASSERT_EQ(frame.size(), 2u + 64u + 1u);
  EXPECT_EQ(frame[0], 9000u);
  EXPECT_EQ(frame[1], 4500u);
  // Address 0x04 goes first, LSB first: 0,0,1,0,0,0,0,0.
  EXPECT_THAT(std::vector<std::uint32_t>(frame.begin() + 2, frame.begin() + 10),
              ElementsAre(560, 560, 560, 560, 560, 1690, 560, 560));
  EXPECT_EQ(frame.back(), 560u);
  // Every NEC frame has sixteen ones: 13.5 ms leader + 32 marks + 16 long and 16 short
  // spaces + stop mark.
  EXPECT_EQ(plan.first[0].light.MarkedLengthUs(), 13500u + 32 * 560 + 16 * 1690 + 16 * 560 + 560);
  EXPECT_EQ(plan.first[0].light.MarkedLengthUs() + plan.first[0].gapUs, 108000u);

  EXPECT_THAT(plan.repeat.light.Durations(), ElementsAre(9000, 2250, 560));
  EXPECT_EQ(plan.repeat.gapUs, 108000u - 11810u);
  EXPECT_EQ(plan.first[0].light.CarrierHz(), 38000u);

  EXPECT_EQ(plan.FrameCount(0), 1u) << "a sharp press sends one frame";
  EXPECT_EQ(plan.FrameCount(108000), 1u) << "the key is up when the first repeat is due";
  EXPECT_EQ(plan.FrameCount(108001), 2u);
  EXPECT_EQ(plan.FrameCount(300000), 3u);

  std::uint32_t gapAfter = 0;
  const Signal held = plan.Expand(300000, &gapAfter);
  std::vector<std::uint32_t> expected = frame;
  for (int i = 0; i < 2; ++i) {
    expected.push_back(i == 0 ? plan.first[0].gapUs : plan.repeat.gapUs);
    expected.insert(expected.end(), {9000, 2250, 560});
  }
  EXPECT_THAT(held.Durations(), ElementsAreArray(expected));
  EXPECT_EQ(gapAfter, plan.repeat.gapUs);
}

TEST(Synthesis, Rc5MatchesTheProtocolAndTogglesPerPress) {
  const Remote rc5 = Builtin("rc5");
  Transmitter remote(rc5);
  const std::size_t play = std::size_t(rc5.KeyIndex("KEY_PLAY"));  // command 0x35
  const PressPlan first = remote.Press(play);
  const PressPlan second = remote.Press(play);
  const PressPlan third = remote.Press(play);
  EXPECT_THAT(first.first[0].light.Durations(), ElementsAreArray(Rc5(1, 0, 0, 0x35)));
  EXPECT_THAT(second.first[0].light.Durations(), ElementsAreArray(Rc5(1, 1, 0, 0x35)));
  EXPECT_EQ(third.first[0].light, first.first[0].light);
  // Held, the frame repeats unchanged, toggle included.
  EXPECT_EQ(second.repeat.light, second.first[0].light);
  EXPECT_EQ(first.first[0].light.MarkedLengthUs() + first.first[0].gapUs, 113778u);
  EXPECT_EQ(first.carrierHz, 36000u);

  // Commands from 64 up clear the second start bit (extended RC5).
  const PressPlan up = PlanPress(rc5, Key(rc5, "KEY_UP"), false);  // command 0x50
  EXPECT_THAT(up.first[0].light.Durations(), ElementsAreArray(Rc5(0, 0, 0, 0x10)));
}

TEST(Synthesis, Rc6Mode0MatchesTheProtocolAndTogglesTheTrailer) {
  const Remote rc6 = Builtin("rc6");
  Transmitter remote(rc6);
  const std::size_t play = std::size_t(rc6.KeyIndex("KEY_PLAY"));  // command 0x2C
  const PressPlan first = remote.Press(play);
  const PressPlan second = remote.Press(play);
  EXPECT_THAT(first.first[0].light.Durations(), ElementsAreArray(Rc6Mode0(0, 0, 0x2C)));
  EXPECT_THAT(second.first[0].light.Durations(), ElementsAreArray(Rc6Mode0(1, 0, 0x2C)));
  EXPECT_EQ(first.first[0].light.MarkedLengthUs() + first.first[0].gapUs, 106667u);
}

TEST(Synthesis, SonySendsThreeFramesOnASharpPressEvery45Ms) {
  const Remote sony = Builtin("sony12");
  const PressPlan plan = PlanPress(sony, Key(sony, "KEY_PLAY"), false);  // command 0x1A, device 1
  EXPECT_EQ(plan.minFrames, 3u);
  EXPECT_EQ(plan.FrameCount(0), 3u);
  EXPECT_EQ(plan.repeat.light, plan.first[0].light);
  // Bits LSB first: command 0011010 -> 0,1,0,1,1,0,0; device 00001 -> 1,0,0,0,0.
  const std::uint32_t bits[] = {0, 1, 0, 1, 1, 0, 0, 1, 0, 0, 0, 0};
  std::vector<std::uint32_t> expected = {2400, 600};
  for (std::uint32_t b : bits) expected.insert(expected.end(), {b ? 1200u : 600u, 600u});
  expected.pop_back();
  EXPECT_THAT(plan.first[0].light.Durations(), ElementsAreArray(expected));
  EXPECT_EQ(plan.first[0].light.MarkedLengthUs() + plan.first[0].gapUs, 45000u);
  EXPECT_EQ(plan.carrierHz, 40000u);
}

TEST(Synthesis, JvcRepeatsWithoutLeaderAndCountsTheLeaderOutsideThePeriod) {
  const Remote jvc = Builtin("jvc");
  const PressPlan plan = PlanPress(jvc, Key(jvc, "KEY_OK"), false);
  const Signal& first = plan.first[0].light;
  const Signal& repeat = plan.repeat.light;
  EXPECT_EQ(first.Durations()[0], 8400u);
  EXPECT_EQ(first.Durations()[1], 4200u);
  EXPECT_EQ(repeat.Durations()[0], 525u);
  EXPECT_EQ(first.MarkedLengthUs(), repeat.MarkedLengthUs() + 12600u);
  EXPECT_EQ(first.MarkedLengthUs() + plan.first[0].gapUs, 46420u + 12600u);
  EXPECT_EQ(repeat.MarkedLengthUs() + plan.repeat.gapUs, 46420u);
}

TEST(Synthesis, SamsungRepeatsTheWholeFrame) {
  const Remote samsung = Builtin("samsung32");
  const PressPlan plan = PlanPress(samsung, Key(samsung, "KEY_VOLUMEUP"), false);
  EXPECT_EQ(plan.repeat.light, plan.first[0].light);
  EXPECT_THAT(std::vector<std::uint32_t>(plan.first[0].light.Durations().begin(),
                                         plan.first[0].light.Durations().begin() + 2),
              ElementsAre(4500, 4500));
  EXPECT_EQ(plan.FrameCount(250000), 3u);
}

Remote Custom(const std::string& body) {
  return ParseLircdConf("begin remote\n name c\n bits 4\n one 100 300\n zero 100 100\n" + body +
                            "\n begin codes\n  K 0x9 0x1\n end codes\nend remote\n",
                        "custom.conf")
      .at(0);
}

TEST(Synthesis, HeaderFootRepeatHeaderAndGapsFollowTheFlags) {
  // Repeat code with REPEAT_HEADER; repeat_gap after repeats, gap after the first frames.
  const Remote a = Custom(
      " flags SPACE_ENC|REPEAT_HEADER\n header 1000 500\n plead 50\n ptrail 70\n"
      " repeat 2000 600\n gap 40000\n repeat_gap 20000\n foot 800 900");
  const PressPlan pa = PlanPress(a, a.keys[0], false);
  ASSERT_EQ(pa.first.size(), 2u) << "two codes, sent one after the other";
  // header, plead merged into the first bit's mark, 1001 -> long/short spaces, ptrail, foot
  EXPECT_THAT(pa.first[0].light.Durations(),
              ElementsAre(1000, 500, 150, 300, 100, 100, 100, 100, 100, 300, 70, 900, 800));
  EXPECT_EQ(pa.first[0].gapUs, 40000u);
  EXPECT_THAT(pa.repeat.light.Durations(), ElementsAre(1000, 500, 2050, 600, 70));
  EXPECT_EQ(pa.repeat.gapUs, 20000u);
  EXPECT_EQ(pa.minFrames, 2u);

  // Full frames repeated: NO_HEAD_REP and NO_FOOT_REP strip them from repeats.
  const Remote b = Custom(
      " flags SPACE_ENC|NO_HEAD_REP|NO_FOOT_REP\n header 1000 500\n gap 30000\n foot 800 900");
  const PressPlan pb = PlanPress(b, b.keys[0], false);
  // The repeat sends the key's last code, 0001.
  EXPECT_THAT(pb.repeat.light.Durations(), ElementsAre(100, 100, 100, 100, 100, 100, 100));
  EXPECT_EQ(pb.first[1].light.Durations()[0], 1000u);
  EXPECT_EQ(pb.repeat.gapUs, 30000u);

  // REVERSE sends the code LSB first; min_repeat adds repeats to a sharp press.
  const Remote c = Custom(" flags SPACE_ENC|REVERSE\n min_repeat 2\n gap 30000");
  const PressPlan pc = PlanPress(c, c.keys[0], false);
  EXPECT_THAT(pc.first[1].light.Durations(), ElementsAre(100, 300, 100, 100, 100, 100, 100));
  EXPECT_EQ(pc.FrameCount(0), 4u);
}

TEST(Synthesis, ConstLengthGapNeverGoesNegative) {
  const Remote r = Custom(" flags SPACE_ENC|CONST_LENGTH\n header 9000 4500\n gap 5000");
  const PressPlan p = PlanPress(r, r.keys[0], false);
  EXPECT_EQ(p.first[0].gapUs, 5000u) << "a frame longer than the gap gets the gap itself";
}

TEST(Synthesis, RawKeysReplayTheirDurations) {
  const Remote raw = ParseLircdConf(
      "begin remote\n name r\n flags RAW_CODES\n gap 50000\n frequency 40000\n"
      " begin raw_codes\n  name K\n  500 400 300\n end raw_codes\nend remote\n",
      "raw.conf")
                         .at(0);
  const PressPlan p = PlanPress(raw, raw.keys[0], true);
  EXPECT_THAT(p.first[0].light.Durations(), ElementsAre(500, 400, 300));
  EXPECT_EQ(p.repeat.light, p.first[0].light);
  EXPECT_EQ(p.first[0].gapUs, 50000u);
  EXPECT_EQ(p.carrierHz, 40000u);
  EXPECT_THAT(p.Expand(60000).Durations(), ElementsAre(500, 400, 300, 50000, 500, 400, 300));
}

TEST(Synthesis, FixedLightIsSentOnceHoweverLongTheHold) {
  Signal s(36000);
  s.AddMark(1000);
  s.AddSpace(2000);
  s.AddMark(500);
  s.AddSpace(7000);
  const PressPlan p = PlanFixed(s, 100);
  EXPECT_EQ(p.FrameCount(10'000'000), 1u);
  EXPECT_EQ(p.first[0].gapUs, 7100u) << "a trailing space belongs to the gap";
  EXPECT_THAT(p.Expand(10'000'000).Durations(), ElementsAre(1000, 2000, 500));
}

// RC-MM: each pulse and its space carry two bits, most significant pair first.
TEST(Synthesis, RcmmSendsTwoBitsASymbol) {
  const Remote r = ParseLircdConf(
      "begin remote\n name m\n bits 8\n flags RCMM\n header 417 278\n zero 167 278\n"
      " one 167 444\n two 167 611\n three 167 778\n ptrail 167\n toggle_bit_mask 0x40\n"
      " begin codes\n  KEY_1 0x1B\n end codes\nend remote\n",
      "m.conf")[0];
  // 0x1B = 00 01 10 11.
  EXPECT_THAT(EncodeFrame(r, r.keys[0], 0, false, false).Durations(),
              ElementsAre(417, 278, 167, 278, 167, 444, 167, 611, 167, 778, 167));
  // The toggle flips the second bit sent: 00 becomes 01.
  EXPECT_THAT(EncodeFrame(r, r.keys[0], 0, false, true).Durations(),
              ElementsAre(417, 278, 167, 444, 167, 444, 167, 611, 167, 778, 167));
}

}  // namespace
}  // namespace ovalink::sim
