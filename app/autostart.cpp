#include "app/autostart.h"

#include "platform/path_beside_program.h"
#include "app/reg_key.h"
#include "app/registry_layout.h"

namespace ovalink {

void ApplyAutostart(bool launchOnStartup) {
  RegKey run(RegRoot::CurrentUser, kRunKey);
  if (launchOnStartup) {
    run.WriteString(kAutostartValue, PathBesideProgram(kAutostartProgram));
  } else {
    run.DeleteValue(kAutostartValue);
  }
}

}  // namespace ovalink
