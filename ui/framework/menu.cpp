#include "ui/framework/menu.h"

#include "ui/framework/wnd.h"

namespace ovalink {

bool CMenu::CreatePopupMenu() { return Attach(::CreatePopupMenu()); }

bool CMenu::Attach(HMENU menu) {
  if (menu_ || menu == nullptr) return false;
  menu_.reset(menu);
  return true;
}

BOOL CMenu::TrackPopupMenu(UINT flags, int x, int y, CWnd& owner) {
  // The owner routes owner-draw requests to whichever menu it is tracking; a nested
  // tracking (a menu opened from a menu command) gets the previous one back afterwards.
  struct Tracking {
    CWnd& owner;
    CMenu* previous;
    ~Tracking() { owner.m_trackingMenu = previous; }
  } tracking{owner, owner.m_trackingMenu};
  owner.m_trackingMenu = this;
  return ::TrackPopupMenu(menu_.get(), flags, x, y, 0, owner.GetSafeHwnd(), nullptr);
}

void CMenu::DrawItem(DRAWITEMSTRUCT*) {}

void CMenu::MeasureItem(MEASUREITEMSTRUCT*) {}

}  // namespace ovalink
