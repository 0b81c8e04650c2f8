#pragma once
// CAskDialog: a small information dialog with a "Don't show me again" box. Once the user
// ticks the box and presses OK, the flag "NoAsk" + name is stored in the settings key and
// the dialog of that name ends itself, unseen, whenever it is run again.

#include <string>

#include "ui/c_dialog.h"
#include "ui/tamber_button.h"

namespace ovalink {

class CAskDialog : public C_Dialog {
 public:
  CAskDialog(int captionId, int textId, const std::string& name, CWnd* parent);

  // The stored flag (non-zero: don't show); a missing flag is stored as 0 by the reading.
  int IsSuppressed();

  const std::string& FlagName() const { return m_flagName; }

  BOOL OnInitDialog() override;

 protected:
  void OnOK() override;

  OVALINK_DECLARE_MESSAGE_MAP()

 private:
  int m_textId;
  int m_captionId;
  std::string m_flagName;
  CTamberButton m_dontShow;
};

}  // namespace ovalink
