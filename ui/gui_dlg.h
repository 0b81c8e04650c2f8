#pragma once
// CGUIDlg: the program's main window, a modeless dialog that shows the virtual remote. It
// owns the engine, the command map and the tray icon, turns the engine's messages into the
// level bar, commands and training reports, and answers the tray menu's commands.

#include <string>

#include "commands/command_map.h"
#include "engine/rc_engine.h"
#include "ui/c_dialog.h"
#include "ui/document_shell.h"
#include "ui/fitting_label.h"
#include "ui/framework/controls.h"
#include "ui/framework/handles.h"
#include "ui/tray_icon.h"

namespace ovalink {

class CGUIDlg : public C_Dialog {
 public:
  // Constructing the engine opens the port driver; when it is missing,
  // services.driverMissing runs and must not return. `shell` null: the system's tray;
  // `documents` null: the system's shell opens the help and link files.
  CGUIDlg(const EngineServices& services, TargetSystem& target, TrayShell* shell = nullptr,
          DocumentShell* documents = nullptr);
  ~CGUIDlg() override;

  // Creates the window, hidden, from its template, with no parent.
  bool Create();

  // --- used by the settings dialog ---
  int IsEnabled();
  void SetEnabled(int value);
  // The stored base re-applied, or one detected and stored; 0 when none.
  int GetPort();
  void SetPort(int base);

  void ToggleEnabled();
  void RefreshButtonCaptions();
  void RestoreLevelLabel();
  void ShowFromTray();

  RCEngine& Engine() { return m_engine; }

  BOOL OnInitDialog() override;
  bool DestroyWindow() override;

 protected:
  void DoDataExchange(CDataExchange& dx) override;
  // Close button, Esc and the title bar's close hide the window; the program goes on.
  void OnOK() override;
  void OnCancel() override;

  OVALINK_DECLARE_MESSAGE_MAP()

 private:
  // --- main window (tray, system, dialogs, exit) ---
  LRESULT OnTrayNotify(WPARAM wParam, LPARAM lParam);
  LRESULT OnPowerBroadcast(WPARAM wParam, LPARAM lParam);
  LRESULT OnTaskbarCreated(WPARAM wParam, LPARAM lParam);
  LRESULT OnSysCommand(WPARAM wParam, LPARAM lParam);
  LRESULT OnStart(WPARAM wParam, LPARAM lParam);
  void OnExit();
  void OnAbout();
  void OnEnable();
  void OnSettings();
  void OnOpen();
  void OnHelpFile();
  void OnMore();
  // Opens a file beside the program, or says which file is missing or would not open.
  void OpenBesideProgram(const char* fileName);
  void Hide();
  void PlaceBottomRight();

  // --- virtual remote ---
  void OnRemoteButton(UINT id);
  LRESULT OnTimer(WPARAM wParam, LPARAM lParam);
  LRESULT OnLevel(WPARAM wParam, LPARAM lParam);
  LRESULT OnTrained(WPARAM wParam, LPARAM lParam);
  LRESULT OnCode(WPARAM wParam, LPARAM lParam);
  void Highlight(int button);

  // Runs a port operation of the main thread. Without port access it raises a fault; the
  // user is told, and the program goes on with what it has.
  template <typename Operation>
  bool GuardPortAccess(Operation operation);

  RCEngine m_engine;
  CommandMap m_commands;
  int m_enabled = 0;
  UINT_PTR m_timerId = 0;
  Icon m_bigIcon;
  Icon m_smallIcon;
  CTrayIcon m_tray;
  std::string m_levelCaption;
  CProgressCtrl m_progress;
  // Control 1024: training's prompts are longer than the label is wide.
  CFittingLabel m_promptLabel;
  SystemDocumentShell m_systemDocuments;
  DocumentShell* m_documents;

  // From a Ctrl+Click's StartTraining until that run's report: a run the Close button
  // cancelled still runs to its end, and a new one cannot start before.
  bool m_trainingRun = false;

  // Set once Exit has begun: commands that arrive while the engine stops are ignored.
  bool m_exiting = false;
};

}  // namespace ovalink
