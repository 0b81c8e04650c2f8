#pragma once
// Non-owning wrappers of standard controls: a window handle plus one message per call.

#include <windows.h>
#include <commctrl.h>

#include "ui/framework/wnd.h"

namespace ovalink {

class CButton : public CWnd {
 public:
  CButton() = default;
  explicit CButton(HWND window) : CWnd(window) {}

  // Attributes
  UINT GetState() const { return UINT(SendMessage(BM_GETSTATE)); }
  void SetState(bool pushed) const { SendMessage(BM_SETSTATE, pushed); }
  int GetCheck() const { return int(SendMessage(BM_GETCHECK)); }
  void SetCheck(int check) const { SendMessage(BM_SETCHECK, WPARAM(check)); }

  // Operations
  void Click() const { SendMessage(BM_CLICK); }
};

class CProgressCtrl : public CWnd {
 public:
  CProgressCtrl() = default;
  explicit CProgressCtrl(HWND window) : CWnd(window) {}

  // Attributes
  void SetRange(int lower, int upper) const { SendMessage(PBM_SETRANGE32, WPARAM(lower), LPARAM(upper)); }
  void GetRange(int& lower, int& upper) const {
    PBRANGE range{};
    SendMessage(PBM_GETRANGE, TRUE, reinterpret_cast<LPARAM>(&range));
    lower = range.iLow;
    upper = range.iHigh;
  }
  // Returns the previous position.
  int SetPos(int position) const { return int(SendMessage(PBM_SETPOS, WPARAM(position))); }
  int GetPos() const { return int(SendMessage(PBM_GETPOS)); }
};

}  // namespace ovalink
