#include "engine/signal_code.h"

#include <gtest/gtest.h>

namespace ovalink {
namespace {

SlotPattern PatternWithOnes(std::initializer_list<std::pair<int, int>> ranges) {
  SlotPattern p{};
  for (auto [from, to] : ranges)
    for (int i = from; i <= to; ++i) p[i] = 1;
  return p;
}

TEST(SignalCodeTest, ThresholdCountsUnsignedAgainstLimit) {
  SlotHistogram h{};
  h[3] = 1;
  h[4] = 2;
  h[5] = 255;
  const SlotPattern p = thresholdPattern(h, 2);
  EXPECT_EQ(p[3], 0) << "one event in all trains stays quiet";
  EXPECT_EQ(p[4], 1);
  EXPECT_EQ(p[5], 1);
  const SlotPattern all = thresholdPattern(h, 0);
  for (int i = 0; i < kSlotCount; ++i) ASSERT_EQ(all[i], 1) << i;
}

TEST(SignalCodeTest, MatchRunsCountsRunsThatStartBeforeCompareLength) {
  const SlotPattern p = PatternWithOnes({{0, 2}, {5, 5}});
  SlotHistogram h{};
  h[0] = 3;
  h[1] = 3;   // run 0-2: 6 events
  h[5] = 6;   // run 5: 6 events
  int total = 0;
  EXPECT_EQ(matchRuns(h, p, 6, total), 3);
  EXPECT_EQ(total, 3);
  EXPECT_EQ(matchRuns(h, p, 7, total), 4) << "the trailing zero run joins in";
  EXPECT_EQ(total, 4);
  // Late noise past the last active slot breaks the trailing zero run only when compared.
  h[900] = 6;
  EXPECT_EQ(matchRuns(h, p, 6, total), 3);
  EXPECT_EQ(matchRuns(h, p, 7, total), 3);
  EXPECT_EQ(total, 4);
}

TEST(SignalCodeTest, RunOfOnesNeedsSixEventsAndRunOfZerosAllowsFive) {
  const SlotPattern p = PatternWithOnes({{10, 19}});
  SlotHistogram h{};
  h[12] = 5;
  int total = 0;
  EXPECT_EQ(matchRuns(h, p, 20, total), 1) << "5 events: the 1-run fails, the 0-run before it holds";
  EXPECT_EQ(total, 2);
  h[13] = 1;
  EXPECT_EQ(matchRuns(h, p, 20, total), 2);
  h[2] = 5;
  EXPECT_EQ(matchRuns(h, p, 20, total), 2);
  h[3] = 1;
  EXPECT_EQ(matchRuns(h, p, 20, total), 1);
}

TEST(SignalCodeTest, EmptyCompareLengthAndAllZeroPattern) {
  SlotHistogram h{};
  SlotPattern zeros{};
  int total = -1;
  EXPECT_EQ(matchRuns(h, zeros, 0, total), 0);
  EXPECT_EQ(total, 0);
  EXPECT_EQ(matchPercent(0, 0), 0);
  h[999] = 5;
  EXPECT_EQ(matchRuns(h, zeros, 1, total), 1) << "one run over all slots, 5 events allowed";
  h[0] = 1;
  EXPECT_EQ(matchRuns(h, zeros, 1, total), 0);
  EXPECT_EQ(total, 1);
}

TEST(SignalCodeTest, RunWithValueOtherThanZeroOrOneNeverMatches) {
  SlotPattern p{};
  p[0] = 2;
  SlotHistogram h{};
  h[0] = 50;
  int total = 0;
  EXPECT_EQ(matchRuns(h, p, 1, total), 0);
  EXPECT_EQ(total, 1);
}

TEST(SignalCodeTest, SimilarAndMergeToleratesTwoStraySlotsEachWay) {
  SlotPattern a = PatternWithOnes({{10, 20}});
  const SlotPattern b = PatternWithOnes({{11, 21}});
  EXPECT_EQ(similarAndMerge(a, b), 0);
  EXPECT_EQ(a, PatternWithOnes({{11, 20}}));
  EXPECT_EQ(b, PatternWithOnes({{11, 21}})) << "only the first argument is rewritten";

  SlotPattern c = PatternWithOnes({{10, 20}});
  const SlotPattern twoEach = PatternWithOnes({{12, 22}});
  EXPECT_EQ(similarAndMerge(c, twoEach), 0);
  EXPECT_EQ(c, PatternWithOnes({{12, 20}}));

  SlotPattern d = PatternWithOnes({{10, 20}});
  const SlotPattern threeExtra = PatternWithOnes({{10, 23}});
  EXPECT_EQ(similarAndMerge(d, threeExtra), 1);
  EXPECT_EQ(d, PatternWithOnes({{10, 20}}));
  SlotPattern e = PatternWithOnes({{10, 23}});
  EXPECT_EQ(similarAndMerge(e, PatternWithOnes({{10, 20}})), 1) << "3 missing";
}

// Two holds of one Sony key: where a mark's first character falls within a slot differs
// from press to press, so several of its 26 mark edges lie one slot apart.
TEST(SignalCodeTest, MarkEdgesOneSlotApartAreTheSameKey) {
  SlotPattern first = PatternWithOnes({{0, 23}, {30, 41}, {48, 53}, {60, 65}, {72, 83},
                                       {90, 101}, {108, 113}, {120, 125}, {132, 143}});
  const SlotPattern second = PatternWithOnes({{0, 24}, {29, 41}, {48, 54}, {60, 65}, {71, 83},
                                              {90, 102}, {108, 113}, {120, 126}, {132, 144}});
  EXPECT_EQ(similarAndMerge(first, second), 0);
  EXPECT_EQ(first, PatternWithOnes({{0, 23}, {30, 41}, {48, 53}, {60, 65}, {72, 83}, {90, 101},
                                    {108, 113}, {120, 125}, {132, 143}}));
  // A mark that moves by an RC6 half-bit (4 slots) is another shape, as is a new mark.
  SlotPattern toggled = PatternWithOnes({{0, 23}, {30, 41}, {48, 53}});
  EXPECT_EQ(similarAndMerge(toggled, PatternWithOnes({{0, 23}, {30, 41}, {52, 57}})), 1);
  SlotPattern gained = PatternWithOnes({{0, 23}, {30, 41}});
  EXPECT_EQ(similarAndMerge(gained, PatternWithOnes({{0, 23}, {30, 41}, {60, 60}, {70, 70},
                                                     {80, 80}})), 1)
      << "single stray slots away from any mark still count";
}

// A Sharp bit's mark (320 us) spans four slots and brings four or five characters: a run
// that short cannot be required to hold six events.
TEST(SignalCodeTest, ShortActiveRunNeedsMoreThanHalfItsLengthInEvents) {
  const SlotPattern p = PatternWithOnes({{0, 29}, {40, 43}});
  SlotHistogram h{};
  for (int i = 0; i < 30; ++i) h[i] = 1;
  h[40] = 1;
  h[41] = 1;
  h[42] = 1;
  int total = 0;
  EXPECT_EQ(matchRuns(h, p, 44, total), 3);
  EXPECT_EQ(total, 3);
  h[42] = 0;
  EXPECT_EQ(matchRuns(h, p, 44, total), 2) << "two events in four slots are too few";
}

TEST(SignalCodeTest, MisfitCountsEventsInQuietSlotsAndEmptyActiveSlots) {
  const SlotPattern p = PatternWithOnes({{10, 19}});
  SlotHistogram h{};
  for (int i = 10; i < 20; ++i) h[i] = 2;
  EXPECT_EQ(patternMisfit(h, p), 0);
  h[25] = 3;
  h[12] = 0;
  EXPECT_EQ(patternMisfit(h, p), 4);
}

// Misfits within 4 points, or within an eighth of the better one, are about equal.
TEST(SignalCodeTest, MisfitsAboutEqualWithinFourPointsOrAnEighth) {
  EXPECT_TRUE(misfitsAboutEqual(0, 3));
  EXPECT_FALSE(misfitsAboutEqual(0, 4));
  EXPECT_TRUE(misfitsAboutEqual(56, 63)) << "7 is an eighth of 56";
  EXPECT_FALSE(misfitsAboutEqual(56, 64));
}

// Only a space between two marks of the train's own, each long enough, counts; stray events
// and the quiet slots between two marks of the pattern do not.
TEST(SignalCodeTest, SpaceInAMarkLiesBetweenTwoLongMarksOfTheTrainInsideOneMarkOfThePattern) {
  const SlotPattern p = PatternWithOnes({{10, 49}, {60, 69}});
  const auto trainWith = [](std::initializer_list<std::pair<int, int>> runs) {
    SlotHistogram h{};
    for (auto [from, to] : runs)
      for (int i = from; i <= to; ++i) h[i] = 1;
    return h;
  };
  EXPECT_EQ(longestSpaceInAMark(trainWith({{10, 15}, {22, 49}}), p, 6), 6);
  EXPECT_EQ(longestSpaceInAMark(trainWith({{10, 14}, {21, 49}}), p, 6), 0) << "a mark of five";
  EXPECT_EQ(longestSpaceInAMark(trainWith({{10, 14}, {21, 49}}), p, 5), 6);
  EXPECT_EQ(longestSpaceInAMark(trainWith({{10, 15}, {19, 21}, {25, 30}, {40, 49}}), p, 6), 9)
      << "the widest space; a short run between is no mark";
  EXPECT_EQ(longestSpaceInAMark(trainWith({{10, 12}, {20, 22}, {40, 42}}), p, 3), 17);
  EXPECT_EQ(longestSpaceInAMark(trainWith({{8, 15}, {44, 55}}), p, 6), 28)
      << "the train's marks count inside the pattern's mark only";
  EXPECT_EQ(longestSpaceInAMark(trainWith({{40, 49}, {60, 69}}), p, 6), 0)
      << "a space of the pattern as well";
  EXPECT_EQ(longestSpaceInAMark(trainWith({{10, 49}}), p, 6), 0);
}

// Two keys' shapes share a leader; only where they really differ does the train decide.
TEST(SignalCodeTest, DuelComparesOnlyTheSlotsWhereTwoShapesReallyDiffer) {
  const SlotPattern a = PatternWithOnes({{0, 19}, {50, 59}});
  const SlotPattern b = PatternWithOnes({{0, 20}, {70, 79}});  // leader edge one slot later
  SlotHistogram h{};
  for (int i = 0; i < 20; ++i) h[i] = 2;
  for (int i = 50; i < 58; ++i) h[i] = 1;  // a's mark, its last two slots empty
  h[75] = 1;                               // a stray event in b's mark
  int slots = 0;
  EXPECT_EQ(duelScore(h, a, b, slots), 14);
  EXPECT_EQ(slots, 20) << "slot 20, where only the leader's edge moved, is no difference";
  EXPECT_EQ(duelScore(h, b, a, slots), -14);
  EXPECT_EQ(duelScore(h, a, a, slots), 0);
  EXPECT_EQ(slots, 0);
}

TEST(SignalCodeTest, MergeNormalisesStoredBytesToZeroOrOne) {
  SlotPattern a{};
  a[4] = 7;
  SlotPattern b{};
  b[4] = 9;
  EXPECT_EQ(similarAndMerge(a, b), 0);
  EXPECT_EQ(a[4], 1);
}

TEST(SignalCodeTest, RegisteredFindsEitherPatternAndCompareLengthTakesHighestSlot) {
  CodeList codes(2);
  codes[0].pattern1 = PatternWithOnes({{0, 5}});
  codes[1].pattern2 = PatternWithOnes({{3, 40}});
  EXPECT_TRUE(isRegistered(codes, PatternWithOnes({{3, 40}})));
  EXPECT_FALSE(isRegistered(codes, PatternWithOnes({{3, 41}})));
  EXPECT_EQ(computeCompareLength(codes), 41);
  codes[0].pattern1[999] = 1;
  EXPECT_EQ(computeCompareLength(codes), 1000);
  EXPECT_EQ(computeCompareLength(CodeList{}), 0);
  EXPECT_EQ(computeCompareLength(CodeList(3)), 0);
}

}  // namespace
}  // namespace ovalink
