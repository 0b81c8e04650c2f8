#include "ui/setting.h"

#include <cstdio>
#include <string>
#include <utility>

#include "app/autostart.h"
#include "app/reg_key.h"
#include "app/registry_layout.h"
#include "resources/resource.h"

namespace ovalink {

namespace {
constexpr int kLampSkin = 1;

// The base an item names ("%x"); false when the text is no hexadecimal number.
bool ParseBase(const std::string& text, unsigned int* base) {
  return std::sscanf(text.c_str(), "%x", base) == 1;
}
}  // namespace

CSetting::CSetting(CWnd* mainWindow, SettingsOperations operations)
    : C_Dialog(IDD_SETTINGS, mainWindow),
      m_operations(std::move(operations)),
      m_enableBox(kLampSkin),
      m_autorunBox(kLampSkin) {}

const MessageMap* CSetting::ClassMessageMap() {
  static const MessageEntry entries[] = {
      OnCommand<&CSetting::OnOK>(IDOK),
  };
  static const MessageMap map = MessageMapOf(C_Dialog::ClassMessageMap(), entries);
  return &map;
}

void CSetting::DoDataExchange(CDataExchange& dx) {
  DDX_Check(dx, IDC_ENABLE, m_enable);
  DDX_Check(dx, IDC_AUTORUN, m_autorun);
  DDX_Control(dx, IDC_PORT, m_portList);
}

BOOL CSetting::OnInitDialog() {
  C_Dialog::OnInitDialog();
  m_enableBox.SubclassDlgItem(IDC_ENABLE, m_hWnd);
  m_autorunBox.SubclassDlgItem(IDC_AUTORUN, m_hWnd);

  const int port = m_operations.getPort();
  char text[16];
  std::snprintf(text, sizeof text, "%x", unsigned(port));
  LRESULT index = m_portList.SendMessage(CB_FINDSTRINGEXACT, WPARAM(-1),
                                         reinterpret_cast<LPARAM>(text));
  if (index == CB_ERR) index = 0;
  m_portList.SendMessage(CB_SETCURSEL, WPARAM(index));

  m_enable = m_operations.isEnabled();
  RegKey settings(RegRoot::CurrentUser, kSettingsKey);
  m_autorun = int(settings.ReadDword(kAutorunValue, kDefaultAutorun));
  UpdateData(false);
  return TRUE;
}

void CSetting::OnOK() {
  UpdateData(true);
  m_operations.setEnabled(m_enable);
  RegKey settings(RegRoot::CurrentUser, kSettingsKey);
  settings.WriteDword(kAutorunValue, std::uint32_t(m_autorun));
  ApplyAutostart(m_autorun != 0);

  const LRESULT selected = m_portList.SendMessage(CB_GETCURSEL);
  std::string item;
  if (selected != CB_ERR) {
    const LRESULT length = m_portList.SendMessage(CB_GETLBTEXTLEN, WPARAM(selected));
    if (length > 0) {
      item.resize(std::size_t(length) + 1);
      const LRESULT copied = m_portList.SendMessage(CB_GETLBTEXT, WPARAM(selected),
                                                    reinterpret_cast<LPARAM>(&item[0]));
      item.resize(copied > 0 ? std::size_t(copied) : 0);
    }
  }
  unsigned int base = 0;
  if (ParseBase(item, &base)) m_operations.setPort(int(base));
  EndDialog(IDOK);
}

}  // namespace ovalink
