#include "ui/tray_icon.h"

#include <cstring>
#include <utility>

#include "resources/resource.h"
#include "ui/bitmapped_menu.h"
#include "ui/framework/wnd.h"

namespace ovalink {

namespace {
constexpr std::size_t kTipChars = 63;  // the first form's tip field holds 64 with its NUL
constexpr int kIconSize = 16;
}  // namespace

CTrayIcon::CTrayIcon() : CTrayIcon(nullptr) {}

CTrayIcon::CTrayIcon(TrayShell& shell) : CTrayIcon(&shell) {}

CTrayIcon::CTrayIcon(TrayShell* shell)
    : m_record{}, m_shell(shell != nullptr ? shell : &m_systemShell) {
  m_record.cbSize = NOTIFYICONDATAA_V1_SIZE;
  m_record.uID = 0;
}

CTrayIcon::~CTrayIcon() { SetIcon(0); }

void CTrayIcon::SetOwner(CWnd* owner, UINT callbackMessage) {
  m_owner = owner;
  m_record.hWnd = owner != nullptr ? owner->GetSafeHwnd() : nullptr;
  m_record.uCallbackMessage = callbackMessage;
}

void CTrayIcon::SetMenuTable(UINT bitmapId, const MenuItem* items, int count) {
  m_menuBitmap = bitmapId;
  m_menuItems = items;
  m_menuItemCount = count;
}

void CTrayIcon::SetIcon(UINT id) {
  const HINSTANCE module = ::GetModuleHandleA(nullptr);
  if (id == 0) {
    SetIconHandle(nullptr, nullptr);
    m_loadedIcon.reset();
    return;
  }
  // A missing string leaves the tip empty (LoadStringA need not touch the buffer then); a
  // missing icon removes the one shown.
  if (::LoadStringA(module, id, m_record.szTip, int(kTipChars + 1)) <= 0) m_record.szTip[0] = '\0';
  Icon icon(static_cast<HICON>(::LoadImageA(module, MAKEINTRESOURCEA(id), IMAGE_ICON, kIconSize,
                                            kIconSize, LR_DEFAULTCOLOR)));
  SetIconHandle(icon.get(), nullptr);
  m_loadedIcon = std::move(icon);
}

bool CTrayIcon::SetIconHandle(HICON icon, const char* tip) {
  UINT flags = 0;
  DWORD request = NIM_DELETE;
  if (icon != nullptr) {
    const bool shown = m_record.hIcon != nullptr;
    m_record.hIcon = icon;
    flags = NIF_ICON;
    request = shown ? NIM_MODIFY : NIM_ADD;
  } else if (m_record.hIcon == nullptr) {
    return true;  // nothing shown, nothing to remove
  }
  if (tip != nullptr) {
    // Never more than the field holds with its terminator: the shell reads up to a NUL.
    const std::size_t length = ::strnlen(tip, kTipChars);
    std::memcpy(m_record.szTip, tip, length);
    m_record.szTip[length] = '\0';
  }
  if (m_record.szTip[0] != '\0') flags |= NIF_TIP;
  if (m_record.uCallbackMessage != 0 && m_record.hWnd != nullptr) flags |= NIF_MESSAGE;
  m_record.uFlags = flags;

  const bool done = m_shell->Notify(request, &m_record);
  if (request == NIM_DELETE || !done) m_record.hIcon = nullptr;
  return done;
}

LRESULT CTrayIcon::HandleTrayMessage(WPARAM, LPARAM lParam) {
  switch (lParam) {
    case WM_LBUTTONDOWN:
      if (m_owner != nullptr) {
        ::SendMessageA(m_owner->GetSafeHwnd(), WM_COMMAND, ID_OPEN, 0);
      }
      break;
    case WM_RBUTTONDOWN:
      ShowMenu();
      break;
    default:
      break;
  }
  return 0;
}

void CTrayIcon::ShowMenu() {
  if (m_owner == nullptr) return;
  CBitmappedMenu menu(m_menuBitmap, m_menuItems, m_menuItemCount);
  POINT cursor{};
  ::GetCursorPos(&cursor);
  // Without the foreground the menu would not close when the user clicks elsewhere.
  ::SetForegroundWindow(m_record.hWnd);
  menu.TrackPopupMenu(TPM_LEFTALIGN | TPM_TOPALIGN | TPM_RIGHTBUTTON, cursor.x, cursor.y, *m_owner);
  // The shell's documented remedy for a menu that would otherwise fail to reopen.
  ::PostMessageA(m_owner->GetSafeHwnd(), WM_NULL, 0, 0);
}

}  // namespace ovalink
