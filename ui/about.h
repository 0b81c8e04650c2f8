#pragma once
// CAbout: the About box (template 103), a plain dialog; OK and Esc close it.

#include "ui/framework/dialog.h"

namespace ovalink {

class CAbout : public CDialog {
 public:
  // Without a parent the application's main window owns it.
  CAbout();

  BOOL OnInitDialog() override;
};

}  // namespace ovalink
