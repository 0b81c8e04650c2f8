#include "ui/framework/win_app.h"

#include "ui/framework/wnd.h"

namespace ovalink {

namespace {
CWinApp* g_application = nullptr;
}

CWinApp::CWinApp() : m_hInstance(::GetModuleHandleA(nullptr)) {
  if (g_application == nullptr) g_application = this;
}

CWinApp::~CWinApp() {
  if (g_application == this) g_application = nullptr;
}

CWinApp* CWinApp::Current() { return g_application; }

int CWinApp::Execute() {
  if (!InitInstance()) return ExitInstance();
  return Run();
}

int CWinApp::Run() {
  MSG message{};
  BOOL got;
  while ((got = ::GetMessageA(&message, nullptr, 0, 0)) != 0) {
    if (got == -1) break;
    if (PreTranslateMessage(message)) continue;
    ::TranslateMessage(&message);
    ::DispatchMessageA(&message);
  }
  m_exitCode = got == 0 ? int(message.wParam) : 1;
  return ExitInstance();
}

bool CWinApp::PreTranslateMessage(MSG& message) {
  const HWND main = m_pMainWnd != nullptr ? m_pMainWnd->GetSafeHwnd() : nullptr;
  return main != nullptr && ::IsDialogMessageA(main, &message) != FALSE;
}

}  // namespace ovalink
