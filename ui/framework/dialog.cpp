#include "ui/framework/dialog.h"

#include <commctrl.h>

#include <cstdint>
#include <cstring>

#include "ui/framework/win_app.h"

namespace ovalink {

namespace {

// Resource type of a template's initialisation data, as resource compilers write it.
constexpr WORD kDlgInitType = 240;
// The item-adding messages as they are numbered inside that data.
constexpr WORD kDlgInitListAdd = 0x0401;
constexpr WORD kDlgInitComboAdd = 0x0403;

HINSTANCE ResourceModule() { return ::GetModuleHandleA(nullptr); }

void EnsureCommonControls() {
  static const bool done = [] {
    INITCOMMONCONTROLSEX init{sizeof init, ICC_WIN95_CLASSES | ICC_PROGRESS_CLASS};
    return ::InitCommonControlsEx(&init) != FALSE;
  }();
  (void)done;
}

// Messages whose dialog-procedure result is the value itself rather than TRUE/FALSE with
// DWLP_MSGRESULT.
bool ReturnsValueDirectly(UINT message) {
  switch (message) {
    case WM_INITDIALOG:
    case WM_CTLCOLORMSGBOX:
    case WM_CTLCOLOREDIT:
    case WM_CTLCOLORLISTBOX:
    case WM_CTLCOLORBTN:
    case WM_CTLCOLORDLG:
    case WM_CTLCOLORSCROLLBAR:
    case WM_CTLCOLORSTATIC:
    case WM_COMPAREITEM:
    case WM_VKEYTOITEM:
    case WM_CHARTOITEM:
    case WM_QUERYDRAGICON:
      return true;
    default:
      return false;
  }
}

template <typename T>
bool ReadField(const std::uint8_t*& cursor, const std::uint8_t* end, T* out) {
  if (end - cursor < std::ptrdiff_t(sizeof(T))) return false;
  std::memcpy(out, cursor, sizeof(T));
  cursor += sizeof(T);
  return true;
}

}  // namespace

void DDX_Check(CDataExchange& dx, int id, int& value) {
  const HWND control = dx.m_pDlgWnd->GetDlgItem(id);
  if (dx.m_bSaveAndValidate) {
    value = int(::SendMessageA(control, BM_GETCHECK, 0, 0));
  } else {
    ::SendMessageA(control, BM_SETCHECK, WPARAM(value), 0);
  }
}

void DDX_Control(CDataExchange& dx, int id, CWnd& control) {
  if (control.GetSafeHwnd() == nullptr) control.Attach(dx.m_pDlgWnd->GetDlgItem(id));
}

CDialog::CDialog(UINT templateId, CWnd* parent) : m_templateId(templateId), m_parent(parent) {}

CDialog::CDialog(const char* templateName, CWnd* parent)
    : m_templateId(0), m_templateName(templateName ? templateName : ""), m_parent(parent) {}

CDialog::~CDialog() {
  if (m_hWnd != nullptr && !m_modal) ::DestroyWindow(m_hWnd);
}

const MessageMap* CDialog::ClassMessageMap() {
  static const MessageEntry entries[] = {
      OnMessage<&CDialog::HandleInitDialog>(WM_INITDIALOG),
      OnCommand<&CDialog::OnOK>(IDOK),
      OnCommand<&CDialog::OnCancel>(IDCANCEL),
  };
  static const MessageMap map = MessageMapOf(CWnd::ClassMessageMap(), entries);
  return &map;
}

LPCSTR CDialog::TemplateResource() const {
  return m_templateId != 0 ? MAKEINTRESOURCEA(m_templateId) : m_templateName.c_str();
}

HWND CDialog::OwnerWindow() const {
  if (m_parent != nullptr) return m_parent->GetSafeHwnd();
  const CWinApp* app = CWinApp::Current();
  if (app == nullptr || app->m_pMainWnd == nullptr || app->m_pMainWnd == this) return nullptr;
  return app->m_pMainWnd->GetSafeHwnd();
}

INT_PTR CDialog::DoModal() {
  EnsureCommonControls();
  m_modal = true;
  const INT_PTR result = ::DialogBoxParamA(ResourceModule(), TemplateResource(), OwnerWindow(),
                                           &CDialog::DialogProc, reinterpret_cast<LPARAM>(this));
  m_modal = false;
  return result;
}

bool CDialog::Create(UINT templateId, CWnd* parent) {
  m_templateId = templateId;
  m_templateName.clear();
  m_parent = parent;
  return CreateModeless();
}

bool CDialog::Create(const char* templateName, CWnd* parent) {
  m_templateId = 0;
  m_templateName = templateName ? templateName : "";
  m_parent = parent;
  return CreateModeless();
}

bool CDialog::Create() { return CreateModeless(); }

bool CDialog::CreateModeless() {
  if (m_hWnd != nullptr) return false;
  EnsureCommonControls();
  m_modal = false;
  return ::CreateDialogParamA(ResourceModule(), TemplateResource(), OwnerWindow(),
                              &CDialog::DialogProc, reinterpret_cast<LPARAM>(this)) != nullptr;
}

void CDialog::EndDialog(int result) {
  // For a modeless dialog this only hides it, as the dialog manager does.
  if (m_hWnd != nullptr) ::EndDialog(m_hWnd, result);
}

bool CDialog::UpdateData(bool saveAndValidate) {
  if (m_hWnd == nullptr) return false;
  CDataExchange dx(*this, saveAndValidate);
  DoDataExchange(dx);
  return true;
}

BOOL CDialog::OnInitDialog() {
  ExecuteDlgInit();
  UpdateData(false);
  return TRUE;
}

void CDialog::DoDataExchange(CDataExchange&) {}

void CDialog::OnOK() {
  if (!UpdateData(true)) return;
  EndDialog(IDOK);
}

void CDialog::OnCancel() { EndDialog(IDCANCEL); }

bool CDialog::ExecuteDlgInit() {
  const HINSTANCE module = ResourceModule();
  const HRSRC found = ::FindResourceA(module, TemplateResource(), MAKEINTRESOURCEA(kDlgInitType));
  if (found == nullptr) return true;  // nothing to fill
  const HGLOBAL loaded = ::LoadResource(module, found);
  const auto* cursor = static_cast<const std::uint8_t*>(loaded ? ::LockResource(loaded) : nullptr);
  if (cursor == nullptr) return false;
  const std::uint8_t* end = cursor + ::SizeofResource(module, found);

  // Records of (control id, message, data length, data), ended by a control id of 0.
  for (;;) {
    WORD control = 0, message = 0;
    DWORD length = 0;
    if (!ReadField(cursor, end, &control) || control == 0) return control == 0;
    if (!ReadField(cursor, end, &message) || !ReadField(cursor, end, &length)) return false;
    if (end - cursor < std::ptrdiff_t(length)) return false;
    const auto* data = reinterpret_cast<const char*>(cursor);
    cursor += length;

    UINT add = 0;
    if (message == kDlgInitComboAdd || message == CB_ADDSTRING) add = CB_ADDSTRING;
    if (message == kDlgInitListAdd || message == LB_ADDSTRING) add = LB_ADDSTRING;
    if (add == 0) continue;
    const std::string text(data, ::strnlen(data, length));
    ::SendDlgItemMessageA(m_hWnd, control, add, 0, reinterpret_cast<LPARAM>(text.c_str()));
  }
}

LRESULT CDialog::HandleInitDialog(WPARAM, LPARAM) { return OnInitDialog(); }

INT_PTR CALLBACK CDialog::DialogProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
  CDialog* self = nullptr;
  if (message == WM_INITDIALOG) {
    // Everything before WM_INITDIALOG (WM_SETFONT and the creation messages) gets the
    // dialog manager's default handling.
    self = reinterpret_cast<CDialog*>(lParam);
    ::SetWindowLongPtrA(window, DWLP_USER, reinterpret_cast<LONG_PTR>(self));
    self->m_hWnd = window;
  } else {
    self = reinterpret_cast<CDialog*>(::GetWindowLongPtrA(window, DWLP_USER));
  }
  if (self == nullptr) return FALSE;

  if (message == WM_NCDESTROY) {
    ::SetWindowLongPtrA(window, DWLP_USER, 0);
    try {
      self->HandleNcDestroy();
    } catch (...) {
    }
    return FALSE;
  }

  LRESULT result = 0;
  bool handled = false;
  try {
    handled = self->WindowMessage(message, wParam, lParam, &result);
  } catch (...) {
    // A handler's failure must not unwind through the dialog manager.
    handled = false;
  }
  if (!handled) return FALSE;
  if (ReturnsValueDirectly(message)) return INT_PTR(result);
  ::SetWindowLongPtrA(window, DWLP_MSGRESULT, result);
  return TRUE;
}

}  // namespace ovalink
