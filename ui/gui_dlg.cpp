// The main window itself: creation, start-up, showing and hiding, the tray and system
// messages, the dialogs it opens and the exit. The virtual remote is in gui_dlg_remote.cpp.

#include "ui/gui_dlg.h"

#include <shellapi.h>

#include "app/reg_key.h"
#include "app/registry_layout.h"
#include "engine/engine_types.h"
#include "engine/program_settings.h"
#include "platform/path_beside_program.h"
#include "port/port.h"
#include "resources/resource.h"
#include "ui/about.h"
#include "ui/ask_dialog.h"
#include "ui/dialog_open_flags.h"
#include "ui/main_window_mark.h"
#include "ui/menu_item.h"
#include "ui/messages.h"
#include "ui/setting.h"

namespace ovalink {

namespace {
constexpr const char* kNoPortCaption = "Compatible IrDA port not found";
constexpr const char* kNoPortText =
    "compatible IrDA port is not detected\nSet valid port in the Settings dialog manually\n"
    "Otherwise Quor will not work";
// Shown when the port driver has not granted access to the UART after all.
constexpr const char* kNoPortAccessText =
    "The IrDA port cannot be accessed.\nReinstall the program.";
constexpr DWORD kSlideMs = 200;
constexpr WPARAM kResumeSuspend = 7;  // PBT_APMRESUMESUSPEND

// Numbered by the shell at run time; one per process, read by the message table.
UINT g_taskbarCreated = 0;

HICON LoadProgramIcon(int width, int height) {
  return static_cast<HICON>(::LoadImageA(::GetModuleHandleA(nullptr),
                                         MAKEINTRESOURCEA(IDR_MAINFRAME), IMAGE_ICON, width,
                                         height, LR_DEFAULTCOLOR));
}

bool FileExists(const std::string& path) {
  const DWORD attributes = ::GetFileAttributesA(path.c_str());
  return attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_DIRECTORY) == 0;
}
}  // namespace

CGUIDlg::CGUIDlg(const EngineServices& services, TargetSystem& target, TrayShell* shell,
                 DocumentShell* documents)
    : C_Dialog(IDD_MAIN, nullptr),
      m_engine(services),
      m_commands(target),
      m_bigIcon(LoadProgramIcon(::GetSystemMetrics(SM_CXICON), ::GetSystemMetrics(SM_CYICON))),
      m_smallIcon(LoadProgramIcon(16, 16)),
      m_tray(shell),
      m_documents(documents != nullptr ? documents : &m_systemDocuments) {}

// The owner stops the engine first (Exit); a window still open goes with the object.
CGUIDlg::~CGUIDlg() { m_engine.Stop(); }

bool CGUIDlg::Create() { return CDialog::Create(IDD_MAIN, nullptr); }

const MessageMap* CGUIDlg::ClassMessageMap() {
  static const MessageEntry entries[] = {
      OnMessage<&CGUIDlg::OnTrayNotify>(WM_TRAY_NOTIFY),
      OnMessage<&CGUIDlg::OnPowerBroadcast>(WM_POWERBROADCAST),
      OnRegisteredMessage<&CGUIDlg::OnTaskbarCreated>(&g_taskbarCreated),
      OnCommand<&CGUIDlg::OnCancel>(IDCANCEL),
      OnCommand<&CGUIDlg::OnOK>(IDOK),
      OnCommand<&CGUIDlg::OnExit>(ID_EXIT),
      OnCommand<&CGUIDlg::OnAbout>(ID_ABOUT),
      OnCommand<&CGUIDlg::OnEnable>(ID_ENABLE),
      OnCommand<&CGUIDlg::OnSettings>(ID_SETTINGS),
      OnCommand<&CGUIDlg::OnOpen>(ID_OPEN),
      OnCommand<&CGUIDlg::OnHelpFile>(ID_HELPFILE),
      OnCommand<&CGUIDlg::OnMore>(ID_MORE),
      OnMessage<&CGUIDlg::OnSysCommand>(WM_SYSCOMMAND),
      OnMessage<&CGUIDlg::OnTimer>(WM_TIMER),
      OnCommandRange<&CGUIDlg::OnRemoteButton>(IDC_FIRST_REMOTE_BUTTON, IDC_LAST_REMOTE_BUTTON),
      // The dialog manager numbers DM_SETDEFID and DM_REPOSITION alike; claimed here, they
      // never reach it.
      OnMessage<&CGUIDlg::OnLevel>(WM_RC_LEVEL),
      OnMessage<&CGUIDlg::OnTrained>(WM_RC_TRAINED),
      OnMessage<&CGUIDlg::OnCode>(WM_RC_CODE),
      OnMessage<&CGUIDlg::OnStart>(WM_RC_START),
  };
  static const MessageMap map = MessageMapOf(C_Dialog::ClassMessageMap(), entries);
  return &map;
}

void CGUIDlg::DoDataExchange(CDataExchange& dx) { DDX_Control(dx, IDC_LEVEL, m_progress); }

BOOL CGUIDlg::OnInitDialog() {
  C_Dialog::OnInitDialog();
  m_promptLabel.SubclassDlgItem(IDC_LEVEL_LABEL, m_hWnd);
  PlaceBottomRight();
  SendMessage(WM_SETICON, ICON_BIG, reinterpret_cast<LPARAM>(m_bigIcon.get()));
  SendMessage(WM_SETICON, ICON_SMALL, reinterpret_cast<LPARAM>(m_smallIcon.get()));
  g_taskbarCreated = ::RegisterWindowMessageA("TaskbarCreated");
  m_tray.SetOwner(this, WM_TRAY_NOTIFY);
  g_trayMenuItems[0].image = IsEnabled() != 0 ? kCheckMarkImage : kNoImage;
  m_tray.SetMenuTable(IDB_MENU_IMAGES, g_trayMenuItems, kTrayMenuItemCount);
  m_tray.SetIcon(IDR_MAINFRAME);
  SetWindowText(kAppCaption);
  MarkMainWindow(m_hWnd);
  PostMessage(WM_RC_START);
  return TRUE;
}

bool CGUIDlg::DestroyWindow() {
  if (m_timerId != 0) {
    ::KillTimer(m_hWnd, m_timerId);
    m_timerId = 0;
  }
  UnmarkMainWindow(m_hWnd);
  return C_Dialog::DestroyWindow();
}

// --- settings ---

int CGUIDlg::IsEnabled() {
  m_enabled = int(ReadEnableSetting());
  return m_enabled;
}

void CGUIDlg::SetEnabled(int value) {
  WriteEnableSetting(std::uint32_t(value));
  g_trayMenuItems[0].image = value != 0 ? kCheckMarkImage : kNoImage;
  m_enabled = value;
}

template <typename Operation>
bool CGUIDlg::GuardPortAccess(Operation operation) {
  try {
    operation();
    return true;
  } catch (const PortAccessFault&) {
    ::MessageBoxA(m_hWnd, kNoPortAccessText, kAppCaption, MB_OK | MB_ICONEXCLAMATION);
    return false;
  }
}

int CGUIDlg::GetPort() {
  return int(SelectStoredPort(m_engine, [this](const std::function<void()>& operation) {
    GuardPortAccess(operation);
  }));
}

void CGUIDlg::SetPort(int base) {
  SelectPort(m_engine, std::uint32_t(base), [this](const std::function<void()>& operation) {
    GuardPortAccess(operation);
  });
}

void CGUIDlg::ToggleEnabled() { SetEnabled(IsEnabled() == 0 ? 1 : 0); }

// --- captions and label ---

void CGUIDlg::RefreshButtonCaptions() {
  for (int i = 0; i < kButtonCount; ++i) {
    const HWND button = GetDlgItem(kFirstButtonId + i);
    if (button == nullptr) continue;
    std::string text = CWnd(button).GetWindowText();
    const std::size_t blank = text.find(' ');
    if (blank != std::string::npos) text.erase(blank);
    if (!m_engine.hasCode(i)) text += " !";
    ::SetWindowTextA(button, text.c_str());
  }
}

void CGUIDlg::RestoreLevelLabel() {
  if (!m_levelCaption.empty() && GetDlgItem(IDC_LEVEL_LABEL) != nullptr) {
    SetDlgItemText(IDC_LEVEL_LABEL, m_levelCaption);
  }
}

// --- start-up ---

LRESULT CGUIDlg::OnStart(WPARAM, LPARAM) {
  const int port = GetPort();
  // The port-access box runs a message loop in which Exit may have been chosen; without
  // its window the next box would have no owner.
  if (m_exiting) return 0;
  if (port == 0) {
    ShowFromTray();
    ::MessageBoxA(m_hWnd, kNoPortText, kNoPortCaption, MB_OK | MB_ICONEXCLAMATION);
    if (m_exiting) return 0;
    OnSettings();
  }
  // Each dialog runs a message loop in which Exit may have been chosen.
  if (m_exiting) return 0;
  if (m_engine.loadCodes() == 0) {
    ShowFromTray();
    CAskDialog(IDS_HOWTO_CAPTION, IDS_HOWTO_TEXT, "HowToInfo", this).DoModal();
    if (m_exiting) return 0;
  }
  RefreshButtonCaptions();
  m_engine.StartListening(WindowHandle(m_hWnd), WM_RC_CODE, WM_RC_LEVEL);
  return 0;
}

// --- showing and hiding ---

void CGUIDlg::PlaceBottomRight() {
  RECT work{};
  ::SystemParametersInfoA(SPI_GETWORKAREA, 0, &work, 0);
  const RECT window = GetWindowRect();
  const int width = window.right - window.left;
  const int height = window.bottom - window.top;
  ::SetWindowPos(m_hWnd, nullptr, work.right - width, work.bottom - height, 0, 0,
                 SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE);
}

void CGUIDlg::ShowFromTray() {
  if (!IsWindowVisible()) {
    PlaceBottomRight();
    // Where the slide is not offered the window must still come up.
    if (!::AnimateWindow(m_hWnd, kSlideMs, AW_SLIDE | AW_HOR_NEGATIVE) || !IsWindowVisible()) {
      ShowWindow(SW_SHOWNA);
    }
  }
  constexpr UINT kKeepPlace = SWP_NOMOVE | SWP_NOSIZE | SWP_ASYNCWINDOWPOS;
  ::SetWindowPos(m_hWnd, HWND_TOPMOST, 0, 0, 0, 0, kKeepPlace);
  ::SetForegroundWindow(m_hWnd);
  ::SetWindowPos(m_hWnd, HWND_NOTOPMOST, 0, 0, 0, 0, kKeepPlace);
}

void CGUIDlg::Hide() {
  m_engine.CancelTraining();
  RestoreLevelLabel();
  RefreshButtonCaptions();
  ShowWindow(SW_HIDE);
}

void CGUIDlg::OnOK() { Hide(); }
void CGUIDlg::OnCancel() { Hide(); }
void CGUIDlg::OnOpen() {
  if (!m_exiting) ShowFromTray();
}

// --- tray and system ---

LRESULT CGUIDlg::OnTrayNotify(WPARAM wParam, LPARAM lParam) {
  return m_tray.HandleTrayMessage(wParam, lParam);
}

LRESULT CGUIDlg::OnPowerBroadcast(WPARAM wParam, LPARAM) {
  if (wParam == kResumeSuspend) GuardPortAccess([&] { m_engine.Reopen(); });
  return TRUE;
}

LRESULT CGUIDlg::OnTaskbarCreated(WPARAM, LPARAM) {
  m_tray.SetOwner(this, WM_TRAY_NOTIFY);
  m_tray.SetIcon(0);
  m_tray.SetIcon(IDR_MAINFRAME);
  return 0;
}

LRESULT CGUIDlg::OnSysCommand(WPARAM wParam, LPARAM lParam) {
  if (wParam == SC_CLOSE && (::GetKeyState(VK_F4) & 0x8000) != 0) return 0;
  return Default(WM_SYSCOMMAND, wParam, lParam);
}

void CGUIDlg::OnEnable() { ToggleEnabled(); }

void CGUIDlg::OnAbout() {
  DialogOpenFlag open(g_aboutOpen);
  if (!open.Taken()) return;
  CAbout().DoModal();
}

void CGUIDlg::OnSettings() {
  DialogOpenFlag open(g_settingsOpen);
  if (!open.Taken()) return;
  CSetting(this, {[this] { return IsEnabled(); }, [this](int value) { SetEnabled(value); },
                  [this] { return GetPort(); }, [this](int base) { SetPort(base); }})
      .DoModal();
}

void CGUIDlg::OpenBesideProgram(const char* fileName) {
  const std::string path = PathBesideProgram(fileName);
  const char* problem = nullptr;
  if (!FileExists(path)) {
    problem = "This file is missing:\n";
  } else if (!m_documents->Open(path)) {
    problem = "This file could not be opened:\n";
  }
  if (problem != nullptr) {
    ::MessageBoxA(m_hWnd, (problem + path).c_str(), kAppCaption, MB_OK | MB_ICONEXCLAMATION);
  }
}

void CGUIDlg::OnHelpFile() { OpenBesideProgram("Quor.chm"); }
void CGUIDlg::OnMore() { OpenBesideProgram("More.url"); }

// --- exit ---

void CGUIDlg::OnExit() {
  if (m_exiting) return;
  m_exiting = true;
  // Stop serves a worker that waits in a training prompt for this thread, so the worker
  // ends by itself instead of being terminated.
  m_engine.Stop();
  // Ends the message loop; the application deletes this object once the loop has ended,
  // since a dialog's nested loop may still be running below this handler.
  DestroyWindow();
}

}  // namespace ovalink
