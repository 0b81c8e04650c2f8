#include "app/command_line.h"

namespace ovalink {

namespace {
bool IsBlank(char c) { return c == ' ' || c == '\t'; }
bool IsLetter(char c) { return (c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z'); }
}  // namespace

StartAction ActionForCommandLine(const char* arguments) {
  if (arguments == nullptr) return StartAction::Run;
  // A file dropped on the program ("D:\Music\song.mp3", "d.mp3") is not a switch: only a
  // first word made of letters alone installs or removes.
  for (const char* c = arguments; *c != '\0' && !IsBlank(*c); ++c) {
    if (!IsLetter(*c)) return StartAction::Run;
  }
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
