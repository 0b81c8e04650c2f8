#pragma once
// The captions of the virtual remote's 34 buttons, by button index.

namespace ovalink {

constexpr int kVirtualButtonCount = 34;

// "" outside 0-33.
const char* ButtonCaption(int button);

}  // namespace ovalink
