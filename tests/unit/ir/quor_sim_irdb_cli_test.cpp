// quor-sim with the IR database's files: `--remote FILE.ir` wherever a remote is taken,
// and `bench --dir` over a folder of both kinds of remote file.

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <cstdio>
#include <string>

#include "sim/ir/builtin_remotes.h"
#include "sim/ir/mode2.h"
#include "sim/ir/synthesis.h"
#include "support/quor_sim_runner.h"

namespace ovalink::sim {
namespace {

using ::testing::HasSubstr;
using ::testing::Not;
using test::QuorSim;
using Result = test::QuorSimResult;

const std::string kDir = std::string(OVALINK_SOURCE_DIR) + "/tests/data/irdb";
const std::string kTv = kDir + "/tv.ir";

TEST(QuorSimIrdb, KeysListsWhatLoadsAndNotesWhatIsLeftOut) {
  const Result r = QuorSim("keys --remote '" + kTv + "'");
  ASSERT_EQ(r.status, 0) << r.err;
  EXPECT_EQ(r.out, "Power\nVol_up\nOk\n");
  EXPECT_EQ(test::LineCount(r.err), 2u) << r.err;
  EXPECT_THAT(r.err, HasSubstr("quor-sim: note: " + kTv + ":18: key 'Mute': protocol RCA"));
  EXPECT_THAT(r.err, HasSubstr("quor-sim: note: " + kTv +
                               ":24: key 'Power_again': sends the same signal as key 'Power'"));

  const Result broken = QuorSim("keys --remote '" + kDir + "/broken.ir'");
  EXPECT_EQ(broken.status, 2);
  EXPECT_TRUE(broken.out.empty());
  EXPECT_EQ(broken.err, "quor-sim: " + kDir + "/broken.ir:8: bad hex byte '0G' in 'command'\n");
}

TEST(QuorSimIrdb, SignalSendsTheCaptureThenItsRepeatingUnit) {
  const Remote tv = LoadRemote(kTv);
  const Result held = QuorSim("signal --remote '" + kTv + "' --key Vol_up --hold 400");
  ASSERT_EQ(held.status, 0) << held.err;
  const Signal light = ParseMode2(held.out, "stdout");
  EXPECT_EQ(light, PlanPress(tv, *tv.FindKey("Vol_up"), false).Expand(400'000));
  // The frame, then repeat codes (9 ms, 2.25 ms, 0.56 ms) for as long as the key is down.
  EXPECT_EQ(light.Durations().size(), 67u + 4 * 3);
  EXPECT_NEAR(double(light.Durations()[68]), 9040.0, 100.0);
  EXPECT_NEAR(double(light.Durations()[69]), 2210.0, 100.0);
}

TEST(QuorSimIrdb, EngineCommandsTakeAnIrRemote) {
  const std::string registry = std::string(OVALINK_BINARY_DIR) + "/quor_sim_irdb.reg";
  std::remove(registry.c_str());
  const Result train = QuorSim("train --remote '" + kTv + "' --key Vol_up --button 7 --registry '" +
                               registry + "'");
  ASSERT_EQ(train.status, 0) << train.err;
  EXPECT_THAT(train.out, HasSubstr("trained: 1"));
  const Result press = QuorSim("press --remote '" + kTv + "' --key Vol_up --hold 600 --registry '" +
                               registry + "'");
  ASSERT_EQ(press.status, 0) << press.err;
  EXPECT_THAT(press.out, HasSubstr("WM_RC_CODE 0x0007"));
  const Result bench = QuorSim("bench --remote '" + kDir + "/sub/receiver.ir' --presses 10");
  ASSERT_EQ(bench.status, 0) << bench.err;
  EXPECT_THAT(bench.out, HasSubstr("remote receiver: 2 keys"));
}

// Every .ir and .conf file of the folder and its subfolders, other files passed over; a
// file that cannot be read is a row that says why, and the others still run.
TEST(QuorSimIrdb, BenchDirRunsEveryRemoteFileOfAFolder) {
  const Result r = QuorSim("bench --dir '" + kDir + "' --keys 2 --presses 6");
  ASSERT_EQ(r.status, 0) << r.err;
  EXPECT_EQ(test::LineCount(r.out), 2u + 4 + 1) << r.out;
  EXPECT_THAT(r.out, HasSubstr("| broken.ir | 0 | 0 | not benched: " + kDir +
                               "/broken.ir:8: bad hex byte"));
  EXPECT_THAT(r.out, HasSubstr("| sub/raw.lircd.conf | 2 | 0 | "));
  EXPECT_THAT(r.out, HasSubstr("| sub/receiver.ir | 2 | 0 | "));
  EXPECT_THAT(r.out, HasSubstr("| tv.ir | 3 | 2 | "));
  EXPECT_THAT(r.out, HasSubstr("| **3 remotes, 1 not benched** | 7 | 2 | "));
  EXPECT_THAT(r.out, HasSubstr(" | 18 | "));  // presses over the three remotes
  EXPECT_THAT(r.out, Not(HasSubstr("README")));
  const Result json = QuorSim("bench --dir '" + kDir + "' --keys 2 --presses 6 --json --ideal");
  ASSERT_EQ(json.status, 0) << json.err;
  EXPECT_THAT(json.out, HasSubstr("{\"file\": \"tv.ir\", \"keys_loaded\": 3, \"keys_left_out\": 2, "
                                  "\"keys\": 2, \"keys_trained\": 2, \"presses\": 6"));
  EXPECT_THAT(json.out, HasSubstr("\"file\": \"broken.ir\", \"keys_loaded\": 0, \"keys_left_out\": 0, "
                                  "\"error\": "));

  // Over seeds 1 and 2 each remote's presses add up; --seeds and --seed exclude each other.
  const Result seeds = QuorSim("bench --dir '" + kDir + "' --keys 2 --presses 6 --seeds 2 --json");
  ASSERT_EQ(seeds.status, 0) << seeds.err;
  EXPECT_THAT(seeds.out, HasSubstr("{\"file\": \"tv.ir\", \"keys_loaded\": 3, \"keys_left_out\": 2, "
                                   "\"keys\": 2, \"keys_trained\": 2, \"presses\": 12"));
  const Result both = QuorSim("bench --dir '" + kDir + "' --seeds 2 --seed 3");
  EXPECT_EQ(both.status, 2);
  EXPECT_THAT(both.err, HasSubstr("give --seed or --seeds, not both"));

  const Result notAFolder = QuorSim("bench --dir '" + kTv + "'");
  EXPECT_EQ(notAFolder.status, 2);
  EXPECT_THAT(notAFolder.err, HasSubstr("is not a folder"));
}

}  // namespace
}  // namespace ovalink::sim
