// The folder bench reads each child's result back whole, and its totals add every row.

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include "tools/quor-sim/bench_dir.h"

namespace ovalink::quorsim {
namespace {

using ::testing::HasSubstr;

BenchResult Sample(int base) {
  BenchResult r;
  r.remote = "a \"quoted\" remote";
  r.keys = std::size_t(30 + base);
  for (int i = 0; i < 5; ++i) r.training[i] = base + i;
  r.presses = 200 + base;
  r.correct = 150 + base;
  r.wrong = 3 + base;
  r.missed = 40 + base;
  r.extra = 7 + base;
  r.untrained = 6 + base;
  r.untrainedPresses = 30 + base;
  r.phantom = base - 1 + 4 * base;
  r.phantomAlike = 3 * (base - 1);
  r.longPresses = 120 + base;
  r.longCorrect = 110 + base;
  r.shortPresses = 80 + base;
  r.shortCorrect = 40 + base;
  return r;
}

TEST(BenchDir, ReadsBackEveryCountBenchJsonWrites) {
  const BenchResult want = Sample(2);
  BenchResult got;
  ASSERT_TRUE(ParseBenchJson(BenchJson(want), got));
  EXPECT_EQ(got.keys, want.keys);
  for (int i = 0; i < 5; ++i) EXPECT_EQ(got.training[i], want.training[i]) << i;
  EXPECT_EQ(got.presses, want.presses);
  EXPECT_EQ(got.correct, want.correct);
  EXPECT_EQ(got.wrong, want.wrong);
  EXPECT_EQ(got.missed, want.missed);
  EXPECT_EQ(got.extra, want.extra);
  EXPECT_EQ(got.untrained, want.untrained);
  EXPECT_EQ(got.untrainedPresses, want.untrainedPresses);
  EXPECT_EQ(got.phantom, want.phantom);
  EXPECT_EQ(got.phantomAlike, want.phantomAlike);
  EXPECT_EQ(got.longPresses, want.longPresses);
  EXPECT_EQ(got.longCorrect, want.longCorrect);
  EXPECT_EQ(got.shortPresses, want.shortPresses);
  EXPECT_EQ(got.shortCorrect, want.shortCorrect);
  BenchResult none;
  EXPECT_FALSE(ParseBenchJson("quor-sim: x.ir:3: bad duration 'q'", none));
  std::string cut = BenchJson(want);
  cut.resize(cut.find("\"short_presses\""));
  EXPECT_FALSE(ParseBenchJson(cut, none));
}

TEST(BenchDir, TotalsAddTheRowsThatRan) {
  std::vector<DirBenchRow> rows(3);
  rows[0].file = "a.ir";
  rows[0].keysLoaded = 31;
  rows[0].keysLeftOut = 2;
  rows[0].result = Sample(1);
  rows[1].file = "b.ir";
  rows[1].error = "b.ir:4: bad hex byte";
  rows[2].file = "c/d.conf";
  rows[2].keysLoaded = 34;
  rows[2].result = Sample(2);
  const std::string table = DirBenchTable(rows);
  // Trained: alternating, press-repeat and unsure, the results that store a code, of the keys
  // not left untrained on purpose.
  EXPECT_THAT(table, HasSubstr("| a.ir | 31 | 2 | 8 of 24 | 201 | 151 (75.1 %) | 4 | 41 | 8 | 4 of 31 | 91.7 | 50.6 |"));
  EXPECT_THAT(table, HasSubstr("| b.ir | 0 | 0 | not benched: b.ir:4: bad hex byte |"));
  EXPECT_THAT(table, HasSubstr("| 9 | 9 of 32, 3 alike | "));
  EXPECT_THAT(table, HasSubstr("| **2 remotes, 1 not benched** | 65 | 2 | 19 of 48 | 403 | 303 (75.2 %) | 9 | 83 | "
                               "17 | 13 of 63, 3 alike | 91.8 (223 of 243) | 50.9 (83 of 163) |"));
}

}  // namespace
}  // namespace ovalink::quorsim
