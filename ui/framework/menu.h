#pragma once
// CMenu: owns one menu handle and destroys it with the object. A derived class that draws
// its entries itself overrides DrawItem and MeasureItem; while the menu is open through
// TrackPopupMenu, the owner window's WM_DRAWITEM and WM_MEASUREITEM requests for menus are
// handed to these two, so the owner needs no code of its own for them.

#include <windows.h>

#include "ui/framework/handles.h"

namespace ovalink {

class CWnd;

class CMenu {
 public:
  CMenu() = default;
  virtual ~CMenu() = default;
  CMenu(const CMenu&) = delete;
  CMenu& operator=(const CMenu&) = delete;

  HMENU GetSafeHmenu() const { return menu_.get(); }

  bool CreatePopupMenu();
  // Takes ownership; fails when a menu is already held.
  bool Attach(HMENU menu);
  HMENU Detach() { return menu_.release(); }
  void DestroyMenu() { menu_.reset(); }

  // Attributes
  int GetMenuItemCount() const { return ::GetMenuItemCount(menu_.get()); }

  // Operations
  bool AppendMenu(UINT flags, UINT_PTR id = 0, LPCSTR item = nullptr) {
    return ::AppendMenuA(menu_.get(), flags, id, item) != FALSE;
  }
  bool SetMenuItemInfo(UINT item, const MENUITEMINFOA& info, bool byPosition = false) {
    return ::SetMenuItemInfoA(menu_.get(), item, byPosition, &info) != FALSE;
  }
  // Shows the menu as a pop-up owned by `owner` and returns when it has closed.
  BOOL TrackPopupMenu(UINT flags, int x, int y, CWnd& owner);

  // Owner-draw operations, called for entries appended with MF_OWNERDRAW.
  virtual void DrawItem(DRAWITEMSTRUCT* item);
  virtual void MeasureItem(MEASUREITEMSTRUCT* item);

 private:
  MenuHandle menu_;
};

}  // namespace ovalink
