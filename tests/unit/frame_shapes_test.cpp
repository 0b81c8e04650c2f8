// Telling the frames of a three-frame transmission apart from the trains of training captures.

#include <gtest/gtest.h>

#include <initializer_list>
#include <utility>
#include <vector>

#include "engine/frame_shapes.h"

namespace ovalink {
namespace {

SlotPattern Runs(std::initializer_list<std::pair<int, int>> runs) {
  SlotPattern p{};
  for (const auto& [from, to] : runs) {
    for (int i = from; i <= to; ++i) p[std::size_t(i)] = 1;
  }
  return p;
}

// One key's transmission: its own frame, the same with one more mark, a frame every key sends.
const SlotPattern kFirst = Runs({{0, 8}, {16, 58}, {133, 141}, {150, 166}, {193, 209}});
const SlotPattern kSecond = Runs({{0, 8}, {16, 58}, {67, 75}, {133, 141}, {150, 166}, {192, 200}});
const SlotPattern kCommon = Runs({{0, 25}, {50, 59}, {67, 76}, {134, 158}, {167, 184}, {192, 201}});

CaptureParts Trains(const SlotPattern& a, const SlotPattern& b, const SlotPattern& c,
                    const SlotPattern& d, const SlotPattern& e) {
  CaptureParts parts;
  parts.first = {a, b, c, d, e};
  return parts;
}

// The probe spent the first frame: second, common, first, second, common.
CaptureParts AfterFirst() { return Trains(kSecond, kCommon, kFirst, kSecond, kCommon); }
// The probe missed the first frame and spent the second.
CaptureParts AfterSecond() { return Trains(kCommon, kFirst, kSecond, kCommon, kFirst); }

// A train that lost three slots of a mark is no longer its frame.
CaptureParts Garbled() {
  CaptureParts parts = AfterFirst();
  for (int i = 146; i <= 148; ++i) parts.first[4][std::size_t(i)] = 0;
  return parts;
}

TEST(FrameCycleTest, AllButOneCaptureMustRunThroughThreeFrames) {
  EXPECT_TRUE(MostCapturesCycle({AfterFirst(), AfterFirst(), AfterSecond(), AfterFirst()}));
  EXPECT_TRUE(MostCapturesCycle({AfterFirst(), Garbled(), AfterFirst(), AfterFirst()}));
  EXPECT_FALSE(MostCapturesCycle({AfterFirst(), Garbled(), Garbled(), AfterFirst()}));
  EXPECT_FALSE(MostCapturesCycle({}));
  // Two frames taking turns, and one frame over and over, are no cycle of three.
  EXPECT_FALSE(MostCapturesCycle({Trains(kFirst, kCommon, kFirst, kCommon, kFirst)}));
  EXPECT_FALSE(MostCapturesCycle({Trains(kCommon, kCommon, kCommon, kCommon, kCommon)}));
}

TEST(FrameCycleTest, FirstFrameIsThePressShapeAndSecondTheHoldShape) {
  const std::vector<CaptureParts> holds{AfterFirst(), AfterFirst(), AfterSecond(), AfterFirst()};
  SlotPattern press{};
  SlotPattern hold{};
  ASSERT_TRUE(ShapesOfFrameCycle(holds, {AfterFirst(), AfterFirst()}, press, hold));
  EXPECT_EQ(press, kFirst);
  EXPECT_EQ(hold, kSecond);

  // Most captures decide where the transmission begins, whichever capture came first.
  ASSERT_TRUE(ShapesOfFrameCycle({AfterSecond(), AfterFirst(), AfterFirst(), AfterFirst()},
                                 {AfterSecond(), AfterFirst()}, press, hold));
  EXPECT_EQ(press, kFirst);
  EXPECT_EQ(hold, kSecond);
}

TEST(FrameCycleTest, RefusesCapturesThatDisagree) {
  SlotPattern press{};
  SlotPattern hold{};
  // As many captures begin at one frame as at the other.
  EXPECT_FALSE(ShapesOfFrameCycle({AfterFirst(), AfterSecond(), AfterFirst(), AfterSecond()},
                                  {AfterFirst(), AfterSecond()}, press, hold));
  // One garbled capture is left out; a second is one too many.
  EXPECT_TRUE(ShapesOfFrameCycle({Garbled(), AfterFirst(), AfterFirst(), AfterFirst()},
                                 {AfterFirst(), AfterFirst()}, press, hold));
  EXPECT_EQ(press, kFirst);
  EXPECT_FALSE(ShapesOfFrameCycle({Garbled(), AfterFirst(), AfterFirst(), AfterFirst()},
                                  {AfterFirst(), Garbled()}, press, hold));
  // So is a capture of which one frame lost a character: its other two are the key's.
  CaptureParts oneFrameCut = AfterFirst();
  for (int i = 153; i <= 155; ++i) oneFrameCut.first[2][std::size_t(i)] = 0;
  ASSERT_TRUE(MostCapturesCycle({oneFrameCut}));
  EXPECT_TRUE(ShapesOfFrameCycle({AfterFirst(), AfterFirst(), oneFrameCut, AfterFirst()},
                                 {AfterFirst(), AfterFirst()}, press, hold));
  EXPECT_EQ(press, kFirst);
  EXPECT_FALSE(ShapesOfFrameCycle({AfterFirst(), AfterFirst(), oneFrameCut, AfterFirst()},
                                  {AfterFirst(), Garbled()}, press, hold));
  // A capture of another key's frames: two of its three are unlike.
  const SlotPattern otherFirst = Runs({{0, 25}, {34, 42}, {135, 160}, {178, 211}});
  const SlotPattern otherSecond = Runs({{0, 25}, {34, 42}, {68, 77}, {135, 160}, {177, 202}});
  const CaptureParts other = Trains(otherSecond, kCommon, otherFirst, otherSecond, kCommon);
  ASSERT_TRUE(MostCapturesCycle({other}));
  EXPECT_FALSE(ShapesOfFrameCycle({AfterFirst(), AfterFirst(), AfterFirst(), other},
                                  {AfterFirst(), AfterFirst()}, press, hold));
}

// `count` marks of 0.5 ms, 1 ms apart, from `from`.
SlotPattern Marks(int count, int from) {
  SlotPattern p{};
  for (int m = 0; m < count; ++m) {
    for (int i = 0; i < 5; ++i) p[std::size_t(from + 10 * m + i)] = 1;
  }
  return p;
}

TEST(FrameCycleTest, ShapesOfFarFromAsManyMarksAreNoFramesOfOneKey) {
  const SlotPattern hold = Marks(3, 0);
  const SlotPattern common = Marks(4, 300);
  SlotPattern press{};
  SlotPattern held{};
  for (int marks : {6, 7}) {
    const SlotPattern first = Marks(marks, 100);
    const CaptureParts capture = Trains(hold, common, first, hold, common);
    const bool frames = ShapesOfFrameCycle({capture, capture, capture, capture},
                                           {capture, capture}, press, held);
    EXPECT_EQ(frames, marks <= 6) << marks << " marks beside 3";
  }
  EXPECT_EQ(press, Marks(6, 100));
  EXPECT_EQ(held, hold);
}

// A frame and the repeat code after it, summed into one shape by a capture's halves: no press
// sends both in one train. A train with a character in each mark fills it, however thin.
TEST(SomeTrainFillsTest, EveryMarkOfTheShapeMustBeLitInOneTrain) {
  const SlotPattern frame = Runs({{0, 91}, {136, 142}, {148, 153}});
  const SlotPattern repeat = Runs({{0, 91}, {114, 119}});
  const SlotPattern sum = Runs({{0, 91}, {114, 119}, {136, 142}, {148, 153}});
  const std::vector<CaptureParts> frameThenRepeats{Trains(frame, repeat, repeat, repeat, repeat)};
  EXPECT_TRUE(SomeTrainFills(frame, frameThenRepeats));
  EXPECT_TRUE(SomeTrainFills(repeat, frameThenRepeats));
  EXPECT_FALSE(SomeTrainFills(sum, frameThenRepeats)) << "a mark of each train is missing";

  const SlotPattern thin = Runs({{45, 45}, {119, 119}, {136, 136}, {153, 153}});
  EXPECT_TRUE(SomeTrainFills(sum, {Trains(repeat, repeat, thin, repeat, repeat)}));
  const SlotPattern offByOne = Runs({{45, 45}, {120, 120}, {136, 136}, {153, 153}});
  EXPECT_FALSE(SomeTrainFills(sum, {Trains(repeat, repeat, offByOne, repeat, repeat)}))
      << "light beside the mark is not in it";
  EXPECT_TRUE(SomeTrainFills(sum, {Trains(frame, repeat, repeat, repeat, repeat),
                                   Trains(repeat, repeat, repeat, repeat, thin)}))
      << "any capture's train";
}

// A keystroke whose every frame follows a lone flash leaves the flash in one half of each sharp
// capture and the frame in the other: the frame alone is the press shape, not its sum with the
// flash, which fills the frame's first space. A half of two marks that is not the hold shape
// is a frame of its own, and the halves say nothing.
TEST(PressShapeBesideHoldShapeTest, AHalfOfOneMarkIsSpentLikeTheHoldShape) {
  const SlotPattern repeat = Runs({{0, 90}, {113, 119}});
  const SlotPattern frame = Runs({{0, 3}, {8, 94}, {139, 145}, {163, 168}, {186, 191}});
  const auto halves = [](const SlotPattern& odd, const SlotPattern& even) {
    CaptureParts parts;
    parts.odd = odd;
    parts.even = even;
    return parts;
  };
  const SlotPattern flash = Runs({{0, 34}});
  SlotPattern press{};
  ASSERT_TRUE(PressShapeBesideHoldShape({halves(flash, frame), halves(frame, flash)}, repeat, press));
  EXPECT_TRUE(patternsEqual(press, frame));
  ASSERT_TRUE(PressShapeBesideHoldShape({halves(repeat, frame)}, repeat, press));
  EXPECT_TRUE(patternsEqual(press, frame));

  const SlotPattern twoMarks = Runs({{0, 34}, {60, 66}});
  EXPECT_FALSE(PressShapeBesideHoldShape({halves(twoMarks, frame)}, repeat, press));
  EXPECT_FALSE(PressShapeBesideHoldShape({halves(flash, repeat)}, repeat, press)) << "nothing left";
}

// One frame as captures at different timing show it: every edge may lie two slots off, a mark
// may not be missing, and a mark three slots off is another frame.
TEST(SameFrameTest, EveryEdgeWithinTwoSlots) {
  const SlotPattern frame = Runs({{0, 84}, {128, 133}, {149, 154}, {160, 165}});
  EXPECT_TRUE(SameFrame(frame, frame));
  EXPECT_TRUE(SameFrame(frame, Runs({{0, 86}, {126, 133}, {149, 156}, {158, 165}})));
  EXPECT_FALSE(SameFrame(frame, Runs({{0, 87}, {128, 133}, {149, 154}, {160, 165}})));
  EXPECT_FALSE(SameFrame(frame, Runs({{0, 84}, {128, 133}, {149, 154}, {157, 165}})));
  EXPECT_FALSE(SameFrame(frame, Runs({{0, 84}, {128, 133}, {149, 154}})));
  EXPECT_FALSE(SameFrame(frame, Runs({{0, 84}, {128, 133}, {149, 154}, {170, 175}})));
  EXPECT_FALSE(SameFrame(SlotPattern{}, SlotPattern{}));
}

// The first frame that extended keys send before their own is a hold shape of other buttons'
// press-and-repeat codes; a frame a code repeats whole, or an alternating code's, is a press.
TEST(SameFrameTest, AnotherButtonHoldsWithItsOwnHoldShapeOnly) {
  const SlotPattern common = Runs({{0, 84}, {128, 133}, {149, 154}, {160, 165}});
  const SlotPattern own = Runs({{0, 84}, {128, 133}, {149, 154}, {170, 175}});
  const SlotPattern wider = Runs({{0, 85}, {128, 134}, {149, 155}, {160, 166}});
  const CodeList pair{{3, kPressRepeatForm, own, common}};
  EXPECT_TRUE(AnotherButtonHoldsWith(pair, 5, wider));
  EXPECT_FALSE(AnotherButtonHoldsWith(pair, 5, own)) << "its press shape";
  EXPECT_FALSE(AnotherButtonHoldsWith(pair, 3, wider)) << "the button's own code";
  EXPECT_FALSE(AnotherButtonHoldsWith({{3, kPressRepeatForm, common, wider}}, 5, common))
      << "a frame repeated whole";
  EXPECT_FALSE(AnotherButtonHoldsWith({{3, kAlternatingForm, own, common}}, 5, common));
}

}  // namespace
}  // namespace ovalink
