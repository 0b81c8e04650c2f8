#pragma once
// Slot histograms, slot patterns and trained codes, and the comparisons between them.
// Everything is a fixed 1000-slot array (0.1 ms a slot, the first 100 ms of a burst train);
// nothing here allocates, blocks or locks.

#include <array>
#include <cstdint>
#include <vector>

namespace ovalink {

constexpr int kSlotCount = 1000;

// Events per slot of one or more accumulated burst trains; counters wrap at 256.
using SlotHistogram = std::array<std::uint8_t, kSlotCount>;
// 1 where the receiver is active, 0 where quiet. Bytes read back from storage are used as
// they are, so a pattern may hold other values.
using SlotPattern = std::array<std::uint8_t, kSlotCount>;

enum CodeForm : std::uint8_t {
  kAlternatingForm = 0,   // pattern1/pattern2: the two shapes successive presses alternate between
  kPressRepeatForm = 1,   // pattern1: a sharp press; pattern2: the shape sent while held
};

struct SignalCode {
  std::uint16_t button = 0;
  std::uint8_t codeFlag = kAlternatingForm;  // any non-zero value means press-and-repeat
  SlotPattern pattern1{};
  SlotPattern pattern2{};
};

using CodeList = std::vector<SignalCode>;

SlotPattern thresholdPattern(const SlotHistogram& histogram, int limit);

// Compares the histogram with the pattern run by run over the runs that start before
// compareLength; a run extends to its natural end, even past compareLength.
int matchRuns(const SlotHistogram& histogram, const SlotPattern& pattern, int compareLength,
              int& total);

// How far a train is from a pattern it may match: its events in the pattern's quiet slots
// plus the pattern's active slots it left empty. 0 fits perfectly.
int patternMisfit(const SlotHistogram& histogram, const SlotPattern& pattern);

// Whether two codes whose patterns have these misfits against one train fit it about equally:
// within 4 points of each other, or within an eighth of the better misfit.
bool misfitsAboutEqual(int better, int worse);

// The longest run of consecutive slots where the train has events and the pattern is quiet.
// A mark edge that moved leaves a slot or two there; a mark the pattern lacks leaves more.
int longestUnexpectedRun(const SlotHistogram& histogram, const SlotPattern& pattern);

// How many separate runs of slots hold events where the pattern is quiet.
int unexpectedRunCount(const SlotHistogram& histogram, const SlotPattern& pattern);

// The longest run of consecutive slots where the pattern is active and the train is empty.
// A key's own train fills its marks but for an edge slot or two; a shorter mark leaves more.
int longestMissingRun(const SlotHistogram& histogram, const SlotPattern& pattern);

// The longest space the train leaves inside one mark of the pattern between two marks of its
// own, each at least `ownMarkSlots` long: where the train has two marks and a space between
// them, the pattern has one mark. Stray events within a mark (a loose pattern that holds a
// mark at several phases) are not marks of the train.
int longestSpaceInAMark(const SlotHistogram& histogram, const SlotPattern& pattern,
                        int ownMarkSlots);

// 0 when A and B differ in fewer than 3 slots each way (A becomes A AND B), else 1. A mark
// edge that lies one slot further in one pattern is not a difference.
int similarAndMerge(SlotPattern& a, const SlotPattern& b);

// How much better the train agrees with A than with B over the slots where the two really
// differ (not where a mark edge lies one slot apart): +1 for each such slot that agrees with
// A, -1 for each that agrees with B. `slots` receives how many slots were compared.
int duelScore(const SlotHistogram& histogram, const SlotPattern& a, const SlotPattern& b,
              int& slots);

bool patternsEqual(const SlotPattern& a, const SlotPattern& b);

// Whether similarAndMerge would take A and B for one shape; neither is changed.
bool patternsAlike(const SlotPattern& a, const SlotPattern& b);

// A press-and-repeat code whose hold shape is its press shape: the remote repeats its whole
// frame while the key is held (Sony, Samsung, Panasonic), so a press and the frames of a hold
// look alike and only the silence between them tells them apart.
bool wholeFrameRepeats(const SignalCode& code);

// How many marks (runs of active slots) the pattern holds.
int markCount(const SlotPattern& pattern);

// Whether some stored code has pattern1 or pattern2 byte-identical to `pattern`.
bool isRegistered(const CodeList& codes, const SlotPattern& pattern);

// Whether some stored code has pattern1 or pattern2 alike `pattern` as similarAndMerge
// judges: a signal no train could tell from a stored one.
bool resemblesRegistered(const CodeList& codes, const SlotPattern& pattern);

// 1 + the highest slot any stored pattern has non-zero; 0 when none.
int computeCompareLength(const CodeList& codes);

// Match percentage of one comparison, 0 when nothing was compared.
inline int matchPercent(int matched, int total) { return total > 0 ? matched * 100 / total : 0; }

}  // namespace ovalink
