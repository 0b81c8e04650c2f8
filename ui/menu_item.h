#pragma once
// MenuItem, one entry of the tray menu's table, and the program's table itself.

#include <cstdint>

namespace ovalink {

struct MenuItem {
  std::int32_t id;    // command sent to the owner; 0 makes a separator
  const char* text;   // the label; none for a separator
  std::int32_t image; // index in the image strip (low 16 bits); -1: no picture
};

constexpr std::int32_t kNoImage = -1;
constexpr std::int32_t kCheckMarkImage = 1;
constexpr int kTrayMenuItemCount = 9;

// The tray menu, in menu order. Process-wide and writable: the main window shows the state
// of "Enable" by writing kCheckMarkImage or kNoImage into entry 0, and the menu, rebuilt
// from this table at every opening, picks it up.
extern MenuItem g_trayMenuItems[kTrayMenuItemCount];

}  // namespace ovalink
