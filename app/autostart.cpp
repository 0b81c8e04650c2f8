#include "app/autostart.h"

#include "app/path_beside_program.h"
#include "app/reg_key.h"

namespace ovalink {

namespace {
const char* const kRunKey = "SOFTWARE\\Microsoft\\Windows\\CurrentVersion\\Run";
const char* const kEntryName = "Quor";
}  // namespace

void ApplyAutostart(bool launchOnStartup) {
  RegKey run(RegRoot::CurrentUser, kRunKey);
  if (launchOnStartup) {
    // Always Quor.exe, even when the running file was renamed.
    run.WriteString(kEntryName, PathBesideProgram("Quor.exe"));
  } else {
    run.DeleteValue(kEntryName);
  }
}

}  // namespace ovalink
