#pragma once
// CWnd: a non-owning window wrapper. Attaching never takes ownership of the window;
// subclassing routes the window's messages through this object's message table until the
// window is destroyed or the object goes away, whichever comes first.

#include <windows.h>

#include <string>

#include "ui/framework/cmd_target.h"

namespace ovalink {

class CMenu;

class CWnd : public CCmdTarget {
 public:
  CWnd() = default;
  explicit CWnd(HWND window) : m_hWnd(window) {}
  ~CWnd() override;

  HWND GetSafeHwnd() const { return m_hWnd; }
  operator HWND() const { return m_hWnd; }

  void Attach(HWND window) { m_hWnd = window; }
  HWND Detach();

  // Routes the window's messages through the message table; unhandled ones reach the
  // window's own procedure. False when already attached or subclassed, or on failure.
  bool SubclassWindow(HWND window);
  bool SubclassDlgItem(int id, HWND parent);
  HWND UnsubclassWindow();
  bool IsSubclassed() const { return m_subclassed; }

  // Attributes
  HWND GetDlgItem(int id) const { return ::GetDlgItem(m_hWnd, id); }
  std::string GetWindowText() const;
  void SetWindowText(const std::string& text) { ::SetWindowTextA(m_hWnd, text.c_str()); }
  std::string GetDlgItemText(int id) const;
  void SetDlgItemText(int id, const std::string& text) { ::SetDlgItemTextA(m_hWnd, id, text.c_str()); }
  bool IsWindowVisible() const { return ::IsWindowVisible(m_hWnd) != FALSE; }
  bool IsWindowEnabled() const { return ::IsWindowEnabled(m_hWnd) != FALSE; }
  RECT GetClientRect() const;
  RECT GetWindowRect() const;
  HFONT GetFont() const { return reinterpret_cast<HFONT>(SendMessage(WM_GETFONT)); }

  // Operations
  LRESULT SendMessage(UINT message, WPARAM wParam = 0, LPARAM lParam = 0) const {
    return ::SendMessageA(m_hWnd, message, wParam, lParam);
  }
  bool PostMessage(UINT message, WPARAM wParam = 0, LPARAM lParam = 0) const {
    return ::PostMessageA(m_hWnd, message, wParam, lParam) != FALSE;
  }
  bool ShowWindow(int command) const { return ::ShowWindow(m_hWnd, command) != FALSE; }
  bool EnableWindow(bool enable) const { return ::EnableWindow(m_hWnd, enable) != FALSE; }
  void SetRedraw(bool redraw) const { SendMessage(WM_SETREDRAW, redraw); }
  void Invalidate(bool erase = true) const { ::InvalidateRect(m_hWnd, nullptr, erase); }
  void UpdateWindow() const { ::UpdateWindow(m_hWnd); }
  virtual bool DestroyWindow();

  // Framework entry: the table, then owner-draw requests of a menu this window tracks.
  bool WindowMessage(UINT message, WPARAM wParam, LPARAM lParam, LRESULT* result);

 protected:
  // The original handling of a message by the window's own procedure. For a dialog that
  // is DefWindowProc, which is where the dialog manager's default chain ends for the
  // messages a dialog table passes on.
  LRESULT Default(UINT message, WPARAM wParam, LPARAM lParam);

  // Called once SubclassWindow has taken the window over, so a wrapper can adapt the window
  // it was given (its messages already come through the table).
  virtual void OnSubclassed() {}

  // Called once the window is gone (WM_NCDESTROY); the object may delete itself here.
  virtual void PostNcDestroy() {}

  // Bookkeeping common to every way a wrapped window can end.
  void HandleNcDestroy();

  HWND m_hWnd = nullptr;

 private:
  friend class CMenu;
  static LRESULT CALLBACK SubclassProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam,
                                       UINT_PTR id, DWORD_PTR self);
  bool RouteMenuOwnerDraw(UINT message, LPARAM lParam, LRESULT* result);

  bool m_subclassed = false;
  CMenu* m_trackingMenu = nullptr;  // set by CMenu::TrackPopupMenu while the menu is open
};

// Loads a string resource of the running program; empty when it is missing.
std::string LoadResourceString(UINT id);

}  // namespace ovalink
