#pragma once

// The shapes of remotes that send a transmission as more than one frame, told apart from the
// trains of the training captures.

#include <array>
#include <vector>

#include "engine/signal_code.h"

namespace ovalink {

// Trains of one capture that training looks at one by one: enough to see a cycle of three
// frames come round again.
constexpr int kSeparateTrains = 5;

// A key's frame carries its code in marks. A shape of none (a limit no slot reached) would
// match only silence; one of a single mark is a lone flash or a broken leader, which a
// fragment of any other key's signal would fit.
constexpr int kFewestMarksOfAFrame = 2;

// The odd and the even trains of one captured pattern, each thresholded on its own, and its
// first trains one by one, each a pattern of every slot it has an event in.
struct CaptureParts {
  SlotPattern odd{};
  SlotPattern even{};
  std::array<SlotPattern, kSeparateTrains> first{};
};

// Whether one of the captures' first trains has light in every mark of `shape`. A shape that
// no single train of a key fills is a sum of different trains (a frame and the repeat code
// after it, a frame and a recorder's fragment), which no press could ever match.
bool SomeTrainFills(const SlotPattern& shape, const std::vector<CaptureParts>& captures);

// Some remotes (Sharp's) follow every frame with a second shape, its complement, and repeat
// only that while held. Each sharp keystroke is then two trains of different shapes, which
// together make a pattern no single train matches. When the odd and the even trains of every
// sharp capture differ and one half is the hold shape, the other half is the press shape. So
// it is when one half is a lone flash or leader that each keystroke sends before its frame:
// summed with the frame it fills the frame's first space.
bool PressShapeBesideHoldShape(const std::vector<CaptureParts>& halves, const SlotPattern& hold,
                               SlotPattern& out);

// Some remotes send every transmission as two frames of different shapes (a frame and its
// complement; a prefix common to all keys and the key's own frame) and repeat the pair while
// held. Each held capture then holds both shapes, one in its odd trains and one in its even
// ones, and a pattern of their sum fits no single train.
bool SendsFramePairs(const std::vector<CaptureParts>& halves);

// Sharp keystrokes of a frame-pair remote: the probe spends each press's first frame, so the
// odd trains are the second frame of the pair, the one a single press leaves to recognise.
// Both captures must agree on which is which.
bool ShapesOfFramePair(const std::vector<CaptureParts>& halves, SlotPattern& press,
                       SlotPattern& hold);

// Whether two shapes hold the same marks, every edge within kFrameEdgeSlots slots of each
// other: one frame, as captures of different keys at different timing show it. Frames of
// different codes move a mark by a bit time, ten slots or more.
constexpr int kFrameEdgeSlots = 2;
bool SameFrame(const SlotPattern& a, const SlotPattern& b);

// Whether another button's press-and-repeat code keeps `shape` as a hold shape of its own
// (not its press shape again): the first frame that a remote's extended keys all send.
bool AnotherButtonHoldsWith(const CodeList& codes, int button, const SlotPattern& shape);

// A few remotes send every transmission as three frames of different shapes and repeat all
// three while a key is held. The probe spends one frame, so the first five trains after it
// run through the three and come round again: the 1st and 4th alike, the 2nd and 5th, and
// the first three all unlike. A pattern of their sum holds the marks of every frame, so a frame of
// almost any key fits it. True when all captures but kGarbledCapturesTolerated cycle so.
constexpr int kGarbledCapturesTolerated = 1;
bool MostCapturesCycle(const std::vector<CaptureParts>& captures);

// The single frames of a three-frame transmission, from the hold and the sharp captures. The
// probe of a press mostly spends its first frame, the key's own, which is then the last of
// the three trains that follow: that one is the press shape. The next, the key's other own
// frame, is its hold shape (the third may be common to every key). A probe that missed the
// first frame starts its capture one frame later; most captures decide. False when the
// captures do not agree on the shapes or on which comes first.
bool ShapesOfFrameCycle(const std::vector<CaptureParts>& holds,
                        const std::vector<CaptureParts>& sharps, SlotPattern& press,
                        SlotPattern& hold);

}  // namespace ovalink
