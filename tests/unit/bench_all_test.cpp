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
  EXPECT_TRUE(RemoteNotes(sim::LoadRemote("builtin:jvc-close"), 34).empty())
      << "13.3 ms apart: a train that outruns its histogram ends there";
  const auto rawRemote = [](int gapUs) {
    return sim::ParseLircdConf("begin remote\n name r\n flags RAW_CODES\n gap " +
                                   std::to_string(gapUs) +
                                   "\n begin raw_codes\n  name KEY_1\n   9000 4500 560\n"
                                   " end raw_codes\nend remote\n",
                               "raw.conf")[0];
  };
  EXPECT_TRUE(RemoteNotes(rawRemote(100000), 34).empty()) << "100 ms between its frames";
  const auto close = RemoteNotes(rawRemote(9900), 34);
  ASSERT_EQ(close.size(), 1u);
  EXPECT_NE(close[0].find("1 of 1 keys send frames less than 10 ms apart"), std::string::npos)
      << close[0];
  EXPECT_TRUE(RemoteNotes(rawRemote(10100), 34).empty());
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

// Presses of keys nobody trained have a column of their own, in the table and in the JSON.
TEST(BenchAllTable, ReportsPhantomPressesOfUntrainedKeys) {
  BenchCell cell;
  cell.remote = "nec";
  cell.column = "default";
  cell.keys = 34;
  cell.untrained = 6;
  cell.minTrained = 28;
  cell.total.presses = 200;
  cell.total.correct = 199;
  cell.total.missed = 1;
  cell.total.untrainedPresses = 41;
  cell.total.phantom = 3;
  const std::string table = BenchAllTable({cell});
  EXPECT_NE(table.find("| extra | phantom (of untrained presses) |"), std::string::npos) << table;
  EXPECT_NE(table.find("| 28 of 28 | 200 | 199 | 0 | 1 | 0 | 3 of 41 |"), std::string::npos)
      << table;
  const std::string json = BenchAllJson({cell});
  for (const char* part : {"\"untrained\": 6", "\"untrained_presses\": 41", "\"phantom\": 3"}) {
    EXPECT_NE(json.find(part), std::string::npos) << part << " in " << json;
  }
}

TEST(BenchSettings, LeavesAFifthOfTheKeysUntrainedUnlessTold) {
  BenchSettings settings;
  EXPECT_EQ(UntrainedKeys(settings, 34), 6u);
  EXPECT_EQ(UntrainedKeys(settings, 4), 0u);
  settings.untrained = 0;
  EXPECT_EQ(UntrainedKeys(settings, 34), 0u);
  settings.untrained = 40;
  EXPECT_EQ(UntrainedKeys(settings, 34), 34u);
}

}  // namespace
}  // namespace ovalink::quorsim
