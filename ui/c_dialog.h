#pragma once
// C_Dialog: the dialog base of the program's own windows. It tiles the paper texture over
// the client area and draws labels, group boxes and check boxes straight onto it.

#include "ui/framework/dialog.h"
#include "ui/framework/handles.h"

namespace ovalink {

class C_Dialog : public CDialog {
 public:
  C_Dialog(UINT templateId, CWnd* parent);
  C_Dialog(const char* templateName, CWnd* parent);

 protected:
  OVALINK_DECLARE_MESSAGE_MAP()

 private:
  void LoadSkin();
  LRESULT OnEraseBkgnd(WPARAM wParam, LPARAM lParam);
  LRESULT OnCtlColor(UINT message, WPARAM wParam, LPARAM lParam);

  Bitmap m_background;
  Brush m_patternBrush;
};

}  // namespace ovalink
