#include "ui/menu_item.h"

#include "resources/resource.h"

namespace ovalink {

MenuItem g_trayMenuItems[kTrayMenuItemCount] = {
    {ID_ENABLE, "Enable", kCheckMarkImage},
    {0, nullptr, kNoImage},
    {ID_OPEN, "Open", kNoImage},
    {ID_SETTINGS, "Settings", 3},
    {0, nullptr, kNoImage},
    {ID_MORE, "More...", 11},
    {ID_ABOUT, "About", 4},
    {ID_HELPFILE, "Help", 5},
    {ID_EXIT, "Exit", kNoImage},
};

}  // namespace ovalink
