// The program's entry point. The single-instance guard and the application object are the
// process's own, created before WinMain runs whatever the command line says.

#include <windows.h>

#include "platform/win32/win32_instance_guard.h"
#include "ui/program/da.h"

namespace {
const ovalink::InstanceGuard theGuard;
ovalink::CDA theApp(theGuard);
}  // namespace

int WINAPI WinMain(HINSTANCE, HINSTANCE, LPSTR, int) { return theApp.Execute(); }
