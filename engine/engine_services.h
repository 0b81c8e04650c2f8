#pragma once
// What the engine needs from its platform, chosen once by each program (or test).

#include <functional>

#include "platform/clock.h"
#include "platform/port_io.h"
#include "platform/window_link.h"

namespace ovalink {

struct EngineServices {
  PortIo& io;
  Clock& clock;
  WindowLink& link;
  // Called when the port driver cannot be opened at construction. Programs show the
  // "Ovalink" message box and end the process with status 1; it must not return normally
  // (tests throw from it).
  std::function<void()> driverMissing;
};

}  // namespace ovalink
