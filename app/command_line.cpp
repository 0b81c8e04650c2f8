#include "app/command_line.h"

namespace ovalink {

StartAction ActionForCommandLine(const char* arguments) {
  if (arguments == nullptr) return StartAction::Run;
  switch (arguments[0]) {
    case 'I':
    case 'i':
      return StartAction::InstallDriver;
    case 'D':
    case 'd':
      return StartAction::RemoveDriver;
    default:
      return StartAction::Run;
  }
}

}  // namespace ovalink
