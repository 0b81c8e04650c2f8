#pragma once
// CSetting: the settings dialog (template 130). Enable, "Launch On StartUp" and the port;
// nothing is stored before OK, but opening it re-applies or re-detects the port.

#include <functional>

#include "ui/c_dialog.h"
#include "ui/framework/controls.h"
#include "ui/tamber_button.h"

namespace ovalink {

// The main window's operations that the dialog runs (its IsEnabled, SetEnabled, GetPort and
// SetPort), handed over so that the dialog needs nothing else of that window.
struct SettingsOperations {
  std::function<int()> isEnabled;
  std::function<void(int)> setEnabled;
  std::function<int()> getPort;
  std::function<void(int)> setPort;
};

class CSetting : public C_Dialog {
 public:
  CSetting(CWnd* mainWindow, SettingsOperations operations);

  BOOL OnInitDialog() override;

 protected:
  void DoDataExchange(CDataExchange& dx) override;
  void OnOK() override;

  OVALINK_DECLARE_MESSAGE_MAP()

 private:
  SettingsOperations m_operations;
  int m_enable = 0;
  int m_autorun = 0;
  CWnd m_portList;
  CTamberButton m_enableBox;
  CTamberButton m_autorunBox;
};

}  // namespace ovalink
