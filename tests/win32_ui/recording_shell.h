#pragma once
// A tray shell that keeps its icons as the shell does, for tests of the tray icon's users.

#include <windows.h>
#include <shellapi.h>

#include <cstring>
#include <map>
#include <string>
#include <utility>
#include <vector>

#include "ui/tray_icon.h"

namespace ovalink::test {

// Keeps its icons as the shell does: an add fails for an icon it has, a modify or delete for
// one it lacks. Restart() forgets them all, as a restarted shell does.
class RecordingShell : public TrayShell {
 public:
  struct Call {
    DWORD message;
    NOTIFYICONDATAA record;
  };
  bool Notify(DWORD message, NOTIFYICONDATAA* record) override {
    calls.push_back(Call{message, *record});
    const auto key = std::make_pair(record->hWnd, record->uID);
    const bool known = icons.count(key) != 0;
    if ((message == NIM_ADD) == known) return false;
    if (message == NIM_DELETE) {
      icons.erase(key);
    } else if (record->uFlags & NIF_TIP) {
      icons[key] = std::string(record->szTip, ::strnlen(record->szTip, sizeof record->szTip));
    } else {
      icons[key];
    }
    return true;
  }
  void Restart() { icons.clear(); }
  int Count(DWORD message) const {
    int n = 0;
    for (const Call& call : calls) n += call.message == message;
    return n;
  }

  std::vector<Call> calls;
  std::map<std::pair<HWND, UINT>, std::string> icons;  // tip of each icon shown
};

}  // namespace ovalink::test
