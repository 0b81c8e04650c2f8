#include "ui/bitmapped_menu.h"

#include <algorithm>
#include <cstddef>
#include <cstring>

namespace ovalink {

namespace {
constexpr int kPictureSize = 16;
constexpr COLORREF kTransparent = RGB(192, 192, 192);
constexpr int kPictureLeft = 2;    // picture at pixels 2-17 of the entry
constexpr int kTextLeft = 26;      // text from pixel 26
constexpr int kExtraWidth = 21;    // added to the text's width
// The metrics record as it was before Vista added iPaddedBorderWidth; every system since
// accepts it.
constexpr UINT kClassicMetricsSize = 340;
static_assert(offsetof(NONCLIENTMETRICSA, lfMessageFont) + sizeof(LOGFONTA) == kClassicMetricsSize);
}  // namespace

CBitmappedMenu::CBitmappedMenu(UINT bitmapId, const MenuItem* items, int count)
    : m_items(items), m_count(items != nullptr ? count : 0) {
  // A true-colour list keeps the strip's own sixteen colours; one loaded at the strip's
  // depth would map them to the system's standard sixteen.
  Bitmap strip(static_cast<HBITMAP>(::LoadImageA(::GetModuleHandleA(nullptr),
                                                 MAKEINTRESOURCEA(bitmapId), IMAGE_BITMAP, 0, 0,
                                                 LR_CREATEDIBSECTION)));
  BITMAP info{};
  if (strip && ::GetObjectA(strip.get(), sizeof info, &info) != 0) {
    m_images.reset(::ImageList_Create(kPictureSize, kPictureSize, ILC_COLOR24 | ILC_MASK,
                                      info.bmWidth / kPictureSize, 1));
    ::ImageList_AddMasked(m_images.get(), strip.get(), kTransparent);
  }
  CreatePopupMenu();
  for (int b = 0; b < m_count; ++b) {
    const MenuItem& item = m_items[b];
    if (item.id == 0) {
      AppendMenu(MF_SEPARATOR);
    } else {
      AppendMenu(MF_OWNERDRAW, UINT_PTR(item.id));
    }
    MENUITEMINFOA info{};
    info.cbSize = sizeof info;
    info.fMask = MIIM_DATA;
    info.dwItemData = ULONG_PTR(b);
    SetMenuItemInfo(UINT(item.id), info);  // by command; a failure only loses the picture
  }
  NONCLIENTMETRICSA metrics{};
  metrics.cbSize = kClassicMetricsSize;
  if (::SystemParametersInfoA(SPI_GETNONCLIENTMETRICS, kClassicMetricsSize, &metrics, 0)) {
    m_font.reset(::CreateFontIndirectA(&metrics.lfMenuFont));
  }
}

const MenuItem* CBitmappedMenu::Entry(ULONG_PTR data) const {
  if (data >= ULONG_PTR(m_count)) return nullptr;
  return &m_items[data];
}

void CBitmappedMenu::MeasureItem(MEASUREITEMSTRUCT* item) {
  item->itemHeight = UINT(std::max(::GetSystemMetrics(SM_CYMENU), kPictureSize));
  const MenuItem* entry = Entry(item->itemData);
  const char* text = entry != nullptr && entry->text != nullptr ? entry->text : "";
  WindowDC screen(nullptr);
  SelectScope font(screen.get(), m_font.get());
  SIZE extent{0, 0};
  ::GetTextExtentPoint32A(screen.get(), text, int(std::strlen(text)), &extent);
  item->itemWidth = UINT(extent.cx + kExtraWidth);
}

void CBitmappedMenu::DrawItem(DRAWITEMSTRUCT* item) {
  const MenuItem* entry = Entry(item->itemData);
  if (entry == nullptr) return;
  const HDC dc = item->hDC;
  const RECT rect = item->rcItem;
  const bool selected = (item->itemState & ODS_SELECTED) != 0;

  ::FillRect(dc, &rect, ::GetSysColorBrush(selected ? COLOR_HIGHLIGHT : COLOR_MENU));
  ::SetBkMode(dc, TRANSPARENT);
  ::SetTextColor(dc, ::GetSysColor(selected ? COLOR_HIGHLIGHTTEXT : COLOR_MENUTEXT));
  RECT textRect = rect;
  textRect.left += kTextLeft;
  // The font is the one the menu selected into the context.
  ::DrawTextA(dc, entry->text != nullptr ? entry->text : "", -1, &textRect,
              DT_SINGLELINE | DT_VCENTER | DT_END_ELLIPSIS);

  const int image = std::int16_t(entry->image & 0xFFFF);
  if (image == kNoImage) return;
  const int top = rect.top + (rect.bottom - rect.top - kPictureSize) / 2;
  ::ImageList_DrawEx(m_images.get(), image, dc, rect.left + kPictureLeft, top, kPictureSize,
                     kPictureSize, CLR_NONE, CLR_NONE, ILD_NORMAL);
}

}  // namespace ovalink
