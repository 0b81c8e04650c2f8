// The information dialogs and their "don't show me again" flags, run modally and driven
// from inside their own message loop.

#include <gtest/gtest.h>

#include <algorithm>
#include <optional>

#include "platform/win32/win32_registry_store.h"
#include "resources/resource.h"
#include "ui/about.h"
#include "ui/ask_dialog.h"
#include "app/registry_layout.h"
#include "ui_test_support.h"

namespace ovalink {
namespace {

using test::Click;
using test::ModalDriver;

struct Use {
  int caption;
  int text;
  const char* name;
  const char* captionText;
};
const Use kTraining{IDS_TRAINING_CAPTION, IDS_TRAINING_TEXT, "TrainingInfo",
                    "The Training Instructions"};
const Use kHowTo{IDS_HOWTO_CAPTION, IDS_HOWTO_TEXT, "HowToInfo", "The Brief Instructions"};
const Use kSendError{IDS_SENDERR_CAPTION, IDS_SENDERR_TEXT, "SendErrInfo", "Send Command Error"};

const char* const kFlagNames[] = {"NoAskTrainingInfo", "NoAskHowToInfo", "NoAskSendErrInfo"};

// The real registry of the Wine prefix, read and written here with advapi32 directly, as
// a user editing it by hand would; each test starts without the three flags.
class AskDialogTest : public ::testing::Test {
 protected:
  AskDialogTest() {
    InstallRegistry(&registry);
    ClearFlags();
  }
  ~AskDialogTest() override {
    ClearFlags();
    InstallRegistry(nullptr);
  }
  static void ClearFlags() {
    HKEY key = nullptr;
    if (::RegOpenKeyExA(HKEY_CURRENT_USER, kSettingsKey, 0, KEY_SET_VALUE, &key) != ERROR_SUCCESS) {
      return;
    }
    for (const char* name : kFlagNames) ::RegDeleteValueA(key, name);
    ::RegCloseKey(key);
  }

  // The flag as stored, or nothing when there is no DWORD of that name.
  static std::optional<DWORD> Flag(const char* name) {
    DWORD type = 0, value = 0, size = sizeof value;
    const std::string full = std::string("NoAsk") + name;
    if (::RegGetValueA(HKEY_CURRENT_USER, kSettingsKey, full.c_str(), RRF_RT_ANY, &type, &value,
                       &size) != ERROR_SUCCESS ||
        type != REG_DWORD) {
      return std::nullopt;
    }
    return value;
  }
  static void SetValue(const char* name, DWORD type, const void* data, DWORD size) {
    HKEY key = nullptr;
    ASSERT_EQ(::RegCreateKeyExA(HKEY_CURRENT_USER, kSettingsKey, 0, nullptr, 0, KEY_SET_VALUE,
                                nullptr, &key, nullptr),
              ERROR_SUCCESS);
    const std::string full = std::string("NoAsk") + name;
    ::RegSetValueExA(key, full.c_str(), 0, type, static_cast<const BYTE*>(data), size);
    ::RegCloseKey(key);
  }
  static void SetFlag(const char* name, DWORD value) {
    SetValue(name, REG_DWORD, &value, sizeof value);
  }

  struct Run {
    INT_PTR result;
    bool shown;
  };
  // Runs the dialog of `use` with `steps`; a dialog that shows but is not closed by the
  // steps times out.
  Run RunDialog(const Use& use, std::vector<ModalDriver::Step> steps) {
    CAskDialog dialog(use.caption, use.text, use.name, nullptr);
    ModalDriver driver(std::move(steps));
    const INT_PTR result = dialog.DoModal();
    EXPECT_TRUE(driver.Created());
    EXPECT_FALSE(driver.TimedOut());
    return Run{result, driver.Shown()};
  }

  Win32RegistryStore registry;
};

TEST_F(AskDialogTest, FirstUseStoresZeroAndShowsCaptionAndText) {
  ASSERT_FALSE(Flag("TrainingInfo"));
  std::string caption, text;
  std::optional<std::uint32_t> flagWhileShown;
  const Run run = RunDialog(kTraining, {[&](HWND dlg) {
    flagWhileShown = Flag("TrainingInfo");
    caption = CWnd(dlg).GetWindowText();
    text = CWnd(dlg).GetDlgItemText(IDC_ASK_TEXT);
    test::SaveWindowShot("ask_dialog", dlg);
    Click(dlg, IDOK);  // box left unticked
  }});
  EXPECT_EQ(run.result, IDOK);
  EXPECT_TRUE(run.shown);
  EXPECT_EQ(flagWhileShown, 0u);
  EXPECT_EQ(caption, "The Training Instructions");
  EXPECT_EQ(text,
            "Direct Remote Control Unit to IrDA port\n Press/Hold a desired Unit's key until the "
            "indicator reaches the end\n Release the key for a second\n Repeat several times.");
  EXPECT_EQ(Flag("TrainingInfo"), 0u);
}

TEST_F(AskDialogTest, DontShowBoxWidensJustEnoughForItsWholeText) {
  RECT laidOut{54, 56, 54 + 77, 56 + 10};  // the template's box, in dialog units
  RECT box{}, client{};
  int needed = 0;
  RunDialog(kTraining, {[&](HWND dlg) {
    const HWND item = ::GetDlgItem(dlg, IDC_DONT_SHOW);
    ::MapDialogRect(dlg, &laidOut);
    box = test::RectInParent(item);
    ::GetClientRect(dlg, &client);
    needed = test::LampBoxWidthNeeded(item);
    Click(dlg, IDCANCEL);
  }});
  // Under Wine's fonts the template's width alone cuts off the last letter.
  EXPECT_EQ(box.right - box.left, std::max(needed, int(laidOut.right - laidOut.left)));
  EXPECT_EQ(box.left, laidOut.left);
  EXPECT_EQ(box.top, laidOut.top);
  EXPECT_EQ(box.bottom, laidOut.bottom);
  EXPECT_LE(box.right, client.right);
}

TEST_F(AskDialogTest, TickedOkStoresOneAndTheNextRequestEndsUnseen) {
  int boxState = -1;
  const Run first = RunDialog(kTraining, {[&](HWND dlg) {
    ::SendMessageA(::GetDlgItem(dlg, IDC_DONT_SHOW), BM_CLICK, 0, 0);
    boxState = int(::SendMessageA(::GetDlgItem(dlg, IDC_DONT_SHOW), BM_GETCHECK, 0, 0));
    test::SaveWindowShot("ask_dialog_ticked", dlg);
    Click(dlg, IDOK);
  }});
  EXPECT_EQ(first.result, IDOK);
  EXPECT_EQ(boxState, BST_CHECKED);
  EXPECT_EQ(Flag("TrainingInfo"), 1u);

  const Run second = RunDialog(kTraining, {});
  EXPECT_EQ(second.result, IDOK);
  EXPECT_FALSE(second.shown);
  EXPECT_EQ(Flag("TrainingInfo"), 1u);
}

TEST_F(AskDialogTest, TickedCancelStoresNothingAndShowsAgain) {
  const Run first = RunDialog(kSendError, {[](HWND dlg) {
    ::SendMessageA(::GetDlgItem(dlg, IDC_DONT_SHOW), BM_CLICK, 0, 0);
    Click(dlg, IDCANCEL);
  }});
  EXPECT_EQ(first.result, IDCANCEL);
  EXPECT_EQ(Flag("SendErrInfo"), 0u);

  std::string text;
  const Run again = RunDialog(kSendError, {[&](HWND dlg) {
    text = CWnd(dlg).GetDlgItemText(IDC_ASK_TEXT);
    ::PostMessageA(dlg, WM_CLOSE, 0, 0);  // the title bar's close is a cancel too
  }});
  EXPECT_TRUE(again.shown);
  EXPECT_EQ(again.result, IDCANCEL);
  // Text 133 keeps its trailing blank.
  EXPECT_EQ(text,
            "Target Application is not found\nCould not send the command\n Run the application and "
            "try again ");
  EXPECT_EQ(Flag("SendErrInfo"), 0u);
}

TEST_F(AskDialogTest, AnyNonZeroFlagSuppressesAndIsLeftAsItIs) {
  SetFlag("HowToInfo", 2);  // edited by hand
  const Run run = RunDialog(kHowTo, {});
  EXPECT_EQ(run.result, IDOK);
  EXPECT_FALSE(run.shown);
  EXPECT_EQ(Flag("HowToInfo"), 2u);
}

TEST_F(AskDialogTest, TheThreeFlagsAreIndependent) {
  SetFlag("TrainingInfo", 1);
  EXPECT_FALSE(RunDialog(kTraining, {}).shown);
  for (const Use* use : {&kHowTo, &kSendError}) {
    std::string caption;
    const Run run = RunDialog(*use, {[&](HWND dlg) {
      caption = CWnd(dlg).GetWindowText();
      Click(dlg, IDOK);
    }});
    EXPECT_TRUE(run.shown) << use->name;
    EXPECT_EQ(caption, use->captionText);
  }
  EXPECT_EQ(Flag("TrainingInfo"), 1u);
  EXPECT_EQ(Flag("HowToInfo"), 0u);
  EXPECT_EQ(Flag("SendErrInfo"), 0u);
}

TEST_F(AskDialogTest, FlagOfAnotherTypeShowsAndIsOverwrittenWithZero) {
  SetValue("HowToInfo", REG_SZ, "1", 2);
  EXPECT_TRUE(RunDialog(kHowTo, {[](HWND dlg) { Click(dlg, IDCANCEL); }}).shown);
  EXPECT_EQ(Flag("HowToInfo"), 0u);
}

TEST_F(AskDialogTest, UnopenableKeyAlwaysShowsAndNeverStores) {
  test::ScopedRegistry refusing;  // over the real one for this test
  refusing.store().SetRefuseOpen(true);
  CAskDialog probe(kTraining.caption, kTraining.text, kTraining.name, nullptr);
  EXPECT_EQ(probe.IsSuppressed(), 0);
  const Run run = RunDialog(kTraining, {[](HWND dlg) {
    ::SendMessageA(::GetDlgItem(dlg, IDC_DONT_SHOW), BM_CLICK, 0, 0);
    Click(dlg, IDOK);
  }});
  EXPECT_TRUE(run.shown);
  refusing.store().SetRefuseOpen(false);
  RegHandle handle = 0;
  refusing.store().CreateKey(RegRoot::CurrentUser, kSettingsKey, &handle);
  std::uint32_t size = 0;
  RegType type = RegType::None;
  EXPECT_EQ(refusing.store().QueryValue(handle, "NoAskTrainingInfo", &type, nullptr, &size),
            kRegNotFound);
  refusing.store().CloseKey(handle);
}

TEST(AboutTest, ShowsPictureNameAndNoticeAndClosesWithOkOrEsc) {
  CAbout about;
  std::string title, picturedText;
  HANDLE picture = nullptr;
  ModalDriver driver({[&](HWND dlg) {
    title = CWnd(dlg).GetWindowText();
    const HWND first = ::GetWindow(dlg, GW_CHILD);
    picture = reinterpret_cast<HANDLE>(::SendMessageA(first, STM_GETIMAGE, IMAGE_BITMAP, 0));
    picturedText = CWnd(::GetWindow(first, GW_HWNDNEXT)).GetWindowText();
    test::SaveWindowShot("about_box", dlg);
    Click(dlg, IDOK);
  }});
  EXPECT_EQ(about.DoModal(), IDOK);
  EXPECT_TRUE(driver.Shown());
  EXPECT_EQ(title, "Ovalink");
  EXPECT_NE(picture, nullptr);
  EXPECT_EQ(picturedText, "Ovalink");

  CAbout again;
  ModalDriver esc({[](HWND) { ::PostMessageA(::GetFocus(), WM_KEYDOWN, VK_ESCAPE, 0); }});
  EXPECT_EQ(again.DoModal(), IDCANCEL);
}

}  // namespace
}  // namespace ovalink
