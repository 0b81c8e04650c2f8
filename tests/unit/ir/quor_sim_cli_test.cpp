// quor-sim's command-line contract, run as outside scripts run it.

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <algorithm>
#include <cstdlib>
#include <fstream>
#include <sstream>
#include <string>

#include "sim/ir/builtin_remotes.h"
#include "sim/ir/mode2.h"
#include "sim/ir/synthesis.h"
#include "support/quor_sim_runner.h"

namespace ovalink::sim {
namespace {

using ::testing::HasSubstr;

using Result = test::QuorSimResult;
using test::QuorSim;

std::size_t Lines(const std::string& s) { return test::LineCount(s); }

TEST(QuorSimCli, RemotesAndKeysListOneALine) {
  const Result remotes = QuorSim("remotes");
  EXPECT_EQ(remotes.status, 0);
  EXPECT_EQ(remotes.out,
            "builtin:nec\nbuiltin:rc5\nbuiltin:rc6\nbuiltin:rc6-mce\nbuiltin:sony12\n"
            "builtin:sony15\nbuiltin:sony20\nbuiltin:jvc\nbuiltin:jvc-close\n"
            "builtin:samsung32\nbuiltin:sharp\nbuiltin:panasonic\n");
  const Result keys = QuorSim("keys --remote builtin:samsung32");
  EXPECT_EQ(keys.status, 0);
  std::string expected;
  for (std::string_view k : kButtonKeyNames) expected += std::string(k) + "\n";
  EXPECT_EQ(keys.out, expected);
  const Result fileKeys =
      QuorSim("keys --remote '" + std::string(OVALINK_SOURCE_DIR) + "/tests/data/lircd/raw.lircd.conf'");
  EXPECT_EQ(fileKeys.out, "KEY_POWER\nKEY_MODE\n");
}

TEST(QuorSimCli, SignalPrintsWhatTheRemoteSendsAsMode2) {
  const Remote nec = LoadRemote("builtin:nec");
  const Result held = QuorSim("signal --remote builtin:nec --key KEY_OK --hold 250");
  ASSERT_EQ(held.status, 0) << held.err;
  EXPECT_EQ(held.out.rfind("carrier 38000\npulse 9000\nspace 4500\n", 0), 0u);
  EXPECT_EQ(ParseMode2(held.out, "stdout"),
            PlanPress(nec, *nec.FindKey("KEY_OK"), false).Expand(250'000));

  // Two taps of RC5: the toggle bit differs, and the second begins 300 ms after the first
  // (the default pause is longer than the remote's own gap).
  const Remote rc5 = LoadRemote("builtin:rc5");
  const Result taps = QuorSim("signal --remote builtin:rc5 --key KEY_9 --presses 2");
  ASSERT_EQ(taps.status, 0) << taps.err;
  Transmitter remote(rc5);
  const Signal first = remote.Press(std::size_t(rc5.KeyIndex("KEY_9"))).Expand(0);
  const Signal second = remote.Press(std::size_t(rc5.KeyIndex("KEY_9"))).Expand(0);
  ASSERT_NE(first, second);
  Signal expected = first;
  expected.AddSpace(std::uint32_t(300'000 - first.MarkedLengthUs()));
  expected.Append(second);
  EXPECT_EQ(ParseMode2(taps.out, "stdout"), expected);

  // --pause 0: the next press waits only for the remote's gap.
  const Result fast = QuorSim("signal --remote builtin:rc5 --key KEY_9 --presses 2 --pause=0");
  const auto d = ParseMode2(fast.out, "stdout").Durations();
  EXPECT_EQ(d[first.Durations().size()], 113'778 - first.MarkedLengthUs());
}

// The commands that run the engine take the receiver options: a receiver that loses every
// character trains nothing.
TEST(QuorSimCli, EngineCommandsTakeTheReceiverOptions) {
  const std::string registry = std::string(OVALINK_BINARY_DIR) + "/quor_sim_cli_receiver.reg";
  std::remove(registry.c_str());
  const Result lost = QuorSim("train --remote builtin:nec --key KEY_OK --button 14 --registry '" +
                              registry + "' --drop 100");
  EXPECT_EQ(lost.status, 0) << lost.err;
  EXPECT_THAT(lost.out, HasSubstr("NotTrained"));
  const Result trained = QuorSim("train --remote builtin:nec --key KEY_OK --button 14 --registry '" +
                                 registry + "' --ideal --seed 3");
  EXPECT_EQ(trained.status, 0) << trained.err;
  EXPECT_THAT(trained.out, HasSubstr("TrainedPressRepeat"));
  std::remove(registry.c_str());
}

TEST(QuorSimCli, ErrorsAreOneLineOnStderrWithStatusTwo) {
  const std::string bad = std::string(OVALINK_BINARY_DIR) + "/quor_sim_cli_bad.conf";
  std::ofstream(bad) << "begin remote\n  name x\n  bits 8\n  flags SPACE_ENC|FOO\nend remote\n";
  struct Case {
    std::string args;
    std::string message;
  } cases[] = {
      {"", "no sub-command"},
      {"frobnicate", "unknown sub-command 'frobnicate'"},
      {"keys", "--remote is required"},
      {"keys --remote builtin:nec --verbose", "unknown option --verbose"},
      {"keys --remote builtin:pioneer", "builtin:pioneer: no such built-in remote"},
      {"keys --remote /nonexistent.conf", "/nonexistent.conf: cannot open"},
      {"keys --remote '" + bad + "'", bad + ":4: unknown flag FOO"},
      {"signal --remote builtin:nec --key KEY_POWER", "has no key KEY_POWER"},
      {"signal --remote builtin:nec --key KEY_OK --hold 1e3", "--hold wants a number"},
      {"signal --remote builtin:nec --key KEY_OK --presses 0", "--presses wants a whole number"},
      {"signal --remote builtin:nec --key KEY_OK --presses", "--presses needs a value"},
      {"signal --remote builtin:nec --key 'KEY\nOK'", "has no key KEY OK"},
      {"demo --hunt sideways", "--hunt wants 'middle' or 'end'"},
      {"press --remote builtin:nec --key KEY_OK --ideal=yes", "--ideal takes no value"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.args);
    const Result r = QuorSim(c.args);
    EXPECT_EQ(r.status, 2);
    EXPECT_TRUE(r.out.empty());
    EXPECT_EQ(Lines(r.err), 1u) << r.err;
    EXPECT_THAT(r.err, HasSubstr(c.message));
  }
}

}  // namespace
}  // namespace ovalink::sim
