#pragma once
// CFittingLabel: a one-line label that keeps its place and size and shows any text it is
// given whole, by drawing a text too wide for it in a smaller font of the same face (never
// below a readable size). Attached to an existing static control; its text may be set from
// any thread (WM_SETTEXT).

#include "ui/framework/handles.h"
#include "ui/framework/wnd.h"

namespace ovalink {

// The smallest character cell the label shrinks to, in pixels: about 6 points on a
// 96-dpi screen, still read without effort.
constexpr int kSmallestReadableCell = 9;

// The largest cell height from `cell` down to `smallest` at which `widthAt(height)` is at
// most `available`; `smallest` when none is.
template <typename WidthAt>
int FittingCellHeight(int cell, int smallest, int available, WidthAt widthAt) {
  for (int height = cell; height > smallest; --height) {
    if (widthAt(height) <= available) return height;
  }
  return smallest;
}

class CFittingLabel : public CWnd {
 public:
  CFittingLabel() = default;
  ~CFittingLabel() override;
  CFittingLabel(const CFittingLabel&) = delete;
  CFittingLabel& operator=(const CFittingLabel&) = delete;

 protected:
  void OnSubclassed() override;

  OVALINK_DECLARE_MESSAGE_MAP()

 private:
  LRESULT OnSetText(WPARAM wParam, LPARAM lParam);
  // Picks the dialog's own font when the text fits in it, else the largest smaller one.
  void Fit();

  HFONT m_ownFont = nullptr;  // the dialog's, not owned
  Font m_smallerFont;
};

}  // namespace ovalink
