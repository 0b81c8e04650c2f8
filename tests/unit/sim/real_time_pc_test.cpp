// The simulated PC on real time: what the capture records must not depend on when the
// polling thread happens to run.

#include <gtest/gtest.h>

#include <numeric>

#include "engine/rc_listener.h"
#include "platform/memory/memory_registry_store.h"
#include "platform/registry_store.h"
#include "port/driver_connection.h"
#include "sim/ir/builtin_remotes.h"
#include "sim/ir/random.h"
#include "sim/real_time_pc.h"
#include "sim/remote_control.h"
#include "support/engine_fixture.h"

namespace ovalink {
namespace {

constexpr std::int64_t kMs = 1'000'000;

// A stand-in for the OS clock at 10 MHz, like Windows' performance counter. Each reading
// costs a poll's worth of time; once `Stutter` is on, the thread is also pre-empted now and
// then (one reading in a hundred) for 1-40 ms, and sleeps end up to 12 ms late, as on a loaded two-core machine.
class MachineClock : public Clock {
 public:
  static constexpr std::int64_t kFrequency = 10'000'000;

  std::int64_t Counter() override {
    nowNs_ += 400;
    if (stutter_ && rng_.Chance(1.0)) {
      const auto pause = std::int64_t(rng_.Between(1.0, 40.0) * double(kMs));
      nowNs_ += pause;
      preemptedNs_ += pause;
      ++preemptions_;
    }
    return nowNs_ / 100;
  }
  std::int64_t Frequency() override { return kFrequency; }
  void SleepMs(std::uint32_t ms) override {
    nowNs_ += std::int64_t(ms) * kMs;
    if (stutter_) nowNs_ += std::int64_t(rng_.Between(0.0, 12.0) * double(kMs));
  }
  std::int64_t CalendarSeconds() override { return 1'800'000'000 + nowNs_ / 1'000'000'000; }
  void RaiseToTimeCritical() override {}
  void RestoreNormalPriority() override {}

  void Stutter(bool on) { stutter_ = on; }
  int Preemptions() const { return preemptions_; }
  std::int64_t PreemptedNs() const { return preemptedNs_; }

 private:
  std::int64_t nowNs_ = 0;
  bool stutter_ = false;
  sim::SplitMix64 rng_{7};
  int preemptions_ = 0;
  std::int64_t preemptedNs_ = 0;
};

class SilentLink : public WindowLink {
 public:
  bool Post(WindowHandle, std::uint32_t, std::uintptr_t, std::intptr_t) override { return true; }
  void SetItemText(WindowHandle, int, const std::string&) override {}
};

struct Capture {
  int trains = 0;
  SlotHistogram histogram{};
};

// One capture of five trains while the user holds `key` for 1.5 s, by the engine's own
// capture code.
template <typename Pc>
Capture CaptureHeldKey(Pc& pc, MachineClock& machine, bool stutter, const char* key) {
  MemoryRegistryStore registry;
  InstallRegistry(&registry);
  SilentLink link;
  test::LevelRecordingListener listener(
      EngineServices{pc.Io(), pc.Time(), link, [] { throw test::DriverMissing(); }});
  listener.SetBase(sim::RealTimePc::kBase);
  pc.Press(pc.KeyIndex(key), 1500);
  machine.Stutter(stutter);
  Capture capture;
  capture.trains = listener.CaptureTrains(capture.histogram, 5, 0, 1);
  machine.Stutter(false);
  InstallRegistry(nullptr);
  return capture;
}

// The same PC, but receiver events are seen at whatever moment the poll happens to run.
class NaivePc {
 public:
  explicit NaivePc(Clock& real)
      : time_(real), bus_(time_), driver_(bus_), user_(sim::LoadRemote("builtin:nec"), receiver_) {
    bus_.Attach(sim::RealTimePc::kBase, uart_);
    uart_.SetReceiverInput(&receiver_);
    InstallDriverBackend(&driver_);
  }
  ~NaivePc() { InstallDriverBackend(nullptr); }

  PortIo& Io() { return bus_; }
  Clock& Time() { return time_; }
  std::size_t KeyIndex(const char* key) const { return user_.KeyIndex(key); }
  void Press(std::size_t key, double holdMs) { user_.Hold(key, time_.NowNs() + kMs, holdMs); }

 private:
  class PollTime : public Clock, public sim::BusClock {
   public:
    explicit PollTime(Clock& real) : real_(real) {}
    std::int64_t NowNs() { return real_.Counter() * 100; }
    std::int64_t Counter() override { return NowNs(); }
    std::int64_t Frequency() override { return 1'000'000'000; }
    void SleepMs(std::uint32_t ms) override { real_.SleepMs(ms); }
    std::int64_t CalendarSeconds() override { return real_.CalendarSeconds(); }
    void RaiseToTimeCritical() override {}
    void RestoreNormalPriority() override {}
    std::int64_t AccessNs(std::int64_t) override { return NowNs(); }

   private:
    Clock& real_;
  };

  PollTime time_;
  sim::ReceiverModel receiver_;
  sim::SimUart uart_;
  sim::SimPortBus bus_;
  sim::SimDriver driver_;
  sim::SimulatedUser user_;
};

unsigned Events(const SlotHistogram& h) { return std::accumulate(h.begin(), h.end(), 0u); }

TEST(RealTimePcTest, PreemptedPollerRecordsTheSameTrainsAsAnIdleMachine) {
  for (const char* remote : {"builtin:nec", "builtin:rc5"}) {
    SCOPED_TRACE(remote);
    MachineClock idleMachine;
    sim::RealTimePc idlePc(idleMachine, sim::LoadRemote(remote));
    const Capture idle = CaptureHeldKey(idlePc, idleMachine, false, "KEY_PLAY");

    MachineClock busyMachine;
    sim::RealTimePc busyPc(busyMachine, sim::LoadRemote(remote));
    const Capture busy = CaptureHeldKey(busyPc, busyMachine, true, "KEY_PLAY");

    ASSERT_EQ(idle.trains, 5);
    EXPECT_GT(Events(idle.histogram), 5u * 100u);
    EXPECT_GT(busyMachine.Preemptions(), 20) << "the busy machine must really be busy";
    EXPECT_GT(busyMachine.PreemptedNs(), 400 * kMs);
    EXPECT_EQ(busy.trains, idle.trains);
    EXPECT_EQ(busy.histogram, idle.histogram);
  }
}

TEST(RealTimePcTest, StampingEventsWhenPolledWouldNotSurviveTheBusyMachine) {
  // Shows that the load above is enough to spoil a capture that ignores event times.
  MachineClock idleMachine;
  NaivePc idlePc(idleMachine);
  const Capture idle = CaptureHeldKey(idlePc, idleMachine, false, "KEY_PLAY");
  MachineClock busyMachine;
  NaivePc busyPc(busyMachine);
  const Capture busy = CaptureHeldKey(busyPc, busyMachine, true, "KEY_PLAY");
  ASSERT_EQ(idle.trains, 5);
  EXPECT_TRUE(busy.trains != idle.trains || busy.histogram != idle.histogram);
}

TEST(RealTimePcTest, PressTimesFollowTheRemoteAndTheRealClock) {
  MachineClock machine;
  sim::RealTimePc pc(machine, sim::LoadRemote("builtin:nec"));
  const sim::PressTimes first = pc.Press(pc.KeyIndex("KEY_PLAY"), 0);
  EXPECT_GE(first.startNs, sim::RealTimePc::kPressLeadNs);
  // One NEC frame: 9 ms lead, 4.5 ms space, 32 bits, a stop mark: about 67.5 ms.
  EXPECT_NEAR(double(first.lastMarkEndNs - first.startNs), 67.5 * kMs, 1.5 * kMs);
  // The remote is busy until its gap has passed: the next press waits for it.
  const sim::PressTimes second = pc.Press(pc.KeyIndex("3"), 0);
  EXPECT_GT(second.startNs, first.lastMarkEndNs);

  const std::int64_t down = pc.Down(pc.KeyIndex("KEY_STOP"));
  EXPECT_GT(down, second.lastMarkEndNs);
  sim::PressTimes held{};
  ASSERT_TRUE(pc.Up(&held));
  EXPECT_EQ(held.startNs, down);
  EXPECT_GT(held.lastMarkEndNs, down);
  EXPECT_FALSE(pc.Up(&held)) << "nothing is down any more";

  // A planned series: each press 300 ms after the one before, however late the caller is.
  const sim::PressTimes series = pc.Press(pc.KeyIndex("KEY_PLAY"), 0, 3, 300);
  EXPECT_GT(series.startNs, held.lastMarkEndNs);
  EXPECT_NEAR(double(series.lastMarkEndNs - series.startNs), (600 + 67.5) * kMs, 1.5 * kMs);
  EXPECT_THROW(pc.KeyIndex("KEY_NOPE"), std::invalid_argument);
  EXPECT_THROW(pc.KeyIndex("34"), std::invalid_argument);
}

TEST(RemoteControlTest, RequestsAnswerOkOrSayWhatIsWrong) {
  MachineClock machine;
  sim::RealTimePc pc(machine, sim::LoadRemote("builtin:nec"));
  sim::RemoteControl control(pc, "builtin:nec");

  EXPECT_EQ(control.Execute("remote"), "ok builtin:nec");
  EXPECT_EQ(control.Execute("press KEY_PLAY 300").rfind("ok start=", 0), 0u);
  const std::string down = control.Execute("down KEY_UP");
  EXPECT_EQ(down.rfind("ok start=", 0), 0u);
  EXPECT_NE(down.find(" end=held"), std::string::npos);
  EXPECT_EQ(control.Execute("up").rfind("ok start=", 0), 0u);
  EXPECT_EQ(control.Execute("up"), "error: no key is down");
  EXPECT_EQ(control.Execute("keys").substr(0, 21), "ok KEY_STOP KEY_PAUSE");

  for (const char* bad : {"", "press", "press KEY_NOPE", "press KEY_PLAY -1", "press KEY_PLAY x",
                          "press KEY_PLAY 1e9", "press KEY_PLAY 5 0", "press KEY_PLAY 5 2.5",
                          "press KEY_PLAY 0 2 100 7", "press KEY_PLAY 0 2 -1", "jump", "remote builtin:nope",
                          "remote /no/such/file.conf"}) {
    SCOPED_TRACE(bad);
    EXPECT_EQ(control.Execute(bad).rfind("error: ", 0), 0u);
  }
  EXPECT_EQ(control.Execute("remote"), "ok builtin:nec") << "a refused remote changes nothing";
  EXPECT_EQ(control.Execute("remote builtin:rc5"), "ok builtin:rc5");
  EXPECT_EQ(control.Execute("press KEY_PLAY").rfind("ok start=", 0), 0u);
}

TEST(RemoteControlTest, UartReportShowsTakeOverAndHandBack) {
  MachineClock machine;
  sim::RealTimePc pc(machine, sim::LoadRemote("builtin:nec"));
  sim::RemoteControl control(pc, "builtin:nec");
  EXPECT_EQ(control.Execute("uart"), "ok divisor=12 line-control=0x03");
  {
    Port port(pc.Io());
    ASSERT_TRUE(port.DriverAvailable());
    EXPECT_EQ(port.DetectPort(), sim::RealTimePc::kBase);
    EXPECT_EQ(control.Execute("uart"), "ok divisor=1 line-control=0x00");
  }
  EXPECT_EQ(control.Execute("uart"), "ok divisor=12 line-control=0x03");
}

}  // namespace
}  // namespace ovalink
