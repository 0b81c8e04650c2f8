#pragma once
// CSetting: the settings dialog (template 130). Enable, "Launch On StartUp" and the port;
// nothing is stored before OK, but opening it re-applies or re-detects the port.

#include "ui/c_dialog.h"
#include "ui/framework/controls.h"
#include "ui/tamber_button.h"

namespace ovalink {

class CGUIDlg;

class CSetting : public C_Dialog {
 public:
  explicit CSetting(CGUIDlg* mainWindow);

  BOOL OnInitDialog() override;

 protected:
  void DoDataExchange(CDataExchange& dx) override;
  void OnOK() override;

  OVALINK_DECLARE_MESSAGE_MAP()

 private:
  CGUIDlg* m_mainWindow;
  int m_enable = 0;
  int m_autorun = 0;
  CWnd m_portList;
  CTamberButton m_enableBox;
  CTamberButton m_autorunBox;
};

}  // namespace ovalink
