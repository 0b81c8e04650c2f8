// The value sequences recognition promises, each one a row, under every way the UART may
// hunt for a start bit: the light goes through the receiver model, not scripted characters.

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "app/reg_key.h"
#include "app/registry_layout.h"
#include "engine/engine_types.h"
#include "sim/ir/receiver_model.h"
#include "support/engine_fixture.h"
#include "support/scripted_remote.h"

namespace ovalink {
namespace {

using test::Shape;
using test::SimulatedPc;
constexpr std::int64_t kMs = SimulatedPc::kMs;

enum class Light { kA, kB, kRepeat, kNone };

// Leader and one mark, as test::ShapeWithMarkAt; the repeat frame has no data mark.
Shape ShapeOf(Light light) {
  switch (light) {
    case Light::kA: return test::ShapeWithMarkAt(5000);
    case Light::kB: return test::ShapeWithMarkAt(9000);
    case Light::kRepeat: return {{0, 9000}, {12000, 600}};
    case Light::kNone: break;
  }
  return {};
}

sim::Signal SignalOf(const Shape& shape) {
  sim::Signal signal;
  int at = 0;
  for (auto [startUs, lengthUs] : shape) {
    signal.AddSpace(std::uint32_t(startUs - at));
    signal.AddMark(std::uint32_t(lengthUs));
    at = startUs + lengthUs;
  }
  return signal;
}

struct StoredCode {
  int button;
  CodeForm form;
  Light first;
  Light second;
};

// One step: wait (ms, or to `ms` past the next whole second), set the calendar back, or a
// press of two frames of `light` whose recognised value must be `value`.
struct Step {
  enum Kind { kPress, kWait, kNextSecondPlus, kClockBack } kind;
  Light light;
  int ms;
  std::uint16_t value;
};
Step Press(Light light, std::uint16_t value) { return {Step::kPress, light, 0, value}; }
Step Wait(int ms) { return {Step::kWait, Light::kNone, ms, 0}; }
Step NextSecondPlus(int ms) { return {Step::kNextSecondPlus, Light::kNone, ms, 0}; }
Step ClockBack() { return {Step::kClockBack, Light::kNone, 0, 0}; }

struct EdgeCase {
  const char* name;
  std::vector<StoredCode> codes;
  std::vector<Step> steps;
};

struct UartVariant {
  const char* name;
  double huntAfterBits;
  bool lowLineStarts;
};

class EdgeCaseRun {
 public:
  explicit EdgeCaseRun(const UartVariant& uart) : receiver_(Params(uart)), engine_(pc_.Services()) {
    pc_.uart.SetReceiverInput(&receiver_);
    engine_.SetBase(SimulatedPc::kBase);
  }

  void Store(const StoredCode& code) {
    const SlotPattern p1 = PatternOf(code.first);
    const SlotPattern p2 = PatternOf(code.second);
    const std::string name = std::to_string(code.button);
    RegKey(RegRoot::CurrentUser, kCodes1Key).WriteBinary(name, p1.data(), kSlotCount);
    RegKey(RegRoot::CurrentUser, kCodes2Key).WriteBinary(name, p2.data(), kSlotCount);
    RegKey(RegRoot::CurrentUser, kCodeFlagsKey).WriteDword(name, code.form);
    engine_.loadCodes();
  }

  void Do(const Step& step) {
    const std::int64_t second = 1000 * kMs;
    switch (step.kind) {
      case Step::kWait: pc_.clock.Advance(step.ms * kMs); return;
      case Step::kNextSecondPlus:
        pc_.clock.Advance(second - pc_.clock.NowNs() % second + step.ms * kMs);
        return;
      case Step::kClockBack: pc_.clock.ShiftCalendar(-3600); return;
      case Step::kPress: {
        Send(step.light, 2);
        const std::uint16_t value = engine_.recognise();
        EXPECT_EQ(value, step.value);
        pc_.clock.Advance(100 * kMs);
        return;
      }
    }
  }

  std::uintptr_t LastLevel() const { return engine_.levels.empty() ? 9999 : engine_.levels.back(); }

 private:
  static sim::ReceiverParams Params(const UartVariant& uart) {
    sim::ReceiverParams params;
    params.huntAfterBits = uart.huntAfterBits;
    params.lowLineStartsCharacter = uart.lowLineStarts;
    return params;
  }
  void Send(Light light, int frames) {
    // Light can be scheduled only ahead of what the receiver has already worked out.
    const std::int64_t now = pc_.clock.NowNs() + kMs;
    for (int i = 0; i < frames; ++i) {
      receiver_.Schedule(now + i * test::kFramePeriodNs, SignalOf(ShapeOf(light)));
    }
    // The capture starts as the first frame begins.
    pc_.clock.Advance(kMs + 100 * SimulatedPc::kUs);
  }
  // The pattern five frames give through the real capture.
  SlotPattern PatternOf(Light light) {
    Send(light, 7);
    SlotHistogram histogram{};
    EXPECT_EQ(engine_.CaptureTrains(histogram, 5, 0, 0), 5);
    pc_.clock.Advance(500 * kMs);
    return thresholdPattern(histogram, engine_.Limit());
  }

  SimulatedPc pc_;
  sim::ReceiverModel receiver_;
  test::LevelRecordingListener engine_;
};

constexpr std::uint16_t kNone = kNoPress;

TEST(RecognitionEdgeCases, ValueSequencesHoldUnderEveryUartVariant) {
  const std::vector<UartVariant> variants = {{"hunt middle, low line ignored", 6.5, false},
                                             {"hunt end, low line ignored", 7.0, false},
                                             {"hunt middle, low line starts", 6.5, true},
                                             {"hunt end, low line starts", 7.0, true}};
  const std::vector<EdgeCase> cases = {
      {"empty store: nothing, and the last code becomes none", {},
       {Press(Light::kA, kNone), Press(Light::kRepeat, kNone)}},
      // A guess between equal fits could be the wrong button: nothing, not store order.
      {"two codes with the same press shape: nothing",
       {{9, kAlternatingForm, Light::kA, Light::kB}, {4, kAlternatingForm, Light::kA, Light::kRepeat}},
       {Press(Light::kA, kNone), Press(Light::kB, 0x8009)}},
      {"press-and-repeat: three sharp presses toggle the marker",
       {{7, kPressRepeatForm, Light::kA, Light::kRepeat}},
       {Press(Light::kA, 7), Wait(300), Press(Light::kA, 0x8007), Wait(300), Press(Light::kA, 7)}},
      {"press-and-repeat: a repeat shape 1 s after repeats, 3 s after gives nothing",
       {{7, kPressRepeatForm, Light::kA, Light::kRepeat}},
       {Press(Light::kA, 7), Wait(700), Press(Light::kRepeat, 7), Press(Light::kA, 0x8007),
        Wait(700), Press(Light::kRepeat, 0x8007), Wait(3000), Press(Light::kRepeat, kNone)}},
      {"a repeat shape after an unmatched train, or after nothing, gives nothing",
       {{7, kPressRepeatForm, Light::kA, Light::kRepeat}},
       {Press(Light::kRepeat, kNone), Press(Light::kA, 7), Press(Light::kB, kNone),
        Press(Light::kRepeat, kNone)}},
      {"the repeat window counts whole calendar seconds; a clock set back is inside",
       {{7, kPressRepeatForm, Light::kA, Light::kRepeat}},
       {NextSecondPlus(100), Press(Light::kA, 7), NextSecondPlus(900), Press(Light::kRepeat, 7),
        NextSecondPlus(50), Press(Light::kRepeat, kNone), Press(Light::kA, 0x8007), ClockBack(),
        Press(Light::kRepeat, 0x8007)}},
      // The marker follows the last value posted: a press after an unrecognised train is
      // still a new press to whoever read the value before.
      {"a press after an unrecognised train toggles against the last value posted",
       {{7, kPressRepeatForm, Light::kA, Light::kRepeat}},
       {Press(Light::kA, 7), Wait(300), Press(Light::kB, kNone), Wait(300),
        Press(Light::kA, 0x8007), Wait(300), Press(Light::kA, 7)}},
      {"alternating: the second shape is marked whatever came before",
       {{3, kAlternatingForm, Light::kA, Light::kB}},
       {Press(Light::kB, 0x8003), Press(Light::kB, 0x8003), Press(Light::kA, 3),
        Press(Light::kB, 0x8003)}},
  };
  for (const UartVariant& variant : variants) {
    for (const EdgeCase& edge : cases) {
      SCOPED_TRACE(std::string(variant.name) + ": " + edge.name);
      EdgeCaseRun run(variant);
      for (const StoredCode& code : edge.codes) run.Store(code);
      for (const Step& step : edge.steps) run.Do(step);
      if (edge.codes.empty()) {
        EXPECT_EQ(run.LastLevel(), 0u);
      }
    }
  }
}

}  // namespace
}  // namespace ovalink
