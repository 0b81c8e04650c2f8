// Remotes whose every transmission is two frames of different shapes, a silence longer than
// the one that ends a train between them, repeated as a pair while the key is held: a frame
// and its complement (A/V receivers, older TVs), or a prefix common to all keys followed by
// the key's own frame (extended codes). Trained and pressed as a user would, in the lab.

#include <gtest/gtest.h>

#include <cstdint>
#include <string>

#include "engine/engine_types.h"
#include "sim/ir/irdb_file.h"
#include "sim/ir/lircd_conf.h"
#include "sim/ir/receiver_model.h"
#include "tools/quor-sim/bench_run.h"

namespace ovalink::quorsim {
namespace {

// Pulse-distance bits as such remotes send them, least significant first.
std::string Bits(std::uint32_t value, int count, int mark, int zero, int one) {
  std::string out;
  for (int i = 0; i < count; ++i) {
    out += std::to_string(mark) + " " + std::to_string((value >> i) & 1u ? one : zero) + " ";
  }
  return out;
}

// 15-bit frames of 260 µs marks (5 address bits, 8 command bits, 2 check bits), the second
// frame of a pair with command and check bits inverted, 45 ms apart.
std::string ComplementPairRemote(int keys) {
  std::string text = "begin remote\n name pair\n flags RAW_CODES\n gap 45000\n begin raw_codes\n";
  for (int k = 0; k < keys; ++k) {
    const std::uint32_t command = 0x11u * std::uint32_t(k + 1);
    const std::uint32_t first = 0x1Au | (command << 5) | (1u << 13);
    const std::uint32_t second = 0x1Au | ((~command & 0xFFu) << 5) | (2u << 13);
    text += "  name K" + std::to_string(k) + "\n   " + Bits(first, 15, 260, 800, 1880) +
            "260 45000 " + Bits(second, 15, 260, 800, 1880) + "260\n";
  }
  return text + " end raw_codes\nend remote\n";
}

// An NEC-style frame of a shared-prefix remote: the prefix every key sends first, or key
// `k`'s own frame.
std::string NecFrame(std::uint32_t code) {
  return "8500 4200 " + Bits(code, 32, 560, 520, 1560) + "560";
}
std::string PrefixFrame() { return NecFrame(0xFA05A55Au); }
std::string OwnFrame(int k) {
  const std::uint32_t command = 0x13u * std::uint32_t(k + 1) & 0xFFu;
  return NecFrame(0xA55Au | (command << 16) | ((~command & 0xFFu) << 24));
}

// A prefix that every key sends first, 25 ms, then the key's own frame.
std::string SharedPrefixRemote(int keys) {
  std::string text = "begin remote\n name prefix\n flags RAW_CODES\n gap 25000\n begin raw_codes\n";
  for (int k = 0; k < keys; ++k) {
    text += "  name K" + std::to_string(k) + "\n   " + PrefixFrame() + " 25000 " + OwnFrame(k) +
            "\n";
  }
  return text + " end raw_codes\nend remote\n";
}

// 60 presses of `keys` keys, all of them trained, under the realistic receiver.
BenchSettings EveryKeyTrained(std::size_t keys, std::uint64_t seed) {
  BenchSettings settings;
  settings.keys = keys;
  settings.untrained = 0;
  settings.presses = 60;
  settings.seed = seed;
  settings.receiver = sim::RealisticReceiver(seed);
  return settings;
}

TEST(TwoFrameRemoteTest, EveryKeyTrainsFromTheFrameAPressLeavesAndEveryPressCounts) {
  struct Case {
    const char* name;
    std::string text;
  };
  const Case cases[] = {{"frame and complement", ComplementPairRemote(8)},
                        {"shared prefix", SharedPrefixRemote(8)}};
  for (const Case& c : cases) {
    for (std::uint64_t seed : {1u, 2u}) {
      const BenchResult r =
          RunBench(sim::ParseLircdConf(c.text, "two_frames.conf").front(), EveryKeyTrained(8, seed));
      SCOPED_TRACE(std::string(c.name) + ", seed " + std::to_string(seed));
      EXPECT_EQ(r.training[TrainedPressRepeat], 8) << "the press shape apart from the hold shape";
      EXPECT_EQ(r.wrong, 0);
      EXPECT_EQ(r.extra, 0);
      EXPECT_GE(r.correct * 100, r.presses * 97);
    }
  }
}

// Captures of a shared-prefix remote as a learning receiver makes them: prefix, own frame,
// prefix, own frame. The recording of `broken` lost its first own frame to two lone flashes,
// so its first pair begins with the prefix twice.
std::string SharedPrefixCaptures(int keys, int broken) {
  const std::string prefix = PrefixFrame();
  std::string text = "Filetype: IR signals file\nVersion: 1\n";
  for (int k = 0; k < keys; ++k) {
    const std::string own = OwnFrame(k);
    const std::string first = k == broken ? "3700 24900 4300" : own;
    text += "#\nname: K" + std::to_string(k) + "\ntype: raw\nfrequency: 38000\n" +
            "duty_cycle: 0.33\ndata: " + prefix + " 25000 " + first + " 25000 " + prefix +
            " 25000 " + own + "\n";
  }
  return text;
}

// Taken as it came, the broken recording's pairs run prefix first, own frame second, and the
// prefix that every key holds with became its press shape: refused as another key's at best,
// and every held key's prefix named it at worst. The prefix other keys hold with shows which
// frame is the key's own.
TEST(TwoFrameRemoteTest, ARecordingThatRepeatsTheSharedFrameStillTrainsTheKeysOwn) {
  const sim::Remote remote = sim::ParseIrFile(SharedPrefixCaptures(8, 5), "prefix.ir");
  for (std::uint64_t seed : {1u, 2u}) {
    const BenchResult r = RunBench(remote, EveryKeyTrained(8, seed));
    SCOPED_TRACE("seed " + std::to_string(seed));
    EXPECT_EQ(r.training[TrainedPressRepeat], 8);
    EXPECT_EQ(r.wrong, 0);
    EXPECT_EQ(r.extra, 0);
    EXPECT_GE(r.correct * 100, r.presses * 97);
  }
}

// A capture as a learning receiver makes it of a fan remote: the key's frame twice, 100 ms
// apart, then a three-mark repeat code every 50 ms, too short to be a train of its own.
std::string FrameTwiceThenRepeatCodes(int keys) {
  const auto frame = [](std::uint32_t code) {
    return "2200 750 " + Bits(code, 16, 720, 720, 1450) + "740";
  };
  const std::string repeat = "2200 750 720 1450 780";
  std::string text = "Filetype: IR signals file\nVersion: 1\n";
  for (int k = 0; k < keys; ++k) {
    const std::uint32_t code = 0x5A00u | ((0x17u * std::uint32_t(k + 1)) & 0xFFu);
    text += "#\nname: K" + std::to_string(k) + "\ntype: raw\nfrequency: 38000\n" +
            "duty_cycle: 0.33\ndata: " + frame(code) + " 101000 " + frame(code) + " 50500";
    for (int r = 0; r < 4; ++r) text += " " + repeat + " 50600";
    text += " " + repeat + "\n";
  }
  return text;
}

// Its held captures can look like frame pairs, which its keystrokes do not bear out: the
// holds then decide, as for any remote, instead of no key training at all.
TEST(TwoFrameRemoteTest, HoldsThatOnlyLookLikePairsStillTrainTheKeys) {
  const sim::Remote remote = sim::ParseIrFile(FrameTwiceThenRepeatCodes(12), "fan.ir");
  for (std::uint64_t seed : {1u, 2u}) {
    const BenchResult r = RunBench(remote, EveryKeyTrained(12, seed));
    SCOPED_TRACE("seed " + std::to_string(seed));
    EXPECT_GE(TrainedKeys(r), 9);
    EXPECT_EQ(r.wrong, 0);
    EXPECT_EQ(r.extra, 0);
  }
}

}  // namespace
}  // namespace ovalink::quorsim
