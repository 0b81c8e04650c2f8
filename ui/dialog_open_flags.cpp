#include "ui/dialog_open_flags.h"

namespace ovalink {

bool g_aboutOpen = false;
bool g_settingsOpen = false;
bool g_sendErrorOpen = false;

}  // namespace ovalink
