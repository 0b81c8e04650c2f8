#pragma once
// The captions of the virtual remote's 34 buttons, by button index.

#include "app/shared_constants.h"

namespace ovalink {

// "" outside 0-33.
const char* ButtonCaption(int button);

}  // namespace ovalink
