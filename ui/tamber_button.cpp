#include "ui/tamber_button.h"

#include <algorithm>

#include "resources/resource.h"

namespace ovalink {

namespace {
constexpr int kTextGap = 5;  // pixels between the picture and the text

HBITMAP LoadPicture(int id) {
  return ::LoadBitmapA(::GetModuleHandleA(nullptr), MAKEINTRESOURCEA(id));
}
}  // namespace

CTamberButton::CTamberButton(int skin) {
  const bool bar = skin == 1;
  m_bitmaps[0].reset(LoadPicture(bar ? IDB_LAMP_BAR_ON : IDB_LAMP_ROUND_ON));
  m_bitmaps[1].reset(LoadPicture(bar ? IDB_LAMP_BAR_OFF : IDB_LAMP_ROUND_OFF));
  m_bitmaps[2].reset(LoadPicture(bar ? IDB_LAMP_BAR_PUSHED : IDB_LAMP_ROUND_PUSHED));
}

const MessageMap* CTamberButton::ClassMessageMap() {
  static const MessageEntry entries[] = {
      OnMessage<&CTamberButton::OnPaint>(WM_PAINT),
      OnMessage<&CTamberButton::OnStateChange>(BM_SETCHECK),
      OnMessage<&CTamberButton::OnStateChange>(BM_SETSTATE),
      OnMessage<&CTamberButton::OnStateChange>(WM_ENABLE),
      OnMessage<&CTamberButton::OnStateChange>(WM_UPDATEUISTATE),
      OnMessage<&CTamberButton::OnFocusChange>(WM_SETFOCUS),
      OnMessage<&CTamberButton::OnFocusChange>(WM_KILLFOCUS),
  };
  static const MessageMap map = MessageMapOf(CButton::ClassMessageMap(), entries);
  return &map;
}

SIZE CTamberButton::PictureSize() const {
  BITMAP picture{};
  if (!m_bitmaps[0] || ::GetObjectA(m_bitmaps[0].get(), sizeof picture, &picture) == 0) {
    return SIZE{0, 0};
  }
  return SIZE{picture.bmWidth, picture.bmHeight};
}

CTamberButton::TextLayout CTamberButton::LayoutText(HDC dc) const {
  TextLayout layout{GetWindowText(), RECT{}};
  SIZE extent{0, 0};
  ::GetTextExtentPoint32A(dc, layout.text.c_str(), int(layout.text.size()), &extent);
  const SIZE picture = PictureSize();
  layout.rect.left = picture.cx + kTextGap;
  layout.rect.top = (picture.cy - extent.cy) / 2;  // negative for text taller than the lamp
  layout.rect.right = layout.rect.left + extent.cx;
  layout.rect.bottom = layout.rect.top + extent.cy;
  return layout;
}

void CTamberButton::OnSubclassed() {
  // Templates size check boxes for the platform's narrow check mark; the lamp and its gap
  // take more room, and with some fonts the text's end would be cut off.
  const HWND parent = ::GetParent(m_hWnd);
  if (parent == nullptr) return;
  LONG needed = 0;
  {
    WindowDC dc(m_hWnd);
    SelectScope font(dc.get(), GetFont());
    needed = LayoutText(dc.get()).rect.right + 1;  // the focus frame's right edge
  }
  RECT box = GetWindowRect();
  ::MapWindowPoints(nullptr, parent, reinterpret_cast<POINT*>(&box), 2);
  RECT area{};
  ::GetClientRect(parent, &area);
  const LONG width = box.right - box.left;
  const LONG border = width - GetClientRect().right;
  const LONG wanted = std::min(needed + border, area.right - box.left);
  if (wanted <= width) return;
  ::SetWindowPos(m_hWnd, nullptr, 0, 0, wanted, box.bottom - box.top,
                 SWP_NOMOVE | SWP_NOZORDER | SWP_NOACTIVATE);
}

void CTamberButton::PaintParentBackground(HDC dc) const {
  const HWND parent = ::GetParent(m_hWnd);
  if (parent == nullptr) return;
  POINT origin{0, 0};
  ::MapWindowPoints(m_hWnd, parent, &origin, 1);
  POINT saved{};
  ::OffsetViewportOrgEx(dc, -origin.x, -origin.y, &saved);
  ::SendMessageA(parent, WM_ERASEBKGND, reinterpret_cast<WPARAM>(dc), 0);
  ::SetViewportOrgEx(dc, saved.x, saved.y, nullptr);
}

LRESULT CTamberButton::OnPaint(WPARAM, LPARAM) {
  PaintDC dc(m_hWnd);
  // What the parent shows behind the box, so that every paint starts afresh: transparent
  // text is never drawn over its own earlier copy, and the focus frame is drawn here
  // rather than XORed on top of whatever the last paint or the parent left.
  PaintParentBackground(dc.get());
  const SIZE size = PictureSize();
  const UINT state = GetState();
  int picture = 1;
  if ((state & BST_PUSHED) != 0 || !IsWindowEnabled()) {
    picture = 2;
  } else if ((state & (BST_CHECKED | BST_INDETERMINATE)) != 0) {
    picture = 0;
  }
  {
    MemoryDC memory(::CreateCompatibleDC(dc.get()));
    SelectScope selected(memory.get(), m_bitmaps[picture].get());
    ::BitBlt(dc.get(), 0, 0, size.cx, size.cy, memory.get(), 0, 0, SRCCOPY);
  }
  SelectScope font(dc.get(), GetFont());
  const TextLayout layout = LayoutText(dc.get());
  ::SetBkMode(dc.get(), TRANSPARENT);
  ::TextOutA(dc.get(), layout.rect.left, layout.rect.top, layout.text.c_str(),
             int(layout.text.size()));
  if (::GetFocus() == m_hWnd) {
    RECT frame = layout.rect;
    ::InflateRect(&frame, 1, 1);
    ::DrawFocusRect(dc.get(), &frame);
  }
  return 0;
}

LRESULT CTamberButton::OnStateChange(UINT message, WPARAM wParam, LPARAM lParam) {
  // The button's own handling repaints in the platform's look at once; with redrawing off
  // it cannot, and ours follows immediately, so no platform check mark ever flashes.
  // Turning redrawing back on marks the window visible, so a hidden box is left alone: it
  // paints nothing now and shows its new state when shown.
  const bool shown = (::GetWindowLongA(m_hWnd, GWL_STYLE) & WS_VISIBLE) != 0;
  if (shown) SetRedraw(false);
  const LRESULT result = Default(message, wParam, lParam);
  if (shown) {
    SetRedraw(true);
    Invalidate(true);
    UpdateWindow();
  }
  return message == BM_SETCHECK || message == BM_SETSTATE ? 0 : result;
}

LRESULT CTamberButton::OnFocusChange(WPARAM, LPARAM) {
  // Painting draws the frame while the box has the focus. An XOR frame drawn here and again
  // on loss would not survive a repaint of the dialog, and its second drawing would then
  // leave a stray frame behind.
  Invalidate(false);
  UpdateWindow();
  return 0;
}

}  // namespace ovalink
