#pragma once
// CBitmappedMenu: a pop-up menu built from a MenuItem table whose entries it draws itself:
// a 16 x 16 picture from an image strip, then the text, in the system's menu colours.
// Each entry's item data is its index in the table.

#include "ui/framework/handles.h"
#include "ui/framework/menu.h"
#include "ui/menu_item.h"

namespace ovalink {

class CBitmappedMenu : public CMenu {
 public:
  // `bitmapId`: the image strip (16-pixel pictures, RGB(192, 192, 192) transparent).
  // The table must outlive the menu.
  CBitmappedMenu(UINT bitmapId, const MenuItem* items, int count);

  void DrawItem(DRAWITEMSTRUCT* item) override;
  void MeasureItem(MEASUREITEMSTRUCT* item) override;

 private:
  const MenuItem* Entry(ULONG_PTR data) const;

  ImageList m_images;
  const MenuItem* m_items;
  int m_count;
  Font m_font;  // the menu font, for measuring
};

}  // namespace ovalink
