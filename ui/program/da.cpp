#include "ui/program/da.h"

#include <commctrl.h>
#include <ole2.h>

#include "app/command_line.h"
#include "engine/engine_types.h"
#include "platform/win32/win32_driver_service.h"
#include "platform/win32/win32_thread_termination.h"
#include "resources/resource.h"
#include "ui/main_window_mark.h"

namespace ovalink {

namespace {
// Exit status of an install or remove run whose service is not running, or not gone.
constexpr int kDriverActionFailed = 1;

// Thrown by the engine's missing-driver hook once the user has been told; ends the run.
struct DriverMissing {};

void ReportDriverMissing() {
  ::MessageBoxA(::GetActiveWindow(), kDriverMissingText, kAppCaption, MB_OK | MB_ICONINFORMATION);
  throw DriverMissing{};
}

const char* ArgumentsOf(const char* commandLine) {
  // The program's name, quoted or not, then blanks.
  const char* cursor = commandLine;
  if (*cursor == '"') {
    ++cursor;
    while (*cursor != '\0' && *cursor != '"') ++cursor;
    if (*cursor == '"') ++cursor;
  } else {
    while (*cursor != '\0' && *cursor != ' ' && *cursor != '\t') ++cursor;
  }
  while (*cursor == ' ' || *cursor == '\t') ++cursor;
  return cursor;
}
}  // namespace

CDA::CDA(const InstanceGuard& guard) : m_guard(guard) {}

CDA::~CDA() = default;

BOOL CDA::InitInstance() {
  ::InitCommonControls();
  m_oleReady = SUCCEEDED(::OleInitialize(nullptr));
  // What the run does comes first: install and remove runs never show a window, and tell a
  // setup by their exit status whether the driver service runs, or is gone.
  m_exitCode = 0;
  switch (ActionForCommandLine(ArgumentsOf(::GetCommandLineA()))) {
    case StartAction::InstallDriver:
      m_exitCode = InstallDriver() ? 0 : kDriverActionFailed;
      return FALSE;
    case StartAction::RemoveDriver:
      m_exitCode = RemoveDriver() ? 0 : kDriverActionFailed;
      return FALSE;
    case StartAction::Run:
      break;
  }
  if (m_guard.AnotherInstanceRuns()) {
    OpenRunningInstance();
    return FALSE;
  }
  return RunProgram() ? TRUE : FALSE;
}

void CDA::OpenRunningInstance() { OpenRunningMainWindow(); }

bool CDA::RunProgram() {
  m_hardware = CreateProgramHardware();
  const EngineServices services{m_hardware->Io(), m_hardware->Time(), m_link,
                                &ReportDriverMissing};
  try {
    m_mainWindow = std::make_unique<CGUIDlg>(services, m_target);
  } catch (const DriverMissing&) {
    m_exitCode = 1;
    return false;
  }
  // Should the worker ever ignore Stop, it is not left running into the program's end.
  m_mainWindow->Engine().SetForceTerminate(&TerminateWorkerThread);
  m_pMainWnd = m_mainWindow.get();
  if (!m_mainWindow->Create()) {
    m_pMainWnd = nullptr;
    m_exitCode = 1;
    return false;
  }
  return true;
}

int CDA::Run() { return CWinApp::Run(); }

int CDA::ExitInstance() {
  // The engine hands the UART back and closes the driver before the driver back end goes.
  m_mainWindow.reset();
  m_hardware.reset();
  if (m_oleReady) ::OleUninitialize();
  m_oleReady = false;
  return CWinApp::ExitInstance();
}

}  // namespace ovalink
