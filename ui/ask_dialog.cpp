#include "ui/ask_dialog.h"

#include "app/reg_key.h"
#include "app/registry_layout.h"
#include "resources/resource.h"

namespace ovalink {

CAskDialog::CAskDialog(int captionId, int textId, const std::string& name, CWnd* parent)
    : C_Dialog(IDD_ASK, parent),
      m_textId(textId),
      m_captionId(captionId),
      m_flagName(kNoAskPrefix + name),
      m_dontShow(1) {}

const MessageMap* CAskDialog::ClassMessageMap() {
  static const MessageEntry entries[] = {
      OnCommand<&CAskDialog::OnOK>(IDOK),
      OnCommand<&CAskDialog::OnCancel>(IDCANCEL),  // CDialog's: ends with IDCANCEL
  };
  static const MessageMap map = MessageMapOf(C_Dialog::ClassMessageMap(), entries);
  return &map;
}

int CAskDialog::IsSuppressed() {
  RegKey key(RegRoot::CurrentUser, kSettingsKey);
  return int(key.ReadDword(m_flagName, 0));
}

BOOL CAskDialog::OnInitDialog() {
  if (IsSuppressed() != 0) {
    // Ended before it is ever shown; the plain OK, so the flag is left as it is.
    CDialog::OnOK();
    return TRUE;
  }
  SetWindowText(LoadResourceString(UINT(m_captionId)));
  SetDlgItemText(IDC_ASK_TEXT, LoadResourceString(UINT(m_textId)));
  m_dontShow.SubclassDlgItem(IDC_DONT_SHOW, m_hWnd);
  return TRUE;
}

void CAskDialog::OnOK() {
  const auto state = ::SendMessageA(GetDlgItem(IDC_DONT_SHOW), BM_GETSTATE, 0, 0);
  if ((state & BST_CHECKED) != 0) {
    RegKey key(RegRoot::CurrentUser, kSettingsKey);
    key.WriteDword(m_flagName, 1);
  }
  EndDialog(IDOK);
}

}  // namespace ovalink
