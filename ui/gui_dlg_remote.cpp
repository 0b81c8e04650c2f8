// The main window as a virtual remote: clicks send, Ctrl+Click trains, recognised presses
// send and grey their button, and training outcomes are reported.

#include <cstdint>

#include "commands/press_delivery.h"
#include "engine/engine_types.h"
#include "engine/training_messages.h"
#include "resources/resource.h"
#include "ui/ask_dialog.h"
#include "ui/dialog_open_flags.h"
#include "ui/gui_dlg.h"

namespace ovalink {

namespace {
constexpr UINT_PTR kHighlightTimer = 1;
constexpr UINT kHighlightMs = 1000;
constexpr int kLevelRange = 100;
constexpr const char* kTrainingStillEndsText =
    "The previous training has not ended yet.\nTry again in a few seconds.";

void ShowSendError(CWnd* parent) {
  CAskDialog(IDS_SENDERR_CAPTION, IDS_SENDERR_TEXT, "SendErrInfo", parent).DoModal();
}
}  // namespace

void CGUIDlg::OnRemoteButton(UINT id) {
  const int button = int(id) - kFirstButtonId;
  if ((::GetAsyncKeyState(VK_CONTROL) & 0x8000) != 0) {
    // Whatever the user answers, training goes on.
    CAskDialog(IDS_TRAINING_CAPTION, IDS_TRAINING_TEXT, "TrainingInfo", this).DoModal();
    if (m_exiting || m_engine.IsTraining()) return;
    // The engine would take the new request for the cancelled run and then drop it when
    // that run ends.
    if (m_trainingRun) {
      ::MessageBoxA(m_hWnd, kTrainingStillEndsText, kAppCaption, MB_OK | MB_ICONINFORMATION);
      return;
    }
    // Taken here, on the window's thread, so it is the label's own text and never a prompt.
    if (m_levelCaption.empty()) m_levelCaption = GetDlgItemText(IDC_LEVEL_LABEL);
    m_engine.StartTraining(button, WindowHandle(m_hWnd), WM_RC_LEVEL, WM_RC_TRAINED,
                           kPromptControlId);
    m_trainingRun = true;
    m_progress.SetRange(0, kLevelRange);
    m_progress.SetPos(0);
    return;
  }
  // A click is the user's own request: Enable, the highlight and the open flag play no part.
  if (m_commands.SendCommand(std::uint32_t(button), true) != SendResult::Sent) {
    ShowSendError(this);
  }
}

LRESULT CGUIDlg::OnCode(WPARAM wParam, LPARAM) {
  if (m_timerId != 0) ::KillTimer(m_hWnd, m_timerId);
  m_timerId = ::SetTimer(m_hWnd, kHighlightTimer, kHighlightMs, nullptr);
  const PressOutcome outcome = DeliverPress(m_commands, std::uint32_t(wParam), m_enabled != 0);
  if (outcome.highlight) Highlight(outcome.button);
  if (outcome.reportSendError) {
    // Presses keep arriving inside the dialog's loop; one dialog is enough.
    DialogOpenFlag open(g_sendErrorOpen);
    if (open.Taken()) ShowSendError(this);
  }
  return 0;
}

void CGUIDlg::Highlight(int button) {
  if (const HWND control = GetDlgItem(kFirstButtonId + button)) ::EnableWindow(control, FALSE);
}

LRESULT CGUIDlg::OnTimer(WPARAM wParam, LPARAM lParam) {
  m_progress.SetPos(0);
  for (int i = 0; i < kButtonCount; ++i) {
    if (const HWND control = GetDlgItem(kFirstButtonId + i)) ::EnableWindow(control, TRUE);
  }
  if (m_timerId != 0) {
    ::KillTimer(m_hWnd, m_timerId);
    m_timerId = 0;
  }
  return Default(WM_TIMER, wParam, lParam);
}

LRESULT CGUIDlg::OnLevel(WPARAM wParam, LPARAM) {
  m_progress.SetPos(int(wParam));
  // A signal that sent nothing falls back as a recognised press does; a training run's
  // progress stays.
  if (wParam != 0 && m_timerId == 0 && !m_trainingRun && !m_engine.IsTraining()) {
    m_timerId = ::SetTimer(m_hWnd, kHighlightTimer, kHighlightMs, nullptr);
  }
  return 0;
}

LRESULT CGUIDlg::OnTrained(WPARAM wParam, LPARAM) {
  m_trainingRun = false;
  RestoreLevelLabel();
  RefreshButtonCaptions();
  const TrainingMessage report = TrainingResultMessage(int(wParam));
  if (report.caption != nullptr && !m_exiting) {
    const UINT icon = report.exclamation ? MB_ICONEXCLAMATION : MB_ICONINFORMATION;
    ::MessageBoxA(m_hWnd, report.text, report.caption, MB_OK | icon);
  }
  return 0;
}

}  // namespace ovalink
