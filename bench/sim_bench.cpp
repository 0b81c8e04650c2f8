// The simulator's cost in real time: one poll of the simulated UART, and one virtual second
// of capture over a held key.

#include <benchmark/benchmark.h>

#include <optional>
#include <string>

#include "port/port.h"
#include "sim/ir/builtin_remotes.h"
#include "sim/ir/receiver_model.h"
#include "sim/ir/simulated_user.h"
#include "sim/simulated_pc.h"

namespace ovalink::sim {
namespace {

constexpr std::int64_t kSecondNs = 1'000'000'000;

// A simulated PC with the receiver model behind its UART, taken over by Port.
struct Rig {
  Rig() {
    pc.uart.SetReceiverInput(&model);
    port.emplace(pc.bus);
    port->SetBase(SimulatedPc::kBase);
  }

  SimulatedPc pc;
  ReceiverModel model;
  std::optional<Port> port;
};

void BM_PollReceiverIdle(benchmark::State& state) {
  Rig rig;
  for (auto _ : state) benchmark::DoNotOptimize(rig.port->PollReceiver());
}
BENCHMARK(BM_PollReceiverIdle);

// A key held throughout: RC5 frames every 114 ms, so most polls are idle; the share of
// active ones is reported.
void BM_PollReceiverHeldKey(benchmark::State& state) {
  Rig rig;
  SimulatedUser user(LoadRemote("builtin:rc5"), rig.model);
  user.Press("KEY_OK", 0);
  std::int64_t active = 0;
  for (auto _ : state) active += rig.port->PollReceiver() != 0;
  state.counters["active_share"] =
      benchmark::Counter(double(active) / double(state.iterations()));
}
BENCHMARK(BM_PollReceiverHeldKey);

// Real time per virtual second of capture: the poll loop over a key held for one second.
void BM_VirtualSecondOfHeldKey(benchmark::State& state) {
  const std::string name(kBuiltinRemoteNames[std::size_t(state.range(0))]);
  const Remote remote = LoadRemote(std::string(kBuiltinPrefix) + name);
  std::int64_t active = 0;
  for (auto _ : state) {
    state.PauseTiming();
    {
      Rig rig;
      SimulatedUser user(remote, rig.model);
      user.Hold("KEY_OK", 0, 1000.0);
      state.ResumeTiming();
      while (rig.pc.clock.NowNs() < kSecondNs) active += rig.port->PollReceiver() != 0;
      state.PauseTiming();
    }
    state.ResumeTiming();
  }
  state.SetLabel(name);
  state.counters["events_per_virtual_s"] =
      benchmark::Counter(double(active) / double(state.iterations()));
}
BENCHMARK(BM_VirtualSecondOfHeldKey)
    ->DenseRange(0, int(kBuiltinRemoteNames.size()) - 1)
    ->Unit(benchmark::kMillisecond);

}  // namespace
}  // namespace ovalink::sim
