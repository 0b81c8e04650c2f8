#pragma once
// The logon autostart entry: the "Quor" value under the current user's Run key.

namespace ovalink {

// Ticked: Run\"Quor" names Quor.exe beside the running program. Unticked: the value is
// removed; a missing one is no error.
void ApplyAutostart(bool launchOnStartup);

}  // namespace ovalink
