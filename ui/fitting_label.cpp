#include "ui/fitting_label.h"

#include <string>
#include <utility>

namespace ovalink {

namespace {
Font FontWithCell(const LOGFONTA& face, int cell) {
  LOGFONTA font = face;
  font.lfHeight = cell;  // positive: the cell, not the character, is `cell` pixels high
  font.lfWidth = 0;
  return Font(::CreateFontIndirectA(&font));
}

int TextWidth(HDC dc, HFONT font, const std::string& text) {
  SelectScope selected(dc, font);
  SIZE size{};
  ::GetTextExtentPoint32A(dc, text.data(), int(text.size()), &size);
  return int(size.cx);
}
}  // namespace

CFittingLabel::~CFittingLabel() {
  // The control outlives this object when the dialog destroys it afterwards.
  if (m_hWnd != nullptr && m_smallerFont) SendMessage(WM_SETFONT, WPARAM(m_ownFont), FALSE);
}

const MessageMap* CFittingLabel::ClassMessageMap() {
  static const MessageEntry entries[] = {
      OnMessage<&CFittingLabel::OnSetText>(WM_SETTEXT),
  };
  static const MessageMap map = MessageMapOf(CWnd::ClassMessageMap(), entries);
  return &map;
}

void CFittingLabel::OnSubclassed() {
  m_ownFont = GetFont();
  Fit();
}

LRESULT CFittingLabel::OnSetText(WPARAM wParam, LPARAM lParam) {
  const LRESULT result = Default(WM_SETTEXT, wParam, lParam);
  Fit();
  return result;
}

void CFittingLabel::Fit() {
  const std::string text = GetWindowText();
  const RECT client = GetClientRect();
  const int available = client.right - client.left;
  WindowDC dc(m_hWnd);
  HFONT own = m_ownFont != nullptr ? m_ownFont : static_cast<HFONT>(::GetStockObject(SYSTEM_FONT));
  Font smaller;
  if (TextWidth(dc.get(), own, text) > available) {
    LOGFONTA face{};
    ::GetObjectA(own, sizeof face, &face);
    TEXTMETRICA metrics{};
    {
      SelectScope selected(dc.get(), own);
      ::GetTextMetricsA(dc.get(), &metrics);
    }
    const int cell = FittingCellHeight(int(metrics.tmHeight) - 1, kSmallestReadableCell, available,
                                       [&](int height) {
                                         const Font candidate = FontWithCell(face, height);
                                         return TextWidth(dc.get(), candidate.get(), text);
                                       });
    smaller = FontWithCell(face, cell);
  }
  // The control draws with the new font before the old one is released.
  SendMessage(WM_SETFONT, WPARAM(smaller ? smaller.get() : m_ownFont), TRUE);
  m_smallerFont = std::move(smaller);
}

}  // namespace ovalink
