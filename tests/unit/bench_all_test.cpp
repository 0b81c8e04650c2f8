// What the bench reports beyond the per-press scores: the columns of `bench --all`, and the
// notes on keys that a remote's definition alone keeps from being recognised.

#include <gtest/gtest.h>

#include "sim/ir/builtin_remotes.h"
#include "tools/quor-sim/bench_all.h"
#include "tools/quor-sim/cli.h"
#include "tools/quor-sim/remote_notes.h"

namespace ovalink::quorsim {
namespace {

TEST(RemoteNotes, NameFramesThatMergeIntoOneBurstTrain) {
  EXPECT_TRUE(RemoteNotes(sim::LoadRemote("builtin:nec"), 34).empty());
  EXPECT_TRUE(RemoteNotes(sim::LoadRemote("builtin:sony15"), 34).empty());
  const auto close = RemoteNotes(sim::LoadRemote("builtin:jvc-close"), 34);
  ASSERT_EQ(close.size(), 1u);
  EXPECT_NE(close[0].find("34 of 34 keys send frames less than 15 ms apart"), std::string::npos)
      << close[0];
  const auto sony20 = RemoteNotes(sim::LoadRemote("builtin:sony20"), 34);
  ASSERT_EQ(sony20.size(), 1u);
  EXPECT_NE(sony20[0].find("33 of 34 keys"), std::string::npos) << "one key has few one bits";

  const sim::Remote raw = sim::ParseLircdConf(
      "begin remote\n name r\n flags RAW_CODES\n gap 100000\n begin raw_codes\n"
      "  name KEY_1\n   9000 4500 560\n end raw_codes\nend remote\n",
      "raw.conf")[0];
  EXPECT_TRUE(RemoteNotes(raw, 34).empty()) << "100 ms between its frames";
}

TEST(BenchColumns, KnowsEachImpairmentByOneWordAndRefusesOthers) {
  const auto columns = BenchColumns({"default", "jitter", "drop", "drift", "noise"});
  ASSERT_EQ(columns.size(), 5u);
  sim::ReceiverParams p;
  for (const BenchColumn& c : columns) c.impair(p);
  EXPECT_EQ(p.jitterUs, 25.0);
  EXPECT_EQ(p.dropPercent, 2.0);
  EXPECT_EQ(p.driftPercent, 0.5);
  EXPECT_EQ(p.spuriousPerSecond, 200.0);
  EXPECT_EQ(columns[0].name, "default");
  EXPECT_THROW(BenchColumns({"jitter", "hail"}), CommandError);
}

}  // namespace
}  // namespace ovalink::quorsim
