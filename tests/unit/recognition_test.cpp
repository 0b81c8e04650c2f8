#include <gtest/gtest.h>

#include <algorithm>
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

  // A press of two frames whose first starts `silenceUs` after the last frame of the press
  // before it ended, the capture starting just then: the silence the engine measures.
  std::uint16_t PressAfterSilence(const Shape& shape, std::int64_t silenceUs) {
    const std::int64_t start = lastPressEndNs + silenceUs * SimulatedPc::kUs;
    EXPECT_GE(start, pc.clock.NowNs());
    pc.clock.Advance(start - pc.clock.NowNs());
    AddPress(pc.input, start, shape, 2);
    lastPressEndNs = test::FrameEndNs(start + test::kFramePeriodNs, shape);
    return engine.recognise();
  }
  // The button a value names, whichever press of it; no press stays no press.
  static std::uint16_t ButtonOf(std::uint16_t value) {
    return value == kNoPress ? value : static_cast<std::uint16_t>(value & ~kAlternateMarker);
  }
  double MeasuredSilenceMs() {
    return double(engine.SilenceBeforeTicks()) * 1000.0 / double(pc.clock.Frequency());
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
  // Another remote's repeat frame, or a key's own hold shape.
  const Shape otherRepeat = {{0, 9000}, {14000, 600}};
  std::int64_t lastPressEndNs = 0;
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
  // The tail of the first frame, exactly MinReads events after the poll that noticed it.
  pc.input.AddBurst(start, 1 + 10, test::kCharacterNs);
  AddPress(pc.input, start + 30 * kMs, shapeA, 2);
  EXPECT_EQ(engine.recognise(), 0x8007);
}

// A probe of more than MinReads events proves a remote and leaves nothing refused behind:
// the frames that follow closely are still the same press.
TEST_F(RecognitionTest, AcceptedProbeLeavesNoRefusedFragmentForTheNextPress) {
  StoreCode(7, kPressRepeatForm, PatternOf(shapeA), PatternOf(shapeA));
  const std::int64_t start = pc.clock.NowNs() + 1000 * kMs;
  pc.clock.Advance(start - pc.clock.NowNs());
  pc.input.AddBurst(start, 1 + 11, 100 * SimulatedPc::kUs);  // the poll takes the first
  test::AddFrame(pc.input, start + test::kFramePeriodNs, shapeA);
  lastPressEndNs = test::FrameEndNs(start + test::kFramePeriodNs, shapeA);
  ASSERT_EQ(engine.recognise(), 7);
  EXPECT_EQ(PressAfterSilence(shapeA, 150'000), 7) << "another frame of the key held";
}

// A remote that repeats its whole frame makes a press fit the hold shape as well as the press
// shape; after a pause no held key leaves, it is a new press, not a repeat of the last.
TEST_F(RecognitionTest, WholeFrameRepeatAfterAPauseIsANewPress) {
  const SlotPattern a = PatternOf(shapeA);
  // The press shape a little looser than the hold shape, yet alike: every mark edge one slot
  // further out, and the last mark two.
  SlotPattern looser = a;
  for (int i = 1; i + 2 < kSlotCount; ++i) {
    if (a[i] != 0 && a[i - 1] == 0) looser[i - 1] = 1;
    if (a[i] != 0 && a[i + 1] == 0) looser[i + 1] = 1;
  }
  int last = kSlotCount - 1;
  while (a[last] == 0) --last;
  looser[last + 2] = 1;
  SlotPattern merged = looser;
  ASSERT_EQ(similarAndMerge(merged, a), 0) << "the two shapes of a whole-frame repeater";
  StoreCode(7, kPressRepeatForm, looser, a);
  ASSERT_EQ(Press(shapeA), 7);
  pc.clock.Advance(1000 * kMs);
  EXPECT_EQ(Press(shapeA), 0x8007) << "within the repeat window, but after a pause";
}

// A remote that follows every frame with its own second shape: the probe takes the frame and
// the train is the second shape, for a new press as for a hold. After a pause it is a new
// press of its button, unless that button was the last (then it continues that press, as a
// hold shape does); a shape other buttons share as well merely continues the last press.
TEST_F(RecognitionTest, HoldShapeOfOneButtonAloneAfterAPauseIsANewPress) {
  const Shape other = ShapeWithMarkAt(3000);
  const Shape otherFollow = ShapeWithMarkAt(11000);
  StoreCode(7, kPressRepeatForm, PatternOf(shapeA), PatternOf(shapeB));
  StoreCode(8, kPressRepeatForm, PatternOf(other), PatternOf(otherFollow));
  auto pressAndFollow = [&](const Shape& press, const Shape& follow) {
    test::AddPressWithRepeats(pc.input, pc.clock.NowNs(), press, follow, 1);
    const std::uint16_t value = engine.recognise();
    pc.clock.Advance(500 * kMs);
    return value;
  };
  EXPECT_EQ(pressAndFollow(shapeA, shapeB), 7);
  EXPECT_EQ(pressAndFollow(other, otherFollow), 8);
  EXPECT_EQ(pressAndFollow(shapeA, shapeB), 7);
  EXPECT_EQ(pressAndFollow(shapeA, shapeB), 7) << "the last button's own: its press goes on";
  StoreCode(8, kPressRepeatForm, PatternOf(other), PatternOf(shapeB));
  ASSERT_EQ(Press(other), 8);
  EXPECT_EQ(pressAndFollow(shapeA, shapeB), 8) << "a shared hold shape continues the last press";
}

// A hold shape that holds the key's own press shape is a looser copy of its frame (hold trains
// caught at several phases). After a pause a train that fits only that copy is not the key's,
// whose train would fit its press shape: another key's frame, which names nothing.
TEST_F(RecognitionTest, AfterAPauseATrainFittingOnlyALooserCopyOfAKeysFrameIsNoPressOfIt) {
  const Shape press = {{0, 2000}, {5000, 1000}};
  const Shape neighbour = {{0, 2000}, {4600, 1400}};
  StoreCode(7, kPressRepeatForm, PatternOf(press), PatternOf({{0, 2000}, {4500, 1600}}));
  StoreCode(8, kPressRepeatForm, PatternOf(ShapeWithMarkAt(3000)), PatternOf(ShapeWithMarkAt(11000)));
  ASSERT_EQ(Press(ShapeWithMarkAt(3000)), 8);
  pc.clock.Advance(500 * kMs);
  EXPECT_EQ(Press(neighbour), kNoPress);
  pc.clock.Advance(500 * kMs);
  EXPECT_EQ(Press(press), 7) << "the key's own frame";
}

// Extended keys send a first frame they share (their hold shape) before their own. A loose
// press shape that holds the shared frame too (a mark 0.25 ms longer: misfit 4 against 0) does
// not name it; one that fits it about as well (0.2 ms longer: misfit 2) does.
TEST_F(RecognitionTest, ATrainThatAnotherButtonsHoldShapeFitsFarBetterNamesNoLoosePressShape) {
  const Shape shared = {{0, 2000}, {5000, 1000}};
  StoreCode(7, kPressRepeatForm, PatternOf(ShapeWithMarkAt(9000)), PatternOf(shared));
  StoreCode(8, kPressRepeatForm, PatternOf(ShapeWithMarkAt(11000)), PatternOf(shared));
  for (const int longerUs : {200, 250}) {
    StoreCode(5, kAlternatingForm, PatternOf({{0, 2000}, {5000, 1000 + longerUs}}),
              PatternOf(ShapeWithMarkAt(13000)));
    // Long enough after the last press for a hold shape to continue nothing.
    ASSERT_EQ(Press(ShapeWithMarkAt(13000)) & kPressIndexMask, 5);
    pc.clock.Advance(3000 * kMs);
    const std::uint16_t value = Press(shared);
    EXPECT_EQ(value == kNoPress ? kNoPress : value & kPressIndexMask, longerUs == 200 ? 5 : kNoPress)
        << longerUs;
    pc.clock.Advance(3000 * kMs);
  }
}

// A hold shape of one mark alone is no button's own, however unlike the others' it is: after
// a pause it names no button. Two marks are enough to be a button's own.
TEST_F(RecognitionTest, ALoneMarkAfterAPauseIsNoButtonsOwnHoldShape) {
  const Shape other = ShapeWithMarkAt(3000);
  for (const bool twoMarks : {false, true}) {
    const Shape follow = twoMarks ? ShapeWithMarkAt(11000) : Shape{{0, 2500}};
    const Shape otherFollow = ShapeWithMarkAt(13000);
    StoreCode(7, kPressRepeatForm, PatternOf(shapeA), PatternOf(follow));
    StoreCode(8, kPressRepeatForm, PatternOf(other), PatternOf(otherFollow));
    ASSERT_EQ(Press(other) & kPressIndexMask, 8) << twoMarks;
    pc.clock.Advance(500 * kMs);
    test::AddPressWithRepeats(pc.input, pc.clock.NowNs(), shapeA, follow, 1);
    EXPECT_EQ(engine.recognise(), twoMarks ? 7 : kNoPress) << (twoMarks ? "two marks" : "one mark");
    pc.clock.Advance(3000 * kMs);
  }
}

// A key whose frame has long marks fills each mark of its hold shape from end to end. After a
// pause, a train with a space of six slots inside one, between two marks of its own of six
// slots or more, is another key's frame and names nothing; a space of five, or a mark of
// five beside it, may be the key's.
TEST_F(RecognitionTest, AfterAPauseATrainWithASpaceInsideAMarkOfAHoldShapeNamesNoButton) {
  const Shape other = ShapeWithMarkAt(3000);
  StoreCode(7, kPressRepeatForm, PatternOf(shapeB), PatternOf({{0, 2000}, {5000, 3000}}));
  StoreCode(8, kPressRepeatForm, PatternOf(other), PatternOf(ShapeWithMarkAt(13000)));
  struct Split {
    int firstUs;   // the first part of the mark, from 5 ms; 61 us a character
    int secondUs;  // where the rest of it starts
    bool names;
  };
  for (const Split split : {Split{1000, 6500, true}, Split{1000, 6600, false},
                            Split{500, 6100, true}, Split{550, 6300, false}}) {
    ASSERT_EQ(Press(other) & kPressIndexMask, 8);
    pc.clock.Advance(500 * kMs);
    const Shape follow = {{0, 2000}, {5000, split.firstUs}, {split.secondUs, 8000 - split.secondUs}};
    test::AddPressWithRepeats(pc.input, pc.clock.NowNs(), shapeB, follow, 1);
    EXPECT_EQ(engine.recognise(), split.names ? 7 : kNoPress) << split.firstUs << " " << split.secondUs;
    pc.clock.Advance(3000 * kMs);
  }
}

// A quiet run tolerates five events, but not as a mark the pattern lacks. Five characters
// 61 us apart fall in three slots from 50 us into a slot and in four from 60 us: four in a
// row are another key's mark, in a press shape or a hold shape alike.
TEST_F(RecognitionTest, FiveEventsOverFourSlotsWhereThePatternIsQuietAreAMarkItLacks) {
  // Marks that start 50 us into a slot leave the quiet run before them empty.
  const Shape press = {{0, 2000}, {5050, 1000}};
  const Shape hold = {{0, 9000}, {12050, 600}};
  StoreCode(7, kPressRepeatForm, PatternOf(press), PatternOf(hold));
  const auto withMarkAt = [](Shape shape, int startUs) {
    shape.push_back({startUs, 244});
    std::sort(shape.begin(), shape.end());
    return shape;
  };
  for (const int intoSlotUs : {50, 60}) {
    const bool fits = intoSlotUs == 50;
    EXPECT_EQ(Press(withMarkAt(press, 3000 + intoSlotUs)), fits ? 7 : kNoPress) << intoSlotUs;
    pc.clock.Advance(3000 * kMs);
    const std::uint16_t pressed = Press(press);
    ASSERT_EQ(pressed & kPressIndexMask, 7);
    EXPECT_EQ(Press(withMarkAt(hold, 10000 + intoSlotUs)), fits ? pressed : kNoPress) << intoSlotUs;
    pc.clock.Advance(3000 * kMs);
  }
}

// A remote that repeats its whole frame sends one shape, and its own train fills each mark.
// A 1 ms mark inside one of 1.575 ms leaves five slots of it empty and still fits; inside one
// of 1.6 ms it leaves six, a shorter mark: another key of a pulse-width code. A code with a
// hold shape of its own keeps the looser fit, since its patterns may hold several trains.
TEST_F(RecognitionTest, TrainLeavingSixSlotsOfAWholeFrameCodesMarkEmptyIsAnotherKey) {
  const Shape shorter = {{0, 2000}, {5050, 1000}};
  for (const int longerUs : {1575, 1600}) {
    SCOPED_TRACE(longerUs);
    const Shape longer = {{0, 2000}, {5050, longerUs}};
    StoreCode(7, kPressRepeatForm, PatternOf(longer), PatternOf(longer));
    EXPECT_EQ(Press(shorter) != kNoPress, longerUs == 1575) << "whole frame repeated";
    pc.clock.Advance(3000 * kMs);
    StoreCode(7, kPressRepeatForm, PatternOf(longer), PatternOf(repeatShape));
    EXPECT_NE(Press(shorter), kNoPress) << "a hold shape of its own";
    pc.clock.Advance(3000 * kMs);
  }
}

// A pattern holds every mark of its own key's trains, though a train may leave some of them
// empty. A train that leaves four slots of a mark empty and has an event where the pattern is
// quiet lies across it: another key's. With a stray mark of two slots, three empty are enough
// against an alternating code's pattern, and against any other where the train strays at a
// few places only; a key's own train that strays that far does so at many. A 1 ms mark inside
// one of 1.275 ms leaves two slots empty, inside one of 1.4 ms three, of 1.425 ms four; a
// 30 us glitch brings events to one quiet slot, a 100 us one to two.
TEST_F(RecognitionTest, TrainWithAStrayMarkAndSlotsOfAMarkEmptyIsAnotherKey) {
  struct Case {
    int longerUs, glitchUs;
    bool fitsPressRepeat, fitsAlternating;
  };
  const Case cases[] = {
      {1275, 0, true, true},   {1275, 30, true, true},   {1275, 100, true, true},
      {1400, 0, true, true},   {1400, 30, true, true},   {1400, 100, false, false},
      {1425, 0, true, true},   {1425, 30, false, false}, {1425, 100, false, false},
  };
  for (const Case& c : cases) {
    Shape train = {{0, 2000}, {3050, c.glitchUs}, {5050, 1000}};
    if (c.glitchUs == 0) train.erase(train.begin() + 1);
    for (const CodeForm form : {kPressRepeatForm, kAlternatingForm}) {
      StoreCode(7, form, PatternOf({{0, 2000}, {5050, c.longerUs}}), PatternOf(repeatShape));
      EXPECT_EQ(Press(train) != kNoPress, form == kAlternatingForm ? c.fitsAlternating : c.fitsPressRepeat)
          << c.longerUs << " us, glitch of " << c.glitchUs << " us, form " << form;
      pc.clock.Advance(3000 * kMs);
    }
  }
  // The same stray mark and empty slots, and glitches elsewhere: eight places in all where the
  // train strays are a neighbour's few, nine a press-and-repeat key's own loose train. Marks
  // and glitches start 50 us into a slot, so that each glitch is one stray place.
  Shape marks = {{0, 2000}, {5050, 1400}};
  for (int m = 0; m < 9; ++m) marks.push_back({8050 + 1000 * m, 500});
  for (const int glitches : {7, 8}) {
    Shape train = marks;
    train[1] = {5050, 1000};
    train.insert(train.begin() + 1, {3050, 100});
    for (int g = 0; g < glitches; ++g) train.push_back({8750 + 1000 * g, 30});
    std::sort(train.begin(), train.end());
    for (const CodeForm form : {kPressRepeatForm, kAlternatingForm}) {
      StoreCode(7, form, PatternOf(marks), PatternOf(repeatShape));
      EXPECT_EQ(Press(train) != kNoPress, form == kPressRepeatForm && glitches == 8)
          << glitches + 1 << " stray places, form " << form;
      pc.clock.Advance(3000 * kMs);
    }
  }
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

// After a pause a repeat shape continues the last press, but not behind a probe that heard a
// longer frame: that was the first frame of a new press, of a key the repeat shape cannot
// name. The repeat shape brings 158 events; the probe hears 237 of a 14.517 ms mark, half as
// many again, and 238 of a 14.518 ms one.
TEST_F(RecognitionTest, AfterAPauseARepeatShapeBehindALongerFrameNamesNoKey) {
  StoreCode(7, kPressRepeatForm, PatternOf(shapeA), PatternOf(repeatShape));
  StoreCode(8, kPressRepeatForm, PatternOf(shapeB), PatternOf(repeatShape));
  for (const int probeUs : {14517, 14518}) {
    SCOPED_TRACE(probeUs);
    const std::uint16_t pressed = Press(shapeA);
    ASSERT_EQ(pressed & kPressIndexMask, 7);
    pc.clock.Advance(500 * kMs);
    test::AddPressWithRepeats(pc.input, pc.clock.NowNs(), {{0, probeUs}}, repeatShape, 1);
    EXPECT_EQ(engine.recognise(), probeUs == 14517 ? pressed : kNoPress);
    pc.clock.Advance(3000 * kMs);
  }
}

// A transmission whose first frame every key shares, then the key's own (a prefix frame, as
// A/V receivers send). When the probe spent another frame before it, the shared frame names
// nothing after a pause, and the key's own frame must be the next train recorded: probing
// again would spend it and meet the shared frame of the next pair, in step for the whole
// hold. It is recorded at once when it follows within 80 ms, as the rest of the press, with
// the pause before it (a new press of the key pressed before). Only the one train after a
// shared frame is: a second shared frame is no pair's first half.
TEST_F(RecognitionTest, AKeysOwnFrameAfterASharedFirstFrameIsThePress) {
  StoreCode(7, kPressRepeatForm, PatternOf(shapeA), PatternOf(repeatShape));
  StoreCode(8, kPressRepeatForm, PatternOf(shapeB), PatternOf(repeatShape));
  const auto transmission = [&](std::int64_t gapUs, int sharedFrames) {
    const std::int64_t start = pc.clock.NowNs();
    test::AddFrame(pc.input, start, ShapeWithMarkAt(3000));  // the probe's
    std::int64_t next = start + 500 * kMs;
    for (int i = 0; i < sharedFrames; ++i) {
      test::AddFrame(pc.input, next, repeatShape);
      next = test::FrameEndNs(next, repeatShape) + test::kCharacterNs + gapUs * SimulatedPc::kUs;
    }
    test::AddFrame(pc.input, next, shapeA);
    std::uint16_t value = kNoPress;
    for (int i = 0; i <= sharedFrames; ++i) {
      value = engine.recognise();
      if (i < sharedFrames) {
        EXPECT_EQ(value, kNoPress) << "shared frame " << i;
      }
    }
    pc.clock.Advance(3000 * kMs);
    return value;
  };
  EXPECT_EQ(transmission(80'500, 1), kNoPress) << "too late for the same transmission";
  EXPECT_EQ(transmission(79'500, 1), 7);
  EXPECT_EQ(transmission(79'500, 1), 0x8007) << "after a pause, a new press of 7";
  EXPECT_EQ(transmission(30'000, 2), kNoPress) << "behind two shared frames";
}

// After a pause, a train that fits no shape and is shorter than the frame the probe spent (a
// glitch, a broken frame) starts no hold: the key's frames after it are a new press, not the
// last press held, however close they follow it. Within a held key's silence it is part of
// the hold. A train as long may be a frame of a key nobody trained: the key's frames close
// behind it are no hold of the key's last press either. The probe hears 16 events of its
// frame; the glitch brings 15 with a 910 us mark, and two marks of 600 us bring 20.
TEST_F(RecognitionTest, AfterAPauseAFragmentThatFitsNothingLeavesThePauseToTheFramesAfterIt) {
  StoreCode(7, kPressRepeatForm, PatternOf(shapeA), PatternOf(repeatShape));
  StoreCode(8, kPressRepeatForm, PatternOf(shapeB), PatternOf(repeatShape));
  lastPressEndNs = pc.clock.NowNs();
  ASSERT_EQ(PressAfterSilence(shapeA, 1'000'000), 7);
  const auto pressAfterGlitch = [&](std::int64_t silenceUs, const test::Shape& glitch) {
    const std::int64_t start = lastPressEndNs + silenceUs * SimulatedPc::kUs;
    pc.clock.Advance(start - pc.clock.NowNs());
    test::AddFrame(pc.input, start, {{0, 1000}});  // the probe's
    test::AddFrame(pc.input, start + test::kFramePeriodNs, glitch);
    // Three frames: the idle poll may meet the first only as it ends.
    test::AddPress(pc.input, start + 2 * test::kFramePeriodNs, shapeA, 3);
    lastPressEndNs = test::FrameEndNs(start + 4 * test::kFramePeriodNs, shapeA);
    EXPECT_EQ(engine.recognise(), kNoPress) << "the glitch";
    return engine.recognise();
  };
  EXPECT_EQ(pressAfterGlitch(199'500, {{0, 910}}), 7) << "within a held key's silence";
  EXPECT_EQ(pressAfterGlitch(200'500, {{0, 910}}), 0x8007) << "after a pause, a new press";
  EXPECT_EQ(pressAfterGlitch(1'000'000, {{0, 600}, {800, 600}}), 7)
      << "behind a train as long as the probe's frame, a new press too";
}

// After a pause, a train that fits nothing and is shorter than the probe's frame, or a lone
// mark of any length (no key's frame is one mark), is a fragment: the one frame of a tap behind
// it is recorded at once. Behind a train of two marks as long as the probe's frame the next
// probe spends it.
TEST_F(RecognitionTest, ALoneMarkOrATrainShorterThanTheProbesIsAFragment) {
  StoreCode(8, kPressRepeatForm, PatternOf(shapeB), PatternOf(repeatShape));
  const auto tapBehind = [&](const test::Shape& fragment) {
    const std::int64_t start = pc.clock.NowNs() + 1000 * kMs;
    pc.clock.Advance(start - pc.clock.NowNs());
    test::AddFrame(pc.input, start, {{0, 1000}});  // the probe's
    test::AddFrame(pc.input, start + test::kFramePeriodNs, fragment);
    test::AddFrame(pc.input, start + 2 * test::kFramePeriodNs, shapeB);
    EXPECT_EQ(engine.recognise(), kNoPress) << "the fragment";
    const std::uint16_t value = engine.recognise();
    pc.clock.Advance(1000 * kMs);
    return ButtonOf(value);
  };
  EXPECT_EQ(tapBehind({{0, 600}, {800, 300}}), 8) << "one event fewer than the probe's frame";
  EXPECT_EQ(tapBehind({{0, 600}, {800, 310}}), kNoPress) << "as many events as the probe's frame";
  EXPECT_EQ(tapBehind({{0, 3000}}), 8) << "one mark, longer than the probe's frame";
}

// A tap whose one frame follows a lone flash (a recorder's, or the remote's own before its
// first frame), after a tap the probe spent: the flash names nothing, and the frame behind it
// is recorded at once as the press instead of being spent by the next probe. Within a held
// key's silence the flash is part of the hold, and the next probe spends the frame.
TEST_F(RecognitionTest, AfterAPauseTheFrameBehindAFragmentIsThePress) {
  StoreCode(7, kPressRepeatForm, PatternOf(shapeA), PatternOf(repeatShape));
  StoreCode(8, kPressRepeatForm, PatternOf(shapeB), PatternOf(repeatShape));
  lastPressEndNs = pc.clock.NowNs();
  ASSERT_EQ(PressAfterSilence(shapeA, 1'000'000), 7);
  const auto tapBehindAFlash = [&](std::int64_t silenceUs) {
    const std::int64_t start = lastPressEndNs + silenceUs * SimulatedPc::kUs;
    pc.clock.Advance(start - pc.clock.NowNs());
    test::AddFrame(pc.input, start, shapeB);  // the probe's
    test::AddFrame(pc.input, start + test::kFramePeriodNs, {{0, 910}});
    test::AddFrame(pc.input, start + 2 * test::kFramePeriodNs, shapeB);
    lastPressEndNs = test::FrameEndNs(start + 2 * test::kFramePeriodNs, shapeB);
    EXPECT_EQ(engine.recognise(), kNoPress) << "the flash";
    return engine.recognise();
  };
  EXPECT_EQ(tapBehindAFlash(1'000'000), 8) << "after a pause";
  EXPECT_EQ(tapBehindAFlash(199'500), kNoPress) << "within a held key's silence";
}

// The frame behind a lone flash may come later than the second half of a frame pair (a
// recorder's truncated frame, a flash 27 ms after it, the whole frame 128 ms after that):
// within a held key's silence of the flash it is still the press the flash began, and is
// recorded at once; later, the probe spends it. A fragment of two marks ends a frame, and
// what comes later than a frame pair's halves is another transmission, which the probe spends.
TEST_F(RecognitionTest, TheFrameBehindALoneFlashIsRecordedWithinAHeldKeysSilence) {
  StoreCode(7, kPressRepeatForm, PatternOf(shapeA), PatternOf(repeatShape));
  StoreCode(8, kPressRepeatForm, PatternOf(shapeB), PatternOf(repeatShape));
  lastPressEndNs = pc.clock.NowNs();
  ASSERT_EQ(PressAfterSilence(shapeA, 1'000'000), 7);
  const test::Shape flash = {{0, 910}};
  const test::Shape twoMarks = {{0, 910}, {1500, 500}};
  struct Case {
    const test::Shape* fragment;
    std::int64_t afterUs;
    std::uint16_t expected;
  };
  for (const Case c : {Case{&flash, 200'500, kNoPress}, Case{&flash, 199'500, 8},
                       Case{&twoMarks, 120'000, kNoPress}, Case{&twoMarks, 60'000, 8}}) {
    const std::int64_t start = lastPressEndNs + 1000 * kMs;
    pc.clock.Advance(start - pc.clock.NowNs());
    test::AddFrame(pc.input, start, shapeB);  // the probe's
    const std::int64_t fragmentAt = start + test::kFramePeriodNs;
    test::AddFrame(pc.input, fragmentAt, *c.fragment);
    const std::int64_t frameAt =
        test::FrameEndNs(fragmentAt, *c.fragment) + c.afterUs * SimulatedPc::kUs;
    test::AddFrame(pc.input, frameAt, shapeB);
    lastPressEndNs = test::FrameEndNs(frameAt, shapeB);
    EXPECT_EQ(engine.recognise(), kNoPress) << "the fragment";
    const std::uint16_t value = engine.recognise();
    EXPECT_EQ(ButtonOf(value), c.expected)
        << c.fragment->size() << " marks, " << c.afterUs << " us after";
  }
}

// A recorder's truncated frame, a flash 27 ms behind it and the whole frame 128 ms after that:
// the flash follows on the truncated frame, and the frame on the flash. Two flashes in a row
// come before a frame pair, whose first frame the probe is to spend: the second is the key's.
TEST_F(RecognitionTest, TheFrameBehindATruncatedFrameAndItsFlashIsThePress) {
  StoreCode(8, kPressRepeatForm, PatternOf(shapeB), PatternOf(repeatShape));
  const test::Shape truncated = {{0, 910}, {1500, 500}};  // fewer events than the probe's frame
  const test::Shape flash = {{0, 1800}};
  const test::Shape unknown = ShapeWithMarkAt(3000);
  const auto tap = [&](std::vector<std::pair<const test::Shape*, std::int64_t>> trains) {
    std::int64_t at = pc.clock.NowNs() + 1000 * kMs;
    pc.clock.Advance(at - pc.clock.NowNs());
    test::AddFrame(pc.input, at, shapeB);  // the probe's
    at = test::FrameEndNs(at, shapeB);
    for (const auto& [shape, afterMs] : trains) {
      at += afterMs * kMs;
      test::AddFrame(pc.input, at, *shape);
      at = test::FrameEndNs(at, *shape);
    }
    EXPECT_EQ(engine.recognise(), kNoPress) << "the first train";
    EXPECT_EQ(engine.recognise(), kNoPress) << "the flash behind it";
    const std::uint16_t value = engine.recognise();
    pc.clock.Advance(at + 1000 * kMs - pc.clock.NowNs());
    return ButtonOf(value);
  };
  EXPECT_EQ(tap({{&truncated, 25}, {&flash, 27}, {&shapeB, 128}}), 8) << "truncated, flash, frame";
  EXPECT_EQ(tap({{&flash, 25}, {&flash, 25}, {&unknown, 25}, {&shapeB, 25}}), 8)
      << "two flashes, a frame pair";
}

// With one code stored nothing shows that its hold shape is that key's own and not every
// key's: after nothing recognised, it repeats nothing (a held untrained key of the same
// remote sends it too).
TEST_F(RecognitionTest, RepeatShapeAfterNothingRepeatsNothingWithOneCodeStored) {
  StoreCode(7, kPressRepeatForm, PatternOf(shapeA), PatternOf(repeatShape));
  EXPECT_EQ(Press(repeatShape), kNoPress) << "nothing recognised before";
  pc.clock.Advance(1000 * kMs);
  EXPECT_EQ(Press(repeatShape), kNoPress) << "after a pause";
  ASSERT_EQ(Press(shapeA), 7);
  EXPECT_EQ(Press(shapeB), kNoPress);
  EXPECT_EQ(Press(repeatShape), kNoPress) << "right after an unrecognised train";
}

// The probe may hear the last frame of one press and the recording wait for the next press's
// first light. When that is a repeat shape (a lone leader, a broken frame), it begins a new
// press after a silence no held key leaves: it repeats nothing, even within 2 s of the last.
TEST_F(RecognitionTest, RepeatShapeThatBeginsAPressAfterTheProbeRepeatsNothing) {
  StoreCode(7, kPressRepeatForm, PatternOf(shapeA), PatternOf(repeatShape));
  ASSERT_EQ(Press(shapeA), 7);
  for (const int afterMs : {199, 201}) {
    pc.clock.Advance(300 * kMs);  // the probe's frame, too, follows a pause
    const std::int64_t start = pc.clock.NowNs();
    test::AddFrame(pc.input, start, shapeA);
    const std::int64_t frameEnd = test::FrameEndNs(start, shapeA);
    test::AddFrame(pc.input, frameEnd + afterMs * kMs, repeatShape);
    EXPECT_EQ(engine.recognise(), afterMs < 200 ? 7 : kNoPress) << afterMs;
  }
}

// Only the press before decides which button a hold shape repeats.
TEST_F(RecognitionTest, RepeatContinuesTheLastPressWhicheverCodesHoldShapeItFits) {
  StoreCode(7, kPressRepeatForm, PatternOf(shapeA), PatternOf(repeatShape));
  StoreCode(8, kPressRepeatForm, PatternOf(shapeB), PatternOf(otherRepeat));
  const Shape odd = ShapeWithMarkAt(3000);
  StoreCode(3, kAlternatingForm, PatternOf(odd), PatternOf(ShapeWithMarkAt(11000)));
  ASSERT_EQ(Press(shapeA), 7);
  EXPECT_EQ(Press(otherRepeat), 7) << "8's hold shape right after a press of 7";
  ASSERT_EQ(Press(odd), 3);
  EXPECT_EQ(Press(repeatShape), 3) << "7's hold shape right after the alternating button 3";
}

// A key's own hold shape after a pause continues its last press within the repeat window,
// also when other buttons' codes show that each key has a hold shape of its own.
TEST_F(RecognitionTest, OwnHoldShapeAfterAPauseContinuesTheLastPress) {
  StoreCode(7, kPressRepeatForm, PatternOf(shapeA), PatternOf(repeatShape));
  StoreCode(8, kPressRepeatForm, PatternOf(shapeB), PatternOf(otherRepeat));
  ASSERT_EQ(Press(shapeA), 7);
  pc.clock.Advance(700 * kMs);
  EXPECT_EQ(Press(repeatShape), 7) << "within the repeat window";
  pc.clock.Advance(3000 * kMs);
  EXPECT_EQ(Press(repeatShape), kNoPress) << "after it";
}

// After a pause, a hold shape the last key never sends (it holds with one of its own) is
// the common first frame of other keys' transmissions: it repeats nothing. Right after the
// press it is still taken for the key held.
TEST_F(RecognitionTest, OtherKeysCommonHoldShapeAfterAPauseRepeatsNothing) {
  StoreCode(7, kPressRepeatForm, PatternOf(shapeA), PatternOf(repeatShape));
  StoreCode(8, kPressRepeatForm, PatternOf(shapeB), PatternOf(otherRepeat));
  StoreCode(9, kPressRepeatForm, PatternOf(ShapeWithMarkAt(3000)), PatternOf(otherRepeat));
  lastPressEndNs = pc.clock.NowNs();
  ASSERT_EQ(PressAfterSilence(shapeA, 1'000'000), 7);
  EXPECT_EQ(PressAfterSilence(otherRepeat, 199'500), 7) << "within a held key's silence";
  EXPECT_EQ(PressAfterSilence(otherRepeat, 200'500), kNoPress) << "after a pause";
  EXPECT_EQ(PressAfterSilence(otherRepeat, 50'000), kNoPress) << "the rest of that press";
  ASSERT_EQ(PressAfterSilence(shapeA, 1'000'000), 0x8007);
  EXPECT_EQ(PressAfterSilence(repeatShape, 500'000), 0x8007) << "its own hold shape repeats it";
}

// After a pause, a frame that other keys hold with too, and that is no repeat code (a leader
// and a mark or two), is the first frame of an extended key's transmission: the frame after
// it names the key, and the last key is not repeated. A repeat code, or a frame only the last
// key holds with, still repeats it; so does any of them within a held key's silence.
TEST_F(RecognitionTest, AfterAPauseAFrameThatOtherKeysHoldWithRepeatsNothing) {
  const Shape threeMarks = {{0, 2000}, {3000, 600}, {10000, 600}};
  const Shape fourMarks = {{0, 2000}, {3000, 600}, {7000, 600}, {10000, 600}};
  struct Case {
    const char* name;
    const Shape& held;
    const Shape& otherHeld;
    bool repeats;
  };
  const Case cases[] = {{"a shared repeat code", threeMarks, threeMarks, true},
                        {"a shared frame", fourMarks, fourMarks, false},
                        {"a frame of the last key's own", fourMarks, otherRepeat, true}};
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    StoreCode(7, kPressRepeatForm, PatternOf(shapeA), PatternOf(c.held));
    StoreCode(8, kPressRepeatForm, PatternOf(shapeB), PatternOf(c.otherHeld));
    lastPressEndNs = pc.clock.NowNs();
    const std::uint16_t pressed = PressAfterSilence(shapeA, 1'000'000);
    ASSERT_EQ(pressed & ~kAlternateMarker, 7);
    EXPECT_EQ(PressAfterSilence(c.held, 199'500), pressed) << "within a held key's silence";
    EXPECT_EQ(PressAfterSilence(c.held, 200'500), c.repeats ? pressed : kNoPress)
        << "after a pause";
    pc.clock.Advance(3000 * kMs);
  }
}

// A remote with a hold shape of its own: however quickly a key is pressed again, the
// second press is a press.
TEST_F(RecognitionTest, QuickSecondPressOfAKeyWithItsOwnHoldShapeIsAPress) {
  StoreCode(7, kPressRepeatForm, PatternOf(shapeA), PatternOf(repeatShape));
  lastPressEndNs = pc.clock.NowNs();
  ASSERT_EQ(PressAfterSilence(shapeA, 1'000'000), 7);
  EXPECT_EQ(PressAfterSilence(shapeA, 115'000), 0x8007);
  EXPECT_EQ(PressAfterSilence(shapeA, 165'000), 7);
}

// A key whose hold shape every key shares (a repeat code, a common prefix): its press
// shape again after less than 80 ms of silence is the same transmission going on (a frame
// pair held), not a second press, which no one makes that fast.
TEST_F(RecognitionTest, PressShapeWithinOneTransmissionsSilenceContinuesThePress) {
  StoreCode(7, kPressRepeatForm, PatternOf(shapeA), PatternOf(repeatShape));
  StoreCode(8, kPressRepeatForm, PatternOf(shapeB), PatternOf(repeatShape));
  lastPressEndNs = pc.clock.NowNs();
  ASSERT_EQ(PressAfterSilence(shapeA, 1'000'000), 7);
  EXPECT_EQ(PressAfterSilence(shapeA, 79'500), 7) << "the same transmission";
  ASSERT_NEAR(MeasuredSilenceMs(), 79.5, 0.05);
  EXPECT_EQ(PressAfterSilence(shapeA, 80'500), 0x8007) << "a second press";
  ASSERT_NEAR(MeasuredSilenceMs(), 80.5, 0.05);
}

// Whole-frame repeats continue a press only within the silence a held key leaves (200 ms).
TEST_F(RecognitionTest, WholeFrameRepeatsContinueAPressOnlyWithinTheSilenceOfAHeldKey) {
  StoreCode(7, kPressRepeatForm, PatternOf(shapeA), PatternOf(shapeA));
  lastPressEndNs = pc.clock.NowNs();
  ASSERT_EQ(PressAfterSilence(shapeA, 1'000'000), 7);
  EXPECT_EQ(PressAfterSilence(shapeA, 199'500), 7) << "another frame of the key held";
  ASSERT_NEAR(MeasuredSilenceMs(), 199.5, 0.05);
  EXPECT_EQ(PressAfterSilence(shapeA, 200'500), 0x8007) << "a new press";
  ASSERT_NEAR(MeasuredSilenceMs(), 200.5, 0.05);
}

// After a pause a whole-frame remote's train is a new press. One that no key's shape stands
// out for (a key nobody trained, its pulses inside a trained key's slightly longer ones)
// names nothing; it is not the last key repeated. Within a held key's silence it still is.
TEST_F(RecognitionTest, WholeFrameTrainThatStandsOutForNoKeyAfterAPauseRepeatsNothing) {
  const Shape longPulse = {{0, 2000}, {5050, 1500}};
  const Shape twoShortPulses = {{0, 2000}, {5050, 1000}, {9050, 500}};
  const Shape untrained = {{0, 2000}, {5050, 1000}};
  StoreCode(7, kPressRepeatForm, PatternOf(longPulse), PatternOf(longPulse));
  StoreCode(8, kPressRepeatForm, PatternOf(twoShortPulses), PatternOf(twoShortPulses));
  lastPressEndNs = pc.clock.NowNs();
  ASSERT_EQ(PressAfterSilence(longPulse, 1'000'000), 7);
  EXPECT_EQ(PressAfterSilence(untrained, 199'500), 7) << "within a held key's silence";
  EXPECT_EQ(PressAfterSilence(untrained, 200'500), kNoPress) << "after a pause";
  ASSERT_EQ(PressAfterSilence(longPulse, 1'000'000), 0x8007);
  EXPECT_EQ(PressAfterSilence(untrained, 500'000), kNoPress) << "half a second later";
}

// Where two keys' shapes differ, the key named must agree with the train in at least 2 more
// of those slots than the other key's shape does, and in at least five of every eight.
TEST_F(RecognitionTest, PressShapeMustWinItsDuelByTwoSlotsAndFiveInEight) {
  struct Duel {
    int own;     // slots only button 7's shape has, all heard
    int others;  // slots only button 8's shape has, all heard
    bool named;
  };
  for (const Duel duel : {Duel{1, 0, false}, Duel{2, 0, true}, Duel{5, 3, true}, Duel{6, 4, false}}) {
    SCOPED_TRACE(std::to_string(duel.own) + " against " + std::to_string(duel.others));
    // A 2 ms leader both shapes share, then single-slot marks 3 slots apart, 7's and 8's in
    // turn; a shape far out that no train fills stands for each code's second one.
    SlotPattern p7{}, p8{}, far{};
    for (int i = 0; i < 20; ++i) p7[i] = p8[i] = 1;
    for (int i = 900; i < 950; ++i) far[i] = 1;
    std::vector<int> marks;
    for (int own = duel.own, others = duel.others, slot = 30; own + others > 0; slot += 3) {
      const bool ownTurn = own > 0 && (others == 0 || (slot / 3) % 2 == 0);
      (ownTurn ? p7 : p8)[slot] = 1;
      (ownTurn ? own : others) -= 1;
      marks.push_back(slot);
    }
    StoreCode(7, kAlternatingForm, p7, far);
    StoreCode(8, kAlternatingForm, p8, far);
    const std::int64_t start = pc.clock.NowNs();
    for (std::int64_t frame = start; frame < start + 2 * test::kFramePeriodNs;
         frame += test::kFramePeriodNs) {
      pc.input.AddBurst(frame, 33, test::kCharacterNs);
      for (int slot : marks) pc.input.AddBurst(frame + (slot * 100 + 50) * SimulatedPc::kUs, 1, 1);
    }
    EXPECT_EQ(engine.recognise(), duel.named ? 7 : kNoPress);
    pc.clock.Advance(500 * kMs);
  }
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
