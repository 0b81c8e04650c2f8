#pragma once
// CDA: the application. Its initialisation decides what the run does (install or remove the
// driver service, hand over to a running instance, or run), and it owns the main window and
// the machine it works on for the whole run.

#include <memory>

#include "platform/win32/win32_instance_guard.h"
#include "platform/win32/win32_target_system.h"
#include "platform/win32/win32_window_link.h"
#include "ui/framework/win_app.h"
#include "ui/gui_dlg.h"
#include "ui/program_hardware.h"

namespace ovalink {

class CDA : public CWinApp {
 public:
  explicit CDA(const InstanceGuard& guard);
  ~CDA() override;

  BOOL InitInstance() override;
  int Run() override;
  // Deletes the main window object once the message loop has ended, then the machine.
  int ExitInstance() override;

 private:
  // Hands the run over to the running instance's main window, if there is one; never waits
  // on it.
  static void OpenRunningInstance();
  bool RunProgram();

  const InstanceGuard& m_guard;
  bool m_oleReady = false;
  std::unique_ptr<ProgramHardware> m_hardware;
  Win32WindowLink m_link;
  Win32TargetSystem m_target;
  std::unique_ptr<CGUIDlg> m_mainWindow;
};

}  // namespace ovalink
