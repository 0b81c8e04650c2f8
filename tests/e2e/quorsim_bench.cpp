// Benchmark of QuorSim.exe under Wine (not a test): CPU use while it listens with no remote
// activity, its working set, and the time from the end of a press's last frame to the
// stand-in media application receiving the command. Run by scripts/bench-quorsim.sh.

#include <windows.h>
#include <psapi.h>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <vector>

#include "e2e_support.h"
#include "quorsim_driver.h"

using namespace ovalink::e2e;

namespace {

constexpr int kVolumeUp = 7;
constexpr unsigned kAppCommandVolumeUp = 10;

double Seconds(const FILETIME& t) {
  return double((std::uint64_t(t.dwHighDateTime) << 32) | t.dwLowDateTime) / 1e7;
}

double CpuSeconds(HANDLE process) {
  FILETIME created, exited, kernel, user;
  if (!GetProcessTimes(process, &created, &exited, &kernel, &user)) return -1;
  return Seconds(kernel) + Seconds(user);
}

double Percentile(std::vector<double> values, double p) {
  std::sort(values.begin(), values.end());
  const std::size_t i = std::min(values.size() - 1, std::size_t(p / 100.0 * double(values.size())));
  return values[i];
}

}  // namespace

int main(int argc, char** argv) {
  const int presses = argc > 1 ? std::atoi(argv[1]) : 100;
  const int idleSeconds = argc > 2 ? std::atoi(argv[2]) : 30;
  ClearProgramSettings();
  StandIn mediaCenter("eHome Render Window", "bench_media_center.log");
  QuorSim sim("builtin:nec");
  if (!sim.Started() || !mediaCenter.Window()) {
    std::fprintf(stderr, "bench: QuorSim or the stand-in did not start\n");
    return 1;
  }
  if (HWND howTo = sim.WaitForDialog("The Brief Instructions", 15000)) sim.Dismiss(howTo);
  HWND box = sim.Train(kVolumeUp, "KEY_VOLUMEUP");
  if (!box || MessageBoxText(box).rfind("The button has been trained.", 0) != 0) {
    std::fprintf(stderr, "bench: Vol+ did not train\n");
    return 1;
  }
  sim.Dismiss(box);
  // The program is hidden and listening, as it spends most of its life.
  sim.CommandAndWait(IDOK);  // hides it

  ovalink::KernelHandle process(OpenProcess(PROCESS_QUERY_INFORMATION | PROCESS_VM_READ, FALSE,
                                            sim.Program().Id()));
  const double cpuBefore = CpuSeconds(process.get());
  const std::int64_t idleStart = CounterNow();
  WaitUntil([&] { return CounterToMs(CounterNow() - idleStart) >= idleSeconds * 1000.0; },
            DWORD(idleSeconds * 1000 + 5000));
  const double idleMs = CounterToMs(CounterNow() - idleStart);
  const double cpuIdle = CpuSeconds(process.get()) - cpuBefore;
  PROCESS_MEMORY_COUNTERS memory{};
  GetProcessMemoryInfo(process.get(), &memory, sizeof memory);
  std::printf("idle listening: %.2f %% of one core over %.1f s (CPU %.3f s)\n",
              100.0 * cpuIdle * 1000.0 / idleMs, idleMs / 1000.0, cpuIdle);
  std::printf("working set: %.1f MiB (peak %.1f MiB)\n", double(memory.WorkingSetSize) / 1048576.0,
              double(memory.PeakWorkingSetSize) / 1048576.0);

  std::vector<double> latencies;
  int missed = 0;
  for (int i = 0; i < presses; ++i) {
    const std::size_t before = mediaCenter.Count("WM_APPCOMMAND", kAppCommandVolumeUp);
    const std::string reply = sim.PressLikeAPerson("KEY_VOLUMEUP", true);
    const std::int64_t end = ReplyCounter(reply, "end");
    std::vector<Received> got;
    if (!WaitUntil([&] { return mediaCenter.Count("WM_APPCOMMAND", kAppCommandVolumeUp) > before; }, 5000)) {
      ++missed;
    } else {
      for (const Received& r : mediaCenter.ReceivedSoFar()) {
        if (r.message == "WM_APPCOMMAND" && r.value == kAppCommandVolumeUp && r.counter >= end - 10000000) {
          got.push_back(r);
        }
      }
      if (!got.empty()) latencies.push_back(CounterToMs(got.back().counter - end));
    }
    // Presses stay apart: the button recovers a second after the last recognised press.
    WaitUntil([&] { return sim.Enabled(kVolumeUp); }, 5000);
  }
  if (!latencies.empty()) {
    std::printf("press to delivery (end of last frame -> stand-in): median %.1f ms, p99 %.1f ms, "
                "min %.1f ms, max %.1f ms over %zu presses; %d missed\n",
                Percentile(latencies, 50), Percentile(latencies, 99),
                *std::min_element(latencies.begin(), latencies.end()),
                *std::max_element(latencies.begin(), latencies.end()), latencies.size(), missed);
  } else {
    std::printf("press to delivery: no press arrived (%d missed)\n", missed);
  }
  sim.Exit();
  return 0;
}
