#include <gtest/gtest.h>

#include <vector>

#include "app/reg_key.h"
#include "app/registry_layout.h"
#include "engine/rc_engine.h"
#include "support/engine_fixture.h"
#include "support/scripted_remote.h"

namespace ovalink {
namespace {

using test::AddPress;
using test::Shape;
using test::ShapeWithMarkAt;
using test::SimulatedPc;
constexpr std::int64_t kMs = SimulatedPc::kMs;

class RecognitionTest : public ::testing::Test {
 protected:
  RecognitionTest() : engine(pc.Services()) { engine.SetBase(SimulatedPc::kBase); }

  // The pattern five frames of `shape` give, through the real capture.
  SlotPattern PatternOf(const Shape& shape) {
    AddPress(pc.input, pc.clock.NowNs(), shape, 7);
    SlotHistogram histogram{};
    EXPECT_EQ(engine.CaptureTrains(histogram, 5, 0, 0), 5);
    pc.clock.Advance(500 * kMs);
    return thresholdPattern(histogram, engine.Limit());
  }

  void StoreCode(int button, CodeForm form, const SlotPattern& p1, const SlotPattern& p2) {
    const std::string name = std::to_string(button);
    RegKey(RegRoot::CurrentUser, kCodes1Key).WriteBinary(name, p1.data(), kSlotCount);
    RegKey(RegRoot::CurrentUser, kCodes2Key).WriteBinary(name, p2.data(), kSlotCount);
    RegKey(RegRoot::CurrentUser, kCodeFlagsKey).WriteDword(name, form);
    engine.loadCodes();
  }

  // One press of two frames (probe + recorded train), starting as the capture starts.
  std::uint16_t Press(const Shape& shape) {
    AddPress(pc.input, pc.clock.NowNs(), shape, 2);
    const std::uint16_t value = engine.recognise();
    pc.clock.Advance(100 * kMs);
    return value;
  }

  std::uintptr_t LastLevel() {
    return engine.levels.empty() ? 9999 : engine.levels.back();
  }

  SimulatedPc pc;
  test::LevelRecordingListener engine;
  const Shape shapeA = ShapeWithMarkAt(5000);
  const Shape shapeB = ShapeWithMarkAt(9000);
  // Like a repeat frame: a long leader and one short mark, nothing of a key's data.
  const Shape repeatShape = {{0, 9000}, {12000, 600}};
};

TEST_F(RecognitionTest, EmptyStoreRecognisesNothingAtLevelZero) {
  EXPECT_EQ(Press(shapeA), kNoPress);
  EXPECT_EQ(LastLevel(), 0u);
  EXPECT_EQ(engine.LastCode(), kNoPress);
}

TEST_F(RecognitionTest, IdleCaptureChangesNothing) {
  EXPECT_EQ(engine.recognise(), kNoPress);
  EXPECT_TRUE(engine.levels.empty());
}

// Two buttons whose codes fit the train equally well: a guess could be the wrong button,
// which is worse than nothing.
TEST_F(RecognitionTest, ButtonsThatFitEquallyWellGiveNothing) {
  const SlotPattern a = PatternOf(shapeA);
  StoreCode(9, kAlternatingForm, a, PatternOf(shapeB));
  StoreCode(4, kAlternatingForm, a, PatternOf(repeatShape));
  EXPECT_EQ(Press(shapeA), kNoPress);
  EXPECT_EQ(LastLevel(), 100u) << "the train did match fully";
  EXPECT_EQ(Press(shapeB), 0x8009) << "a train only one button fits is still recognised";
}

// A code whose longer mark also holds this train's events matches it fully, but the code
// of the key that was pressed fits it better, wherever it stands in the store.
TEST_F(RecognitionTest, TrainGoesToTheButtonWhoseCodeFitsItBest) {
  const Shape longMark = {{0, 2000}, {5000, 1800}};
  StoreCode(4, kAlternatingForm, PatternOf(longMark), PatternOf(shapeB));
  StoreCode(9, kAlternatingForm, PatternOf(shapeA), PatternOf(repeatShape));
  EXPECT_EQ(Press(shapeA), 9);
  EXPECT_EQ(Press(longMark), 4);
}

TEST_F(RecognitionTest, AlternatingFormMarksTheSecondShape) {
  StoreCode(3, kAlternatingForm, PatternOf(shapeA), PatternOf(shapeB));
  EXPECT_EQ(Press(shapeB), 0x8003);
  EXPECT_EQ(Press(shapeB), 0x8003) << "whatever the previous value was";
  EXPECT_EQ(Press(shapeA), 3);
  EXPECT_EQ(Press(shapeB), 0x8003);
}

TEST_F(RecognitionTest, PressRepeatFormTogglesMarkerOnSharpPresses) {
  StoreCode(7, kPressRepeatForm, PatternOf(shapeA), PatternOf(repeatShape));
  EXPECT_EQ(Press(shapeA), 7);
  pc.clock.Advance(300 * kMs);
  EXPECT_EQ(Press(shapeA), 0x8007);
  pc.clock.Advance(300 * kMs);
  EXPECT_EQ(Press(shapeA), 7);
}

// A remote that repeats its whole frame while a key is held: the frames that follow each
// other closely are one press, however many of them are recognised.
TEST_F(RecognitionTest, HeldKeyRepeatingItsWholeFrameIsOnePress) {
  StoreCode(7, kPressRepeatForm, PatternOf(shapeA), PatternOf(shapeA));
  // Frames 45 ms apart: 40 would lock the 10 ms probe window and 30 ms idle sleep in phase.
  for (int i = 0; i < 12; ++i) test::AddFrame(pc.input, pc.clock.NowNs() + i * 45 * kMs, shapeA);
  std::vector<std::uint16_t> held;
  for (int i = 0; i < 4; ++i) held.push_back(engine.recognise());
  EXPECT_EQ(held, std::vector<std::uint16_t>(4, 7));
  pc.clock.Advance(500 * kMs);
  EXPECT_EQ(Press(shapeA), 0x8007) << "after a pause it is a new press";
  EXPECT_EQ(Press(shapeA), 0x8007) << "a press right after (100 ms) continues it";
}

// The probe can catch the last frame of a hold and the recording the first frame of the next
// press of the same key: the silence between them makes it a new press.
TEST_F(RecognitionTest, NewPressAfterTheLastFrameOfAHoldIsANewPress) {
  StoreCode(7, kPressRepeatForm, PatternOf(shapeA), PatternOf(shapeA));
  ASSERT_EQ(Press(shapeA), 7);
  // The hold's last frame, met by the next poll; the new press 700 ms later.
  const std::int64_t now = pc.clock.NowNs();
  test::AddFrame(pc.input, now, shapeA);
  AddPress(pc.input, now + 700 * kMs, shapeA, 2);
  const std::uint16_t next = engine.recognise();
  EXPECT_EQ(next, 0x8007) << "probe: the hold's last frame; train: the new press";
}

// A press that begins with a fragment the probe refuses (the end of its first frame) keeps
// the silence before that fragment: it is still a new press.
TEST_F(RecognitionTest, RefusedFragmentDoesNotJoinANewPressToTheLastHold) {
  StoreCode(7, kPressRepeatForm, PatternOf(shapeA), PatternOf(shapeA));
  ASSERT_EQ(Press(shapeA), 7);
  pc.clock.Advance(800 * kMs);
  const std::int64_t start = pc.clock.NowNs();
  pc.input.AddBurst(start, 1 + 4, test::kCharacterNs);  // the tail of the first frame
  AddPress(pc.input, start + 30 * kMs, shapeA, 2);
  EXPECT_EQ(engine.recognise(), 0x8007);
}

// A remote that repeats its whole frame makes a press fit the hold shape as well as the press
// shape; after a pause no held key leaves, it is a new press, not a repeat of the last.
TEST_F(RecognitionTest, WholeFrameRepeatAfterAPauseIsANewPress) {
  const SlotPattern a = PatternOf(shapeA);
  SlotPattern looser = a;
  for (int i = 0; i + 3 < kSlotCount; ++i) {
    if (a[i] != 0) looser[i + 1] = looser[i + 2] = looser[i + 3] = 1;  // runs 3 slots longer
  }
  StoreCode(7, kPressRepeatForm, looser, a);
  ASSERT_EQ(Press(shapeA), 7);
  pc.clock.Advance(1000 * kMs);
  EXPECT_EQ(Press(shapeA), 0x8007) << "within the repeat window, but after a pause";
}

// A remote that follows every frame with its own second shape: the probe takes the frame and
// the train is the second shape, for a new press as for a hold. After a pause it is a new
// press; only a shape other buttons share as well merely continues the last press.
TEST_F(RecognitionTest, HoldShapeOfOneButtonAloneAfterAPauseIsANewPress) {
  StoreCode(7, kPressRepeatForm, PatternOf(shapeA), PatternOf(shapeB));
  const Shape other = ShapeWithMarkAt(3000);
  StoreCode(8, kPressRepeatForm, PatternOf(other), PatternOf(repeatShape));
  auto pressAndFollow = [&] {
    test::AddPressWithRepeats(pc.input, pc.clock.NowNs(), shapeA, shapeB, 1);
    const std::uint16_t value = engine.recognise();
    pc.clock.Advance(500 * kMs);
    return value;
  };
  EXPECT_EQ(pressAndFollow(), 7);
  EXPECT_EQ(pressAndFollow(), 0x8007);
  EXPECT_EQ(pressAndFollow(), 7);
  StoreCode(8, kPressRepeatForm, PatternOf(other), PatternOf(shapeB));
  const std::uint16_t pressed = Press(shapeA);
  ASSERT_EQ(pressed & ~kAlternateMarker, 7);
  EXPECT_EQ(pressAndFollow(), pressed) << "a shared hold shape continues the last press";
}

TEST_F(RecognitionTest, RepeatShapeContinuesLastPressWithinTwoWholeSeconds) {
  StoreCode(7, kPressRepeatForm, PatternOf(shapeA), PatternOf(repeatShape));
  StoreCode(8, kPressRepeatForm, PatternOf(shapeB), PatternOf(repeatShape));
  ASSERT_EQ(Press(shapeA), 7);
  pc.clock.Advance(500 * kMs);
  EXPECT_EQ(Press(repeatShape), 7);
  EXPECT_EQ(Press(shapeB), 8) << "another button restarts without the marker";
  pc.clock.Advance(3000 * kMs);
  EXPECT_EQ(Press(repeatShape), kNoPress) << "too long after the last recognised value";
  EXPECT_EQ(Press(repeatShape), kNoPress) << "a repeat after nothing repeats nothing";
}

TEST_F(RecognitionTest, RepeatWindowIsMeasuredInWholeCalendarSeconds) {
  StoreCode(7, kPressRepeatForm, PatternOf(shapeA), PatternOf(repeatShape));
  // Each press below starts `offsetMs` into a second, counted from the previous second.
  auto atNextSecondPlus = [&](int offsetMs) {
    const std::int64_t second = 1000 * kMs;
    pc.clock.Advance(second - pc.clock.NowNs() % second + offsetMs * kMs);
  };
  atNextSecondPlus(100);
  ASSERT_EQ(Press(shapeA), 7);
  const std::int64_t pressSecond = pc.clock.CalendarSeconds();
  atNextSecondPlus(900);
  EXPECT_EQ(Press(repeatShape), 7) << "1.8 s later, a difference of 1 is inside";
  EXPECT_EQ(engine.LastRecognitionTime(), pressSecond + 1);
  atNextSecondPlus(50);
  EXPECT_EQ(Press(repeatShape), kNoPress) << "about 1.1 s later, but a difference of 2 is outside";
}

TEST_F(RecognitionTest, ClockSetBackCountsAsInsideTheWindow) {
  StoreCode(7, kPressRepeatForm, PatternOf(shapeA), PatternOf(repeatShape));
  ASSERT_EQ(Press(shapeA), 7);
  pc.clock.ShiftCalendar(-3600);
  EXPECT_EQ(Press(repeatShape), 7);
}

TEST_F(RecognitionTest, UnmatchedTrainReportsLastCodesPercentageAndClearsLastCode) {
  StoreCode(7, kPressRepeatForm, PatternOf(shapeA), PatternOf(repeatShape));
  ASSERT_EQ(Press(shapeA), 7);
  const std::int64_t recognisedAt = engine.LastRecognitionTime();
  pc.clock.Advance(1500 * kMs);
  EXPECT_EQ(Press(shapeB), kNoPress);
  EXPECT_LT(LastLevel(), 100u);
  EXPECT_GT(LastLevel(), 0u);
  EXPECT_EQ(engine.LastCode(), kNoPress);
  EXPECT_EQ(engine.LastRecognitionTime(), recognisedAt);
}

}  // namespace
}  // namespace ovalink
