#pragma once
// CWinApp: the application object. There is one per process, by design: windows find it to
// learn their default owner, and its main window's end ends the message loop.

#include <windows.h>

#include "ui/framework/cmd_target.h"

namespace ovalink {

class CWnd;

class CWinApp : public CCmdTarget {
 public:
  CWinApp();
  ~CWinApp() override;

  // The application object of this process, or null before it exists.
  static CWinApp* Current();

  // The body of WinMain: InitInstance, then the message loop, or ExitInstance at once
  // when initialisation fails. Returns the process exit code.
  int Execute();

  virtual BOOL InitInstance() { return TRUE; }
  // Runs the message loop until WM_QUIT; returns ExitInstance().
  virtual int Run();
  // Clean-up after the loop; returns the exit code (WM_QUIT's, or 1 without a loop).
  virtual int ExitInstance() { return m_exitCode; }

  HINSTANCE m_hInstance;
  CWnd* m_pMainWnd = nullptr;  // not owned

 protected:
  // Keyboard navigation of a modeless main dialog; true when the message was consumed.
  virtual bool PreTranslateMessage(MSG& message);

  int m_exitCode = 1;
};

}  // namespace ovalink
