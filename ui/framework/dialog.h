#pragma once
// CDialog: a dialog from a template in the program's resources, modal (DoModal) or
// modeless (Create). Behaviour comes from virtual overrides (OnInitDialog, DoDataExchange,
// OnOK, OnCancel) and from the message table; CDialog's own table binds IDOK and IDCANCEL
// to OnOK and OnCancel and comes after every derived table.

#include <windows.h>

#include <string>

#include "ui/framework/wnd.h"

namespace ovalink {

class CDialog;

// Direction and target of one data exchange (UpdateData).
class CDataExchange {
 public:
  CDataExchange(CDialog& dialog, bool saveAndValidate)
      : m_pDlgWnd(&dialog), m_bSaveAndValidate(saveAndValidate) {}

  CDialog* m_pDlgWnd;
  bool m_bSaveAndValidate;  // true: controls to members; false: members to controls
};

// A check box's state (BST_UNCHECKED, BST_CHECKED, BST_INDETERMINATE) <-> an int.
void DDX_Check(CDataExchange& dx, int id, int& value);
// Binds a wrapper to control `id` (in either direction, once: a bound wrapper is kept).
void DDX_Control(CDataExchange& dx, int id, CWnd& control);

class CDialog : public CWnd {
 public:
  explicit CDialog(UINT templateId, CWnd* parent = nullptr);
  // A template name; "#100" names template 100.
  explicit CDialog(const char* templateName, CWnd* parent = nullptr);
  // A modeless dialog still open is destroyed with its object.
  ~CDialog() override;

  // Runs the dialog modally; the EndDialog result, or -1 when it could not be created.
  // Without a parent the application's main window owns it.
  virtual INT_PTR DoModal();

  // Creates the dialog modeless from the given template (the constructor's by default).
  bool Create(UINT templateId, CWnd* parent = nullptr);
  bool Create(const char* templateName, CWnd* parent = nullptr);
  bool Create();

  void EndDialog(int result);

  // Runs DoDataExchange in one direction.
  bool UpdateData(bool saveAndValidate = true);

  // WM_INITDIALOG. The default fills controls from the template's initialisation data,
  // moves members to controls and returns TRUE (the dialog manager sets the focus).
  virtual BOOL OnInitDialog();

 protected:
  virtual void DoDataExchange(CDataExchange& dx);
  // IDOK: controls to members, then EndDialog(IDOK).
  virtual void OnOK();
  // IDCANCEL (also Esc and the title bar's close): EndDialog(IDCANCEL).
  virtual void OnCancel();

  // Sends the template's DLGINIT records (list and combo box items) to the controls.
  bool ExecuteDlgInit();

  OVALINK_DECLARE_MESSAGE_MAP()

 private:
  static INT_PTR CALLBACK DialogProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam);
  LRESULT HandleInitDialog(WPARAM wParam, LPARAM lParam);
  LPCSTR TemplateResource() const;
  HWND OwnerWindow() const;
  bool CreateModeless();

  UINT m_templateId;
  std::string m_templateName;
  CWnd* m_parent;
  bool m_modal = false;
};

}  // namespace ovalink
