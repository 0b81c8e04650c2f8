#include <gtest/gtest.h>

#include <deque>

#include "app/reg_key.h"
#include "app/registry_layout.h"
#include "engine/rc_engine.h"
#include "support/engine_fixture.h"
#include "support/scripted_remote.h"

namespace ovalink {
namespace {

using test::AddPress;
using test::AddPressWithRepeats;
using test::Shape;
using test::ShapeWithMarkAt;
using test::SimulatedPc;
constexpr std::int64_t kMs = SimulatedPc::kMs;

const std::string kHold = "Hold the button till the progress ends";
const std::string kRelease = "Release for 3 second and press again";
const std::string kSharpIntro = "Release for 3 second and make several sharp keystrokes";
const std::string kSharp = "Make several sharp keystrokes till the progress ends";

// A user who follows the prompts: at every "hold" prompt holds the key for the next shape in
// line, and at every "sharp" prompt taps it several times.
class PromptFollower {
 public:
  explicit PromptFollower(SimulatedPc& pc) : pc_(pc) {
    pc_.link.onPrompt = [this](const std::string& text) { OnPrompt(text); };
  }
  ~PromptFollower() { pc_.link.onPrompt = nullptr; }

  std::deque<Shape> holds;
  std::deque<Shape> sharps;
  Shape repeat = {{0, 9000}, {12000, 600}};
  // When set, every frame the user's remote sends is followed by this shape, which alone
  // repeats while the key is held.
  Shape followedBy;

 private:
  void OnPrompt(const std::string& text) {
    const std::int64_t now = pc_.clock.NowNs();
    if (text == kHold && !holds.empty()) {
      if (followedBy.empty()) {
        AddPress(pc_.input, now, holds.front(), 8);
      } else {
        test::AddPressWithRepeats(pc_.input, now, holds.front(), followedBy, 8);
      }
      holds.pop_front();
    } else if (text == kSharp && !sharps.empty() && !followedBy.empty()) {
      for (int i = 0; i < 8; ++i) {
        test::AddFrame(pc_.input, now + i * test::kFramePeriodNs, i % 2 ? followedBy : sharps.front());
      }
      sharps.pop_front();
    } else if (text == kSharp && !sharps.empty()) {
      // Sharp taps: every frame is the key's own first frame, never a repeat frame.
      AddPress(pc_.input, now, sharps.front(), 8);
      sharps.pop_front();
    }
  }

  SimulatedPc& pc_;
};

class TrainingTest : public ::testing::Test {
 protected:
  TrainingTest() {
    engine.SetBase(SimulatedPc::kBase);
    engine.AttachPromptWindow(0x77, kPromptControlId);
    engine.loadCodes();
  }

  bool HasValue(const char* key, const std::string& name) {
    std::vector<std::string> names;
    RegKey(RegRoot::CurrentUser, key).EnumValueNames(names);
    for (const auto& n : names)
      if (n == name) return true;
    return false;
  }
  bool HasAnyValue(const std::string& name) {
    return HasValue(kCodes1Key, name) || HasValue(kCodes2Key, name) ||
           HasValue(kCodeFlagsKey, name);
  }
  std::vector<std::string> Prompts() {
    std::vector<std::string> texts;
    for (const auto& [id, text] : pc.link.Prompts()) texts.push_back(text);
    return texts;
  }
  int Train(int button) {
    const int result = engine.trainButton(button);
    pc.clock.Advance(2000 * kMs);
    return result;
  }

  SimulatedPc pc;
  test::LevelRecordingListener engine{pc.Services()};
  PromptFollower user{pc};
  const Shape a = ShapeWithMarkAt(5000);
  const Shape b = ShapeWithMarkAt(9000);
  const Shape c = ShapeWithMarkAt(7000);
  const Shape d = ShapeWithMarkAt(3000);
};

TEST_F(TrainingTest, AlternatingRemoteStoresBothShapes) {
  user.holds = {a, b, a, b};
  EXPECT_EQ(Train(5), TrainedAlternating);
  EXPECT_TRUE(engine.hasCode(5));
  EXPECT_TRUE(HasValue(kCodes1Key, "5"));
  EXPECT_TRUE(HasValue(kCodes2Key, "5"));
  EXPECT_EQ(RegKey(RegRoot::CurrentUser, kCodeFlagsKey).ReadDword("5", 9), 0u)
      << "no flag is written; the reload creates it as 0";
  const std::vector<std::string> expected = {kHold, kRelease, kHold, kRelease,
                                             kHold, kRelease, kHold};
  EXPECT_EQ(Prompts(), expected) << "no release prompt after the last pattern";
  EXPECT_EQ(std::count(engine.levels.begin(), engine.levels.end(), 100u), 4);
  EXPECT_EQ(engine.levels.back(), 0u);
}

TEST_F(TrainingTest, RemoteRepeatingOneShapeLearnsSharpPressToo) {
  user.holds = {user.repeat, user.repeat, user.repeat, user.repeat};
  user.sharps = {a, a};
  EXPECT_EQ(Train(7), TrainedPressRepeat);
  EXPECT_EQ(RegKey(RegRoot::CurrentUser, kCodeFlagsKey).ReadDword("7", 9), 1u);
  const std::vector<std::string> expected = {kHold, kRelease, kHold, kRelease, kHold,
                                             kRelease, kHold, kSharpIntro, kSharp, kRelease,
                                             kSharp};
  EXPECT_EQ(Prompts(), expected);
  ASSERT_TRUE(engine.hasCode(7));
  std::lock_guard<std::mutex> lock(engine.CodeListLock());
  const SignalCode& code = *engine.findCode(7);
  EXPECT_EQ(code.codeFlag, 1);
  EXPECT_FALSE(patternsEqual(code.pattern1, code.pattern2)) << "sharp press, then hold shape";
}

// Sharp keystrokes of such a remote alternate between its two shapes; together they make a
// pattern no single train matches, and every key's pair looks much like every other's.
TEST_F(TrainingTest, RemoteFollowingEachFrameWithAnotherShapeLearnsThePressShapeAlone) {
  user.followedBy = b;
  user.holds = {a, a, a, a};
  user.sharps = {a, a};
  EXPECT_EQ(Train(7), TrainedPressRepeat);
  ASSERT_TRUE(engine.hasCode(7));
  std::lock_guard<std::mutex> lock(engine.CodeListLock());
  const SignalCode& code = *engine.findCode(7);
  EXPECT_EQ(code.codeFlag, 1);
  // a's mark lies at 5-6 ms, b's at 9-10 ms.
  EXPECT_EQ(code.pattern1[55], 1);
  EXPECT_EQ(code.pattern1[95], 0) << "the press shape holds nothing of the shape that follows";
  EXPECT_EQ(code.pattern2[95], 1);
  EXPECT_EQ(code.pattern2[55], 0);
}

TEST_F(TrainingTest, SharpPressesLikeTheHoldsStillStoreButReportUnsure) {
  user.holds = {a, a, a, a};
  user.sharps = {a, a};
  EXPECT_EQ(Train(2), TrainedUnsure);
  EXPECT_TRUE(engine.hasCode(2));
}

TEST_F(TrainingTest, RetrainingTheSameKeyIsNotADuplicate) {
  user.holds = {a, b, a, b};
  ASSERT_EQ(Train(5), TrainedAlternating);
  user.holds = {a, b, a, b};
  EXPECT_EQ(Train(5), TrainedAlternating);
  EXPECT_TRUE(engine.hasCode(5));
}

TEST_F(TrainingTest, KeyBoundToAnotherButtonIsRefusedAndLeavesButtonUntrained) {
  user.holds = {a, b, a, b};
  ASSERT_EQ(Train(5), TrainedAlternating);
  user.holds = {c, d, c, d};
  ASSERT_EQ(Train(9), TrainedAlternating);
  user.holds = {a, b, a, b};
  EXPECT_EQ(Train(9), DuplicateSignal);
  EXPECT_FALSE(engine.hasCode(9));
  EXPECT_FALSE(HasAnyValue("9"));
  EXPECT_TRUE(engine.hasCode(5));
}

// A signal that differs from a stored one only where edges of two captures of one key
// differ anyway cannot be told from it by any train: a near copy is a duplicate too, also of
// another button's hold shape. Edges a few slots further apart are another signal.
TEST_F(TrainingTest, SignalAlikeAStoredOneIsADuplicateAndOneJustBeyondIsNot) {
  user.holds = {user.repeat, user.repeat, user.repeat, user.repeat};
  user.sharps = {a, a};
  ASSERT_EQ(Train(7), TrainedPressRepeat);
  struct Case {
    const char* what;
    std::deque<Shape> holds;
    std::deque<Shape> sharps;
    int expected;
  };
  const Shape nearA = ShapeWithMarkAt(5100);
  const Shape beyondA = ShapeWithMarkAt(5400);
  const Shape nearRepeat = {{0, 9000}, {12100, 600}};
  const Case cases[] = {
      {"press shape a slot from 7's", {user.repeat, user.repeat, user.repeat, user.repeat},
       {nearA, nearA}, DuplicateSignal},
      {"press shape a slot from 7's hold shape", {user.repeat, user.repeat, user.repeat, user.repeat},
       {nearRepeat, nearRepeat}, DuplicateSignal},
      {"alternating shapes, one a slot from 7's", {nearA, d, nearA, d}, {}, DuplicateSignal},
      {"press shape four slots from 7's", {user.repeat, user.repeat, user.repeat, user.repeat},
       {beyondA, beyondA}, TrainedPressRepeat},
  };
  for (const Case& c : cases) {
    user.holds = c.holds;
    user.sharps = c.sharps;
    EXPECT_EQ(Train(9), c.expected) << c.what;
    EXPECT_EQ(engine.hasCode(9), c.expected != DuplicateSignal) << c.what;
  }
  EXPECT_TRUE(engine.hasCode(7));
}

TEST_F(TrainingTest, PatternsThatDoNotPairUpAreRefusedWithNothingWritten) {
  user.holds = {a, b, a, c};
  EXPECT_EQ(Train(4), NotTrained);
  EXPECT_FALSE(HasAnyValue("4"));
}

// Holds that alternate between the repeat code and the repeat code with a few stray slots (a
// hold whose first train was the press frame) are one shape, not an alternating code that
// would claim every key's repeat code. Strays of up to three slots are refused; runs of four
// slots (shorter than anything a remote sends) already make a second shape.
TEST_F(TrainingTest, HoldsThatDifferOnlyByStraySlotsAreNotAnAlternatingCode) {
  const auto withMarksOf = [&](int lengthUs) {
    Shape shape = user.repeat;
    for (int at : {15000, 18000, 21000, 24000}) shape.push_back({at, lengthUs});
    return shape;
  };
  struct Case {
    int markUs;  // characters 61 us apart: 0 us is one slot, 122 us two, 200 us up to three,
                 // 300 us up to four
    int expected;
  };
  int button = 3;
  for (const Case c : {Case{0, NotTrained}, Case{122, NotTrained}, Case{200, NotTrained},
                       Case{300, TrainedAlternating}}) {
    const Shape dotted = withMarksOf(c.markUs);
    user.holds = {user.repeat, dotted, user.repeat, dotted};
    EXPECT_EQ(Train(button), c.expected) << c.markUs << " us marks";
    EXPECT_EQ(engine.hasCode(button), c.expected != NotTrained) << c.markUs << " us marks";
    ++button;
  }
  user.holds = {withMarksOf(0), user.repeat, withMarksOf(0), user.repeat};
  EXPECT_EQ(Train(button), NotTrained) << "the strays in the first hold";
}

// A remote that sends its frame before the repeat code leaves strays of that frame in one
// train of each hold, and they fall differently from hold to hold: the holds are still one
// shape, the repeat code, not two shapes taking turns.
TEST_F(TrainingTest, HoldsWhoseStraysFallDifferentlyAreOneShape) {
  const auto dottedFrom = [&](int fromUs) {
    Shape shape = user.repeat;
    for (int at : {fromUs, fromUs + 3000, fromUs + 6000}) shape.push_back({at, 0});
    return shape;
  };
  user.holds = {dottedFrom(15000), dottedFrom(16500), dottedFrom(15000), dottedFrom(16500)};
  user.sharps = {a, a};
  EXPECT_EQ(Train(3), TrainedPressRepeat);
  ASSERT_TRUE(engine.hasCode(3));
  std::lock_guard<std::mutex> lock(engine.CodeListLock());
  EXPECT_EQ(engine.findCode(3)->codeFlag, 1);
}

TEST_F(TrainingTest, DifferingSharpPressesAreRefusedAfterOldCodeWasRemoved) {
  user.holds = {a, b, a, b};
  ASSERT_EQ(Train(6), TrainedAlternating);
  user.holds = {user.repeat, user.repeat, user.repeat, user.repeat};
  user.sharps = {c, d};
  EXPECT_EQ(Train(6), NotTrained);
  EXPECT_FALSE(engine.hasCode(6));
  EXPECT_FALSE(HasAnyValue("6"));
}

// A registry that takes nothing (a full disk, a read-only file): a code that was not stored
// is not trained, in either form, and the button shows as untrained.
TEST_F(TrainingTest, CodeTheRegistryDidNotTakeIsNotReportedAsTrained) {
  user.holds = {c, d, c, d};
  ASSERT_EQ(Train(9), TrainedAlternating);
  pc.registry.SetRefuseChanges(true);
  user.holds = {a, b, a, b};
  EXPECT_EQ(Train(5), NotTrained);
  EXPECT_FALSE(engine.hasCode(5));
  user.holds = {user.repeat, user.repeat, user.repeat, user.repeat};
  user.sharps = {a, a};
  EXPECT_EQ(Train(7), NotTrained);
  EXPECT_FALSE(engine.hasCode(7));
  EXPECT_TRUE(engine.hasCode(9)) << "what was stored before stays";
  pc.registry.SetRefuseChanges(false);
  user.holds = {a, b, a, b};
  EXPECT_EQ(Train(5), TrainedAlternating);
}

// Retraining a button while the registry takes nothing: neither the old code's deletion nor
// the new code's write happens, and the reload finds the old code, which is no success.
TEST_F(TrainingTest, RetrainingThatLeavesTheOldCodeInPlaceIsNotReportedAsTrained) {
  user.holds = {a, b, a, b};
  ASSERT_EQ(Train(5), TrainedAlternating);
  pc.registry.SetRefuseChanges(true);
  user.holds = {c, d, c, d};
  EXPECT_EQ(Train(5), NotTrained);
  user.holds = {user.repeat, user.repeat, user.repeat, user.repeat};
  user.sharps = {c, c};
  EXPECT_EQ(Train(5), NotTrained) << "in the press-and-repeat form";
}

// A limit that no slot reaches leaves patterns without a single active slot: stored, such a
// code would match only silence. Two slots that reach it, two marks, are enough.
TEST_F(TrainingTest, PatternsWithoutAnActiveSlotAreNeverStored) {
  // A frame whose slots 50 and 70 get nine events a train, each slot of its leader at most two.
  auto addDenseFrame = [&](std::int64_t at) {
    pc.input.AddBurst(at, 33, test::kCharacterNs);
    pc.input.AddBurst(at + 5'005 * SimulatedPc::kUs, 9, 10 * SimulatedPc::kUs);
    pc.input.AddBurst(at + 7'005 * SimulatedPc::kUs, 9, 10 * SimulatedPc::kUs);
  };
  auto trainWithLimit = [&](std::uint32_t limit, int button) {
    RegKey(RegRoot::CurrentUser, kSettingsKey).WriteDword(kLimitValue, limit);
    test::LevelRecordingListener listener(pc.Services());
    listener.SetBase(SimulatedPc::kBase);
    listener.AttachPromptWindow(0x77, kPromptControlId);
    listener.loadCodes();
    pc.link.onPrompt = [&](const std::string& text) {
      if (text != kHold && text != kSharp) return;
      for (int i = 0; i < 8; ++i) addDenseFrame(pc.clock.NowNs() + i * test::kFramePeriodNs);
    };
    const int result = listener.trainButton(button);
    pc.link.onPrompt = nullptr;
    pc.clock.Advance(2000 * kMs);
    int active = 0;
    if (listener.hasCode(button)) {
      std::lock_guard<std::mutex> lock(listener.CodeListLock());
      for (std::uint8_t slot : listener.findCode(button)->pattern1) active += slot;
    }
    return std::make_pair(result, active);
  };
  const auto [stored, activeSlots] = trainWithLimit(20, 3);
  EXPECT_EQ(stored, TrainedUnsure) << "the same shape held and pressed";
  EXPECT_EQ(activeSlots, 2);
  EXPECT_EQ(trainWithLimit(255, 4).first, NotTrained);
  EXPECT_FALSE(HasAnyValue("4"));
}

// A remote that sends a broken leader or a lone flash for a key: a shape of one mark would be
// fitted by such a fragment of every other key, and that key would fire this button.
TEST_F(TrainingTest, AShapeOfOneMarkNamesNoKeyAndOfTwoMarksDoes) {
  const Shape loneMark = {{0, 7400}};
  const Shape twoMarks = {{0, 7400}, {9000, 600}};
  user.holds = {user.repeat, user.repeat, user.repeat, user.repeat};
  user.sharps = {loneMark, loneMark};
  EXPECT_EQ(Train(3), NotTrained) << "a press shape of one mark";
  EXPECT_FALSE(HasAnyValue("3"));
  user.holds = {user.repeat, user.repeat, user.repeat, user.repeat};
  user.sharps = {twoMarks, twoMarks};
  EXPECT_EQ(Train(4), TrainedPressRepeat);
  const Shape repeatOfTwoMarks = user.repeat;
  user.repeat = {{0, 9000}};
  user.holds = {user.repeat, user.repeat, user.repeat, user.repeat};
  user.sharps = {d, d};
  EXPECT_EQ(Train(7), NotTrained) << "a hold shape of one mark";
  EXPECT_FALSE(HasAnyValue("7"));
  user.repeat = repeatOfTwoMarks;

  const Shape otherTwoMarks = {{0, 7400}, {11000, 600}};
  user.holds = {loneMark, a, loneMark, a};
  EXPECT_EQ(Train(5), NotTrained) << "an alternating shape of one mark";
  EXPECT_FALSE(HasAnyValue("5"));
  user.holds = {otherTwoMarks, a, otherTwoMarks, a};
  EXPECT_EQ(Train(6), TrainedAlternating);
}

TEST_F(TrainingTest, NoSignalGivesUpAfterFifteenWholeSeconds) {
  const std::int64_t start = pc.clock.CalendarSeconds();
  EXPECT_EQ(engine.trainButton(1), NotTrained);
  EXPECT_GT(pc.clock.CalendarSeconds() - start, 15);
  EXPECT_LE(pc.clock.CalendarSeconds() - start, 17);
  for (const auto& text : Prompts()) EXPECT_EQ(text, kHold);
}

}  // namespace
}  // namespace ovalink
