// The settings dialog over the main window, against Wine's own registry: what opening,
// Cancel and OK store, the autostart entry and the port list.

#include <gtest/gtest.h>

#include <cstring>
#include <functional>
#include <memory>
#include <optional>
#include <string>

#include "app/registry_layout.h"
#include "engine/engine_types.h"
#include "platform/path_beside_program.h"
#include "platform/win32/win32_clock.h"
#include "platform/win32/win32_window_link.h"
#include "recording_shell.h"
#include "resources/resource.h"
#include "sim/simulated_pc.h"
#include "tests/unit/recording_target_system.h"
#include "ui/gui_dlg.h"
#include "ui/menu_item.h"
#include "ui_test_support.h"

namespace ovalink {
namespace {

using test::DialogResponder;

struct DriverMissing {};

// A value as the registry has it, or nothing when it is missing.
std::optional<std::string> RawValue(const char* key, const char* name, DWORD* type = nullptr) {
  char data[1024] = {};
  DWORD size = sizeof data, kind = 0;
  if (::RegGetValueA(HKEY_CURRENT_USER, key, name, RRF_RT_ANY, &kind, data, &size) !=
      ERROR_SUCCESS) {
    return std::nullopt;
  }
  if (type != nullptr) *type = kind;
  return std::string(data, size);
}

std::optional<DWORD> Dword(const char* name) {
  DWORD type = 0;
  const auto raw = RawValue(kSettingsKey, name, &type);
  if (!raw || type != REG_DWORD || raw->size() != 4) return std::nullopt;
  DWORD value = 0;
  std::memcpy(&value, raw->data(), 4);
  return value;
}

void PutDword(const char* name, DWORD value) {
  ::RegSetKeyValueA(HKEY_CURRENT_USER, kSettingsKey, name, REG_DWORD, &value, sizeof value);
}
void PutString(const char* key, const char* name, const std::string& text) {
  ::RegSetKeyValueA(HKEY_CURRENT_USER, key, name, REG_SZ, text.c_str(), DWORD(text.size() + 1));
}
void Remove(const char* key, const char* name) { ::RegDeleteKeyValueA(HKEY_CURRENT_USER, key, name); }

std::optional<std::string> RunEntry() {
  const auto raw = RawValue(kRunKey, kAutostartValue);
  if (!raw) return std::nullopt;
  return std::string(raw->c_str());
}

// What the dialog showed when it came up.
struct Shown {
  int enable = -1;
  int autorun = -1;
  std::string port;
};

Shown ReadDialog(HWND dialog) {
  Shown shown;
  shown.enable = int(::SendDlgItemMessageA(dialog, IDC_ENABLE, BM_GETCHECK, 0, 0));
  shown.autorun = int(::SendDlgItemMessageA(dialog, IDC_AUTORUN, BM_GETCHECK, 0, 0));
  const LRESULT index = ::SendDlgItemMessageA(dialog, IDC_PORT, CB_GETCURSEL, 0, 0);
  char text[32] = {};
  if (index != CB_ERR) {
    ::SendDlgItemMessageA(dialog, IDC_PORT, CB_GETLBTEXT, WPARAM(index),
                          reinterpret_cast<LPARAM>(text));
  }
  shown.port = text;
  return shown;
}

class SettingDialogTest : public ::testing::Test {
 protected:
  SettingDialogTest() {
    // A clean profile, but for the dialogs that would stand in the way.
    for (const char* name : {kEnableValue, kAutorunValue, kPortValue}) Remove(kSettingsKey, name);
    Remove(kRunKey, kAutostartValue);
    PutDword("NoAskHowToInfo", 1);
  }
  ~SettingDialogTest() override {
    window.reset();
    Remove(kRunKey, kAutostartValue);
  }

  void Start(PortIo& io) {
    window = std::make_unique<CGUIDlg>(
        EngineServices{io, clock, link, [] { throw DriverMissing{}; }}, target, &shell);
    ASSERT_TRUE(window->Create());
    ASSERT_TRUE(test::PumpUntil([&] { return window->Engine().Mode() == Listening; }));
  }
  void Start() { Start(pc.bus); }

  // Opens the settings from the tray menu's command; `act` runs once it is shown.
  Shown OpenSettings(const std::function<void(HWND)>& act) {
    Shown shown;
    DialogResponder responder([&](HWND dialog, const DialogResponder::Seen& seen) {
      if (seen.caption != "Ovalink :: Settings") return test::Click(dialog, IDOK);
      shown = ReadDialog(dialog);
      act(dialog);
    });
    ::SendMessageA(window->GetSafeHwnd(), WM_COMMAND, ID_SETTINGS, 0);
    return shown;
  }

  sim::SimulatedPc pc;
  Win32Clock clock;
  Win32WindowLink link;
  RecordingTargetSystem target;
  test::RecordingShell shell;
  std::unique_ptr<CGUIDlg> window;
};

TEST_F(SettingDialogTest, FirstOpeningOnACleanProfileTicksBothAndShowsTheDetectedBase) {
  Start();
  const Shown shown = OpenSettings([](HWND dialog) {
    test::Settle(dialog);
    test::SaveWindowShot("settings_dialog_program", dialog);
    test::Click(dialog, IDCANCEL);
  });
  EXPECT_EQ(shown.enable, BST_CHECKED);
  EXPECT_EQ(shown.autorun, BST_CHECKED);
  EXPECT_EQ(shown.port, "3F8");
  EXPECT_EQ(Dword(kEnableValue), 1u);
  EXPECT_EQ(Dword(kAutorunValue), 1u);  // read as 1 and stored
  EXPECT_EQ(RunEntry(), std::nullopt);  // Cancel: no autostart entry
}

TEST_F(SettingDialogTest, CancelLeavesTheOptionsButTheOpeningReDetectsThePort) {
  PutDword(kEnableValue, 0);
  PutDword(kAutorunValue, 0);
  Start();
  PutDword(kPortValue, 0);  // as after a failed detection
  const Shown shown = OpenSettings([](HWND dialog) {
    test::Click(dialog, IDC_ENABLE);
    test::Click(dialog, IDC_AUTORUN);
    test::Click(dialog, IDCANCEL);
  });
  EXPECT_EQ(shown.enable, BST_UNCHECKED);
  EXPECT_EQ(shown.autorun, BST_UNCHECKED);
  EXPECT_EQ(Dword(kEnableValue), 0u);
  EXPECT_EQ(Dword(kAutorunValue), 0u);
  EXPECT_EQ(RunEntry(), std::nullopt);
  EXPECT_EQ(Dword(kPortValue), 0x3F8u);
}

TEST_F(SettingDialogTest, OkWithLaunchOnStartupTickedNamesQuorExeBesideTheProgram) {
  Start();
  OpenSettings([](HWND dialog) { test::Click(dialog, IDOK); });
  EXPECT_EQ(Dword(kAutorunValue), 1u);
  EXPECT_EQ(RunEntry(), PathBesideProgram("Quor.exe"));
  EXPECT_NE(RunEntry()->find("\\Quor.exe"), std::string::npos);
}

TEST_F(SettingDialogTest, OkWithLaunchOnStartupUntickedRemovesTheEntry) {
  PutString(kRunKey, kAutostartValue, "C:\\old\\Quor.exe");
  Start();
  OpenSettings([](HWND dialog) {
    test::Click(dialog, IDC_AUTORUN);
    test::Click(dialog, IDOK);
  });
  EXPECT_EQ(Dword(kAutorunValue), 0u);
  EXPECT_EQ(RunEntry(), std::nullopt);
}

TEST_F(SettingDialogTest, OkWithEnableUntickedIgnoresPressesButNotClicks) {
  const WindowHandle player = target.AddWindow("WMPlayerApp");
  (void)player;
  Start();
  OpenSettings([](HWND dialog) {
    test::Click(dialog, IDC_ENABLE);
    test::Click(dialog, IDOK);
  });
  EXPECT_EQ(Dword(kEnableValue), 0u);
  EXPECT_EQ(g_trayMenuItems[0].image, kNoImage);
  const HWND button = window->GetDlgItem(kFirstButtonId + 2);
  ::SendMessageA(window->GetSafeHwnd(), WM_RC_CODE, 2, 0);
  EXPECT_TRUE(target.Actions().empty());
  EXPECT_TRUE(::IsWindowEnabled(button));
  ::SendMessageA(window->GetSafeHwnd(), WM_COMMAND, MAKEWPARAM(kFirstButtonId + 2, BN_CLICKED),
                 reinterpret_cast<LPARAM>(button));
  EXPECT_FALSE(target.Actions().empty());
  PutDword(kEnableValue, 1);
  g_trayMenuItems[0].image = kCheckMarkImage;
}

TEST_F(SettingDialogTest, OkWithoutChangesWritesEverythingAgain) {
  Start();
  OpenSettings([](HWND dialog) {
    // Changed behind the dialog's back: OK must store what it shows, not what was there.
    PutDword(kEnableValue, 0);
    PutDword(kAutorunValue, 0);
    PutDword(kPortValue, 0x2E8);
    test::Click(dialog, IDOK);
  });
  EXPECT_EQ(Dword(kEnableValue), 1u);
  EXPECT_EQ(Dword(kAutorunValue), 1u);
  EXPECT_EQ(Dword(kPortValue), 0x3F8u);
  EXPECT_TRUE(RunEntry().has_value());
  EXPECT_EQ(window->Engine().Base(), 0x3F8);
}

TEST_F(SettingDialogTest, AnotherBaseChosenIsStoredAndSelected) {
  Start();
  OpenSettings([](HWND dialog) {
    ::SendDlgItemMessageA(dialog, IDC_PORT, CB_SETCURSEL, 1, 0);  // "2F8"
    test::Click(dialog, IDOK);
  });
  EXPECT_EQ(Dword(kPortValue), 0x2F8u);
  EXPECT_EQ(window->Engine().Base(), 0x2F8);
}

TEST_F(SettingDialogTest, AStoredPortNotAmongTheFourShowsTheFirstItem) {
  // Nothing answers at any base: detection stores 0, and the list shows "3F8".
  sim::SimPortBus emptyBus(pc.clock);
  {
    DialogResponder warnings([](HWND dialog, const DialogResponder::Seen& seen) {
      test::Click(dialog, seen.caption == "Ovalink :: Settings" ? IDCANCEL : IDOK);
    });
    Start(emptyBus);
  }
  const Shown shown = OpenSettings([](HWND dialog) { test::Click(dialog, IDOK); });
  EXPECT_EQ(shown.port, "3F8");
  EXPECT_EQ(Dword(kPortValue), 0x3F8u);  // OK stores the first item and selects it
  EXPECT_EQ(window->Engine().Base(), 0x3F8);
  window.reset();
}

TEST_F(SettingDialogTest, AHandEditedPortIsNeverUsedAsAnIoAddress) {
  // 0x20 is the interrupt controller's: the program must not program it as a UART.
  PutDword(kPortValue, 0x20);
  Start();
  EXPECT_EQ(window->Engine().Base(), 0x3F8);
  EXPECT_EQ(Dword(kPortValue), 0x3F8u);
  // Another type than a number counts as missing: detected and stored again.
  PutString(kSettingsKey, kPortValue, "3f8");
  const Shown shown = OpenSettings([](HWND dialog) { test::Click(dialog, IDCANCEL); });
  EXPECT_EQ(shown.port, "3F8");
  EXPECT_EQ(Dword(kPortValue), 0x3F8u);
}

}  // namespace
}  // namespace ovalink
