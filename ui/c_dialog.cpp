#include "ui/c_dialog.h"

#include "resources/resource.h"

namespace ovalink {

C_Dialog::C_Dialog(UINT templateId, CWnd* parent) : CDialog(templateId, parent) { LoadSkin(); }

C_Dialog::C_Dialog(const char* templateName, CWnd* parent) : CDialog(templateName, parent) {
  LoadSkin();
}

void C_Dialog::LoadSkin() {
  m_background.reset(::LoadBitmapA(::GetModuleHandleA(nullptr), MAKEINTRESOURCEA(IDB_PAPER)));
  if (m_background) m_patternBrush.reset(::CreatePatternBrush(m_background.get()));
}

const MessageMap* C_Dialog::ClassMessageMap() {
  static const MessageEntry entries[] = {
      OnMessage<&C_Dialog::OnEraseBkgnd>(WM_ERASEBKGND),
      OnMessage<&C_Dialog::OnCtlColor>(WM_CTLCOLORSTATIC),
      OnMessage<&C_Dialog::OnCtlColor>(WM_CTLCOLORMSGBOX),
      OnMessage<&C_Dialog::OnCtlColor>(WM_CTLCOLOREDIT),
      OnMessage<&C_Dialog::OnCtlColor>(WM_CTLCOLORLISTBOX),
      OnMessage<&C_Dialog::OnCtlColor>(WM_CTLCOLORBTN),
      OnMessage<&C_Dialog::OnCtlColor>(WM_CTLCOLORDLG),
      OnMessage<&C_Dialog::OnCtlColor>(WM_CTLCOLORSCROLLBAR),
  };
  static const MessageMap map = MessageMapOf(CDialog::ClassMessageMap(), entries);
  return &map;
}

LRESULT C_Dialog::OnEraseBkgnd(WPARAM wParam, LPARAM lParam) {
  const HDC target = reinterpret_cast<HDC>(wParam);
  BITMAP picture{};
  if (!m_background || ::GetObjectA(m_background.get(), sizeof picture, &picture) == 0 ||
      picture.bmWidth <= 0 || picture.bmHeight <= 0) {
    return Default(WM_ERASEBKGND, wParam, lParam);
  }
  const int w = picture.bmWidth, h = picture.bmHeight;
  const RECT client = GetClientRect();
  const int width = client.right - client.left, height = client.bottom - client.top;

  MemoryDC memory(::CreateCompatibleDC(target));
  SelectScope selected(memory.get(), m_background.get());
  // Whole tiles only: the last column and row may reach past the edge.
  for (int i = 0; i <= width / w; ++i) {
    for (int j = 0; j <= height / h; ++j) {
      ::BitBlt(target, i * w, j * h, w, h, memory.get(), 0, 0, SRCCOPY);
    }
  }
  return TRUE;
}

LRESULT C_Dialog::OnCtlColor(UINT message, WPARAM wParam, LPARAM lParam) {
  const HDC dc = reinterpret_cast<HDC>(wParam);
  if (message == WM_CTLCOLORSTATIC && m_patternBrush) {
    ::SetBkMode(dc, TRANSPARENT);
    // A control fills from its own origin; shift the pattern so that its texture
    // continues the dialog's instead of restarting at every label.
    BITMAP picture{};
    ::GetObjectA(m_background.get(), sizeof picture, &picture);
    POINT origin{0, 0};
    ::MapWindowPoints(reinterpret_cast<HWND>(lParam), m_hWnd, &origin, 1);
    if (picture.bmWidth > 0 && picture.bmHeight > 0) {
      const int x = (picture.bmWidth - origin.x % picture.bmWidth) % picture.bmWidth;
      const int y = (picture.bmHeight - origin.y % picture.bmHeight) % picture.bmHeight;
      ::SetBrushOrgEx(dc, x, y, nullptr);
    }
    return reinterpret_cast<LRESULT>(m_patternBrush.get());
  }
  ::SetBkMode(dc, OPAQUE);
  return Default(message, wParam, lParam);
}

}  // namespace ovalink
