// quor-sim capture --remote R --key NAME [--hold MS] [--trains N] [--limit L] [--seed S]
//                  [--ideal] [--hunt middle|end] [--low-line starts|ignored]
//                  [--jitter US] [--drift PCT] [--drop PCT] [--noise PER_S]
// The user holds a key while the real capture records burst trains from the simulated UART;
// shows what training would make of them.

#include <cstdio>
#include <ostream>

#include "engine/rc_listener.h"
#include "platform/memory/memory_registry_store.h"
#include "sim/ir/simulated_user.h"
#include "sim/simulated_pc.h"
#include "tools/quor-sim/cli.h"
#include "tools/quor-sim/impairment_options.h"

namespace ovalink::quorsim {

namespace {
class NullWindow : public WindowLink {
 public:
  bool Post(WindowHandle, std::uint32_t, std::uintptr_t, std::intptr_t) override { return true; }
  void SetItemText(WindowHandle, int, const std::string&) override {}
};

// The capture's level reports, kept rather than posted.
class CapturingListener : public RCListener {
 public:
  using RCListener::RCListener;
  void ReportLevel(int percent) override { levels.push_back(percent); }
  std::vector<int> levels;
};

// The command's own registry is the process's registry while the command runs.
class InstalledRegistry {
 public:
  explicit InstalledRegistry(RegistryStore& registry) { InstallRegistry(&registry); }
  ~InstalledRegistry() { InstallRegistry(nullptr); }
  InstalledRegistry(const InstalledRegistry&) = delete;
  InstalledRegistry& operator=(const InstalledRegistry&) = delete;
};
}  // namespace

void RunCapture(const std::vector<std::string>& arguments, std::ostream& out) {
  std::vector<std::string> args = arguments;
  const bool ideal = TakeFlag(args, "--ideal");
  Options options("capture", args,
                  {{"remote", true}, {"key", true}, {"hold"}, {"trains"}, {"limit"}, {"seed"},
                   {"jitter"}, {"drift"}, {"drop"}, {"noise"}, {"hunt"}, {"low-line"}});
  const sim::Remote remote = LoadRemoteFor(options.Text("remote"));
  const int keyIndex = remote.KeyIndex(options.Text("key"));
  if (keyIndex < 0) {
    throw CommandError("capture: remote " + remote.name + " has no key " + options.Text("key"));
  }
  const double holdMs = options.Number("hold", 1500, 0, 60'000);
  const int trains = int(options.Integer("trains", 5, 1, 255));
  const int limit = int(options.Integer("limit", 2, 0, 255));
  const auto seed = std::uint64_t(options.Integer("seed", 1, 0, 1'000'000'000));

  sim::SimulatedPc pc;
  const sim::ReceiverParams params = ReceiverFromOptions(options, seed, ideal);
  sim::ReceiverModel receiver(params);
  pc.clock.SetPreemptions(params.preemptionsPerSecond, params.preemptionMinUs,
                        params.preemptionMaxUs, seed);
  pc.uart.SetReceiverInput(&receiver);
  MemoryRegistryStore registry;
  InstalledRegistry installed(registry);
  NullWindow window;
  CapturingListener listener(EngineServices{pc.bus, pc.clock, window, [] {
    throw CommandError("capture: no port driver");
  }});
  listener.SetBase(sim::SimulatedPc::kBase);

  sim::SimulatedUser user(remote, receiver);
  user.Hold(std::size_t(keyIndex), 0, holdMs);
  SlotHistogram histogram{};
  const int accepted = listener.CaptureTrains(histogram, trains, 0, 1);

  out << "remote " << remote.name << ", key " << options.Text("key") << " held " << holdMs
      << " ms: " << accepted << " of " << trains << " trains accepted, "
      << double(pc.clock.NowNs()) / 1e6 << " ms of virtual time\n";
  out << "levels:";
  for (int level : listener.levels) out << ' ' << level;
  out << (listener.levels.empty() ? " none (levels are reported for a full training count)\n"
                                  : "\n");
  out << "histogram (slot: events), slots of 0.1 ms:\n";
  int shown = 0;
  for (int slot = 0; slot < kSlotCount; ++slot) {
    if (histogram[std::size_t(slot)] == 0) continue;
    out << (shown % 10 == 0 ? "  " : " ") << slot << ':' << int(histogram[std::size_t(slot)]);
    if (++shown % 10 == 0) out << '\n';
  }
  if (shown % 10 != 0 || shown == 0) out << (shown == 0 ? "  (empty)\n" : "\n");
  const SlotPattern pattern = thresholdPattern(histogram, limit);
  out << "pattern at limit " << limit << " (slots value):\n";
  for (int start = 0; start < kSlotCount;) {
    int end = start;
    while (end + 1 < kSlotCount && pattern[std::size_t(end + 1)] == pattern[std::size_t(start)])
      ++end;
    out << "  " << start << '-' << end << ' ' << int(pattern[std::size_t(start)]) << '\n';
    start = end + 1;
  }
}

}  // namespace ovalink::quorsim
