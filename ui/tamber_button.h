#pragma once
// CTamberButton: a check box that paints itself as a lamp picture with its text beside it.
// Attached to an existing check box, which keeps its own behaviour (auto check on click,
// keyboard, notifications); only the painting and the focus drawing are replaced.

#include <string>

#include "ui/framework/controls.h"
#include "ui/framework/handles.h"

namespace ovalink {

class CTamberButton : public CButton {
 public:
  // Skin 1: rectangular lamps (bitmaps 144-146); any other: round lamps (141-143).
  explicit CTamberButton(int skin);

 protected:
  // Widens the window once, when attached, to show the whole text and its focus frame, as
  // far as the parent's client area allows; never narrows it.
  void OnSubclassed() override;

  OVALINK_DECLARE_MESSAGE_MAP()

 private:
  struct TextLayout {
    std::string text;
    RECT rect;
  };
  SIZE PictureSize() const;
  // Text and its rectangle beside the picture, measured in `dc` with its current font.
  TextLayout LayoutText(HDC dc) const;
  // Has the parent erase its background into `dc`, at the box's place.
  void PaintParentBackground(HDC dc) const;

  LRESULT OnPaint(WPARAM wParam, LPARAM lParam);
  LRESULT OnStateChange(UINT message, WPARAM wParam, LPARAM lParam);
  LRESULT OnFocusChange(WPARAM wParam, LPARAM lParam);

  // [0] checked, [1] unchecked, [2] pushed or disabled.
  Bitmap m_bitmaps[3];
};

}  // namespace ovalink
