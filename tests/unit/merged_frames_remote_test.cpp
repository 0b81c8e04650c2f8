// Remotes whose held key sends frames less than 15 ms apart, so that they never end a burst
// train: a Sony 20-bit remote, a JVC remote whose headerless repeats follow on a fixed grid,
// and a captured lighting-sensor remote whose frames are 10.4 to 12.5 ms apart. Trained and
// pressed as a user would.

#include <gtest/gtest.h>

#include <cstdint>

#include "engine/engine_types.h"
#include "sim/ir/builtin_remotes.h"
#include "sim/ir/receiver_model.h"
#include "tools/quor-sim/bench_run.h"

namespace ovalink::quorsim {
namespace {

BenchResult Bench(const char* remote, std::uint64_t seed) {
  BenchSettings settings;
  settings.presses = 60;
  settings.seed = seed;
  settings.receiver = sim::RealisticReceiver(seed);
  return RunBench(sim::LoadRemote(remote), settings);
}

TEST(MergedFramesRemoteTest, EveryKeyTrainsAndHeldKeysAreRecognised) {
  for (const char* remote :
       {"builtin:sony20", "builtin:jvc-close",
        OVALINK_SOURCE_DIR "/fuzz/corpus/ir_file/Miscellaneous_EsyLux_esylux_em10425509.ir"}) {
    const BenchResult r = Bench(remote, 1);
    SCOPED_TRACE(remote);
    EXPECT_EQ(r.training[TrainedPressRepeat] + r.training[TrainedUnsure],
              int(r.keys - std::size_t(r.untrained)));
    EXPECT_EQ(r.wrong, 0);
    EXPECT_EQ(r.extra, 0);
    EXPECT_EQ(r.phantom, 0);
    EXPECT_GE(r.correct * 100, r.presses * 97);
  }
}

}  // namespace
}  // namespace ovalink::quorsim
