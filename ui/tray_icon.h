#pragma once
// CTrayIcon: the program's one icon in the notification area, with its tip. A left press
// on it sends ID_OPEN to the owner; a right press opens the owner-drawn menu built from
// the menu table, whose chosen entry reaches the owner as an ordinary WM_COMMAND.

#include <windows.h>
#include <shellapi.h>

#include <cstddef>

#include "ui/framework/cmd_target.h"
#include "ui/framework/handles.h"
#include "ui/menu_item.h"

namespace ovalink {

class CWnd;

// The shell's notification-area entry point (Shell_NotifyIconA); tests put a recording
// shell in its place.
class TrayShell {
 public:
  virtual ~TrayShell() = default;
  // NIM_ADD, NIM_MODIFY or NIM_DELETE with the record; the shell's success.
  virtual bool Notify(DWORD message, NOTIFYICONDATAA* record) = 0;
};

// The record in its first form: everything up to a 64-character tip.
static_assert(NOTIFYICONDATAA_V1_SIZE == offsetof(NOTIFYICONDATAA, szTip) + 64);
#ifndef _WIN64
static_assert(NOTIFYICONDATAA_V1_SIZE == 88);
#endif

class CTrayIcon : public CCmdTarget {
 public:
  CTrayIcon();  // uses the system's shell
  explicit CTrayIcon(TrayShell& shell);
  // The given shell, or the system's when null.
  explicit CTrayIcon(TrayShell* shell);
  // Removes the icon.
  ~CTrayIcon() override;

  // The window that receives the commands and owns the menu; nothing reaches the shell.
  void SetOwner(CWnd* owner, UINT callbackMessage);
  // The menu's image strip and entries; the table must outlive the icon.
  void SetMenuTable(UINT bitmapId, const MenuItem* items, int count);

  // Icon and tip from the resources of that id (at most 63 tip characters), added or
  // changed; 0 removes the icon.
  void SetIcon(UINT id);
  // Adds, changes or removes (no icon) the tray icon; a given tip replaces the record's.
  // The icon stays the caller's. False when the shell refused, after which the record
  // holds no icon, so the next icon is added afresh.
  bool SetIconHandle(HICON icon, const char* tip);

  // The owner's handler of the callback message; lParam is the mouse message. Always 0.
  virtual LRESULT HandleTrayMessage(WPARAM wParam, LPARAM lParam);

 private:
  class SystemShell : public TrayShell {
   public:
    bool Notify(DWORD message, NOTIFYICONDATAA* record) override {
      return ::Shell_NotifyIconA(message, record) != FALSE;
    }
  };

  void ShowMenu();

  NOTIFYICONDATAA m_record;
  CWnd* m_owner = nullptr;
  UINT m_menuBitmap = 0;
  const MenuItem* m_menuItems = nullptr;
  int m_menuItemCount = 0;
  Icon m_loadedIcon;  // what SetIcon loaded, released once the shell shows another
  SystemShell m_systemShell;
  TrayShell* m_shell;
};

}  // namespace ovalink
