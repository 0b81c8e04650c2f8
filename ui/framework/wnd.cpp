#include "ui/framework/wnd.h"

#include <commctrl.h>

#include <utility>
#include <vector>

#include "ui/framework/menu.h"
#include "ui/framework/win_app.h"

namespace ovalink {

namespace {
// Our one subclass per window; comctl32 tells subclasses apart by procedure and this id.
constexpr UINT_PTR kSubclassId = 0x0A1A;

std::string TextOf(HWND window) {
  const int length = ::GetWindowTextLengthA(window);
  if (length <= 0) return {};
  std::vector<char> buffer(std::size_t(length) + 1);
  const int copied = ::GetWindowTextA(window, buffer.data(), length + 1);
  return std::string(buffer.data(), std::size_t(copied > 0 ? copied : 0));
}
}  // namespace

CWnd::~CWnd() {
  // The window may outlive its wrapper (a control of a dialog that is still open).
  if (m_subclassed) UnsubclassWindow();
}

HWND CWnd::Detach() {
  if (m_subclassed) return UnsubclassWindow();
  return std::exchange(m_hWnd, nullptr);
}

bool CWnd::SubclassWindow(HWND window) {
  if (m_hWnd != nullptr || window == nullptr) return false;
  if (!::SetWindowSubclass(window, &CWnd::SubclassProc, kSubclassId,
                           reinterpret_cast<DWORD_PTR>(this))) {
    return false;
  }
  m_hWnd = window;
  m_subclassed = true;
  OnSubclassed();
  return true;
}

bool CWnd::SubclassDlgItem(int id, HWND parent) { return SubclassWindow(::GetDlgItem(parent, id)); }

HWND CWnd::UnsubclassWindow() {
  if (!m_subclassed) return nullptr;
  ::RemoveWindowSubclass(m_hWnd, &CWnd::SubclassProc, kSubclassId);
  m_subclassed = false;
  return std::exchange(m_hWnd, nullptr);
}

std::string CWnd::GetWindowText() const { return TextOf(m_hWnd); }

std::string CWnd::GetDlgItemText(int id) const { return TextOf(::GetDlgItem(m_hWnd, id)); }

RECT CWnd::GetClientRect() const {
  RECT rect{};
  ::GetClientRect(m_hWnd, &rect);
  return rect;
}

RECT CWnd::GetWindowRect() const {
  RECT rect{};
  ::GetWindowRect(m_hWnd, &rect);
  return rect;
}

bool CWnd::DestroyWindow() { return m_hWnd != nullptr && ::DestroyWindow(m_hWnd) != FALSE; }

LRESULT CWnd::Default(UINT message, WPARAM wParam, LPARAM lParam) {
  if (m_subclassed) return ::DefSubclassProc(m_hWnd, message, wParam, lParam);
  return ::DefWindowProcA(m_hWnd, message, wParam, lParam);
}

bool CWnd::WindowMessage(UINT message, WPARAM wParam, LPARAM lParam, LRESULT* result) {
  if (RouteMenuOwnerDraw(message, lParam, result)) return true;
  return OnWndMsg(message, wParam, lParam, result);
}

bool CWnd::RouteMenuOwnerDraw(UINT message, LPARAM lParam, LRESULT* result) {
  if (m_trackingMenu == nullptr) return false;
  if (message == WM_MEASUREITEM) {
    auto* item = reinterpret_cast<MEASUREITEMSTRUCT*>(lParam);
    if (item == nullptr || item->CtlType != ODT_MENU) return false;
    m_trackingMenu->MeasureItem(item);
  } else if (message == WM_DRAWITEM) {
    auto* item = reinterpret_cast<DRAWITEMSTRUCT*>(lParam);
    if (item == nullptr || item->CtlType != ODT_MENU ||
        reinterpret_cast<HMENU>(item->hwndItem) != m_trackingMenu->GetSafeHmenu()) {
      return false;
    }
    m_trackingMenu->DrawItem(item);
  } else {
    return false;
  }
  *result = TRUE;
  return true;
}

void CWnd::HandleNcDestroy() {
  m_hWnd = nullptr;
  m_subclassed = false;
  if (CWinApp* app = CWinApp::Current(); app != nullptr && app->m_pMainWnd == this) {
    // The main window's end is the application's end.
    app->m_pMainWnd = nullptr;
    ::PostQuitMessage(0);
  }
  PostNcDestroy();
}

LRESULT CALLBACK CWnd::SubclassProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam,
                                    UINT_PTR, DWORD_PTR data) {
  auto* self = reinterpret_cast<CWnd*>(data);
  if (message == WM_NCDESTROY) {
    ::RemoveWindowSubclass(window, &CWnd::SubclassProc, kSubclassId);
    const LRESULT result = ::DefSubclassProc(window, message, wParam, lParam);
    try {
      self->HandleNcDestroy();
    } catch (...) {
    }
    return result;
  }
  try {
    LRESULT result = 0;
    if (self->WindowMessage(message, wParam, lParam, &result)) return result;
  } catch (...) {
    // A handler's failure must not unwind through the system's frames.
  }
  return ::DefSubclassProc(window, message, wParam, lParam);
}

std::string LoadResourceString(UINT id) {
  char buffer[1024];
  const int length = ::LoadStringA(::GetModuleHandleA(nullptr), id, buffer, int(sizeof buffer));
  return std::string(buffer, std::size_t(length > 0 ? length : 0));
}

}  // namespace ovalink
