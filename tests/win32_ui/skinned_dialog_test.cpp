// The paper background and the lamp check boxes, read back pixel by pixel.

#include <gtest/gtest.h>

#include <algorithm>

#include "resources/resource.h"
#include "ui/c_dialog.h"
#include "ui/tamber_button.h"
#include "ui_test_support.h"

namespace ovalink {
namespace {

using test::Pixels;

// The settings template with both boxes attached, as the settings dialog attaches them;
// optionally with another text on the first box, given before it is attached.
class LampDialog : public C_Dialog {
 public:
  explicit LampDialog(const char* enableText = nullptr)
      : C_Dialog(IDD_SETTINGS, nullptr), enableBox(1), autorunBox(1), enableText_(enableText) {}

  BOOL OnInitDialog() override {
    C_Dialog::OnInitDialog();
    laidOut[0] = test::RectInParent(GetDlgItem(IDC_ENABLE));
    laidOut[1] = test::RectInParent(GetDlgItem(IDC_AUTORUN));
    if (enableText_ != nullptr) SetDlgItemText(IDC_ENABLE, enableText_);
    enableBox.SubclassDlgItem(IDC_ENABLE, m_hWnd);
    autorunBox.SubclassDlgItem(IDC_AUTORUN, m_hWnd);
    return TRUE;
  }

  CTamberButton enableBox;
  CTamberButton autorunBox;
  RECT laidOut[2] = {};  // as the template placed the two boxes

 private:
  const char* enableText_;
};

class SkinnedDialogTest : public ::testing::Test {
 protected:
  void SetUp() override {
    ASSERT_TRUE(dialog.Create());
    ::SetWindowPos(dialog.GetSafeHwnd(), HWND_TOP, 0, 0, 0, 0,
                   SWP_NOMOVE | SWP_NOSIZE | SWP_SHOWWINDOW);
    ::SetFocus(dialog.GetDlgItem(IDOK));
    test::Settle(dialog.GetSafeHwnd());
    box = dialog.enableBox.GetSafeHwnd();
    ASSERT_NE(box, nullptr);
    ASSERT_GE(VisibleRows(), 12);
  }

  // The lamp picture as the box shows it now, without letting any message through. The
  // box may be less than 16 pixels high (its height is in dialog units): compare what shows.
  Pixels Lamp() const {
    WindowDC dc(box);
    return test::Capture(dc.get(), RECT{0, 0, 16, VisibleRows()});
  }
  Pixels Picture(UINT id) const {
    WindowDC screen(nullptr);
    Bitmap bitmap(::LoadBitmapA(::GetModuleHandleA(nullptr), MAKEINTRESOURCEA(id)));
    MemoryDC memory(::CreateCompatibleDC(screen.get()));
    SelectScope selected(memory.get(), bitmap.get());
    return test::Capture(memory.get(), RECT{0, 0, 16, VisibleRows()});
  }
  int VisibleRows() const {
    RECT client{};
    ::GetClientRect(box, &client);
    return std::min(16L, client.bottom);
  }

  // Where the text goes, computed independently from the control's font.
  RECT TextRect() const {
    WindowDC dc(box);
    SelectScope font(dc.get(), reinterpret_cast<HFONT>(::SendMessageA(box, WM_GETFONT, 0, 0)));
    SIZE extent{};
    ::GetTextExtentPoint32A(dc.get(), "Enable", 6, &extent);
    const int top = (16 - extent.cy) / 2;
    return RECT{21, top, 21 + extent.cx, top + extent.cy};
  }

  LampDialog dialog;
  HWND box = nullptr;
};

TEST_F(SkinnedDialogTest, TextureTilesWithoutGapsBeyondOneTile) {
  const Pixels tile = test::ResourceBitmap(IDB_PAPER);
  ASSERT_EQ(tile.width, 151);
  ASSERT_EQ(tile.height, 126);
  const RECT client = dialog.GetClientRect();
  ASSERT_GT(client.right, 151);
  ASSERT_GT(client.bottom, 126);

  // Erase into a canvas of our own: every pixel must come from the tile.
  WindowDC screen(nullptr);
  MemoryDC memory(::CreateCompatibleDC(screen.get()));
  Bitmap canvas(::CreateCompatibleBitmap(screen.get(), client.right, client.bottom));
  SelectScope selected(memory.get(), canvas.get());
  ::PatBlt(memory.get(), 0, 0, client.right, client.bottom, BLACKNESS);
  EXPECT_EQ(::SendMessageA(dialog.GetSafeHwnd(), WM_ERASEBKGND,
                           reinterpret_cast<WPARAM>(memory.get()), 0), TRUE);
  const Pixels erased = test::Capture(memory.get(), client);
  int wrong = 0;
  for (int y = 0; y < erased.height; ++y) {
    for (int x = 0; x < erased.width; ++x) {
      wrong += erased.at(x, y) != tile.at(x % tile.width, y % tile.height);
    }
  }
  EXPECT_EQ(wrong, 0);
}

TEST_F(SkinnedDialogTest, StaticKindsAreTransparentOnThePatternOthersOpaque) {
  const HWND label = ::GetWindow(dialog.GetDlgItem(IDCANCEL), GW_HWNDNEXT);  // a group box
  WindowDC dc(label);
  ::SetBkMode(dc.get(), OPAQUE);
  const LRESULT brush = ::SendMessageA(dialog.GetSafeHwnd(), WM_CTLCOLORSTATIC,
                                       reinterpret_cast<WPARAM>(dc.get()),
                                       reinterpret_cast<LPARAM>(label));
  EXPECT_NE(brush, 0);
  EXPECT_EQ(::GetBkMode(dc.get()), TRANSPARENT);
  LOGBRUSH pattern{};
  ::GetObjectA(reinterpret_cast<HBRUSH>(brush), sizeof pattern, &pattern);
  EXPECT_EQ(pattern.lbStyle, UINT(BS_PATTERN));

  const LRESULT other = ::SendMessageA(dialog.GetSafeHwnd(), WM_CTLCOLORBTN,
                                       reinterpret_cast<WPARAM>(dc.get()),
                                       reinterpret_cast<LPARAM>(dialog.GetDlgItem(IDOK)));
  EXPECT_NE(other, brush);
  EXPECT_EQ(::GetBkMode(dc.get()), OPAQUE);
}

TEST_F(SkinnedDialogTest, CheckFromCodeShowsTheRightLampAtOnce) {
  const Pixels on = Picture(IDB_LAMP_BAR_ON);
  const Pixels off = Picture(IDB_LAMP_BAR_OFF);
  const Pixels pushed = Picture(IDB_LAMP_BAR_PUSHED);
  ASSERT_NE(on.rgb, off.rgb);

  EXPECT_EQ(Lamp().rgb, off.rgb);
  EXPECT_EQ(::SendMessageA(box, BM_SETCHECK, BST_CHECKED, 0), 0);
  EXPECT_EQ(Lamp().rgb, on.rgb);  // no message was pumped in between
  EXPECT_EQ(::SendMessageA(box, BM_GETCHECK, 0, 0), BST_CHECKED);
  ::SendMessageA(box, BM_SETCHECK, BST_INDETERMINATE, 0);
  EXPECT_EQ(Lamp().rgb, on.rgb);
  ::SendMessageA(box, BM_SETCHECK, BST_UNCHECKED, 0);
  EXPECT_EQ(Lamp().rgb, off.rgb);

  // Held down with the mouse or the space bar.
  EXPECT_EQ(::SendMessageA(box, BM_SETSTATE, TRUE, 0), 0);
  EXPECT_EQ(Lamp().rgb, pushed.rgb);
  ::SendMessageA(box, BM_SETSTATE, FALSE, 0);
  EXPECT_EQ(Lamp().rgb, off.rgb);

  // A click still toggles the box and notifies the dialog, as a check box does.
  ::SendMessageA(box, BM_CLICK, 0, 0);
  EXPECT_EQ(::SendMessageA(box, BM_GETCHECK, 0, 0), BST_CHECKED);
  EXPECT_EQ(Lamp().rgb, on.rgb);
  test::SaveWindowShot("settings_dialog", dialog.GetSafeHwnd());
}

TEST_F(SkinnedDialogTest, DisabledBoxShowsThePushedLampAndBlackText) {
  const Pixels pushed = Picture(IDB_LAMP_BAR_PUSHED);
  ::SendMessageA(box, BM_SETCHECK, BST_CHECKED, 0);
  ::EnableWindow(box, FALSE);
  EXPECT_EQ(Lamp().rgb, pushed.rgb);
  ::SendMessageA(box, BM_SETCHECK, BST_UNCHECKED, 0);
  EXPECT_EQ(Lamp().rgb, pushed.rgb);

  const RECT text = TextRect();
  const Pixels drawn = test::CaptureClient(box);
  int black = 0;
  for (int y = std::max(0L, text.top); y < std::min(LONG(drawn.height), text.bottom); ++y) {
    for (int x = text.left; x < std::min(LONG(drawn.width), text.right); ++x) {
      black += drawn.at(x, y) == 0;
    }
  }
  EXPECT_GT(black, 10);  // the platform would have greyed it

  ::EnableWindow(box, TRUE);
  EXPECT_EQ(Lamp().rgb, Picture(IDB_LAMP_BAR_OFF).rgb);
}

TEST_F(SkinnedDialogTest, FocusDrawsAndRemovesTheDottedRectangleOutsideTheText) {
  const Pixels before = test::CaptureClient(box);
  RECT frame = TextRect();
  ::InflateRect(&frame, 1, 1);

  // Tab onto the box: the dialog manager's own focus move.
  ::SendMessageA(dialog.GetSafeHwnd(), WM_NEXTDLGCTL, reinterpret_cast<WPARAM>(box), TRUE);
  ASSERT_EQ(::GetFocus(), box);
  const Pixels focused = test::CaptureClient(box);
  int onFrame = 0, elsewhere = 0;
  bool sides[4] = {};
  for (int y = 0; y < before.height; ++y) {
    for (int x = 0; x < before.width; ++x) {
      if (focused.at(x, y) == before.at(x, y)) continue;
      const bool left = x == frame.left, right = x == frame.right - 1;
      const bool top = y == frame.top, bottom = y == frame.bottom - 1;
      const bool inside = x >= frame.left && x < frame.right && y >= frame.top && y < frame.bottom;
      if (inside && (left || right || top || bottom)) {
        ++onFrame;
        sides[0] |= left, sides[1] |= right, sides[2] |= top, sides[3] |= bottom;
      } else {
        ++elsewhere;
      }
    }
  }
  EXPECT_GT(onFrame, 0);
  EXPECT_EQ(elsewhere, 0);
  EXPECT_TRUE(sides[0] && sides[1] && sides[2] && sides[3]);

  // A repaint while focused keeps the rectangle ...
  ::SendMessageA(box, BM_SETCHECK, BST_UNCHECKED, 0);
  EXPECT_EQ(test::CaptureClient(box).rgb, focused.rgb);
  // ... and tabbing off removes exactly what tabbing on drew.
  ::SendMessageA(dialog.GetSafeHwnd(), WM_NEXTDLGCTL, reinterpret_cast<WPARAM>(dialog.GetDlgItem(IDOK)),
                 TRUE);
  EXPECT_EQ(test::CaptureClient(box).rgb, before.rgb);
}

TEST_F(SkinnedDialogTest, FocusRectangleSurvivesARepaintOfTheDialogAndLeavesNoTrace) {
  const Pixels before = test::CaptureClient(box);
  ::SendMessageA(dialog.GetSafeHwnd(), WM_NEXTDLGCTL, reinterpret_cast<WPARAM>(box), TRUE);
  ASSERT_EQ(::GetFocus(), box);
  const Pixels focused = test::CaptureClient(box);
  ASSERT_NE(focused.rgb, before.rgb);

  // The dialog is uncovered, say: it and its children paint afresh.
  ::RedrawWindow(dialog.GetSafeHwnd(), nullptr, nullptr,
                 RDW_INVALIDATE | RDW_ERASE | RDW_ALLCHILDREN | RDW_UPDATENOW);
  EXPECT_EQ(test::CaptureClient(box).rgb, focused.rgb) << "focused box lost its rectangle";

  ::SendMessageA(dialog.GetSafeHwnd(), WM_NEXTDLGCTL,
                 reinterpret_cast<WPARAM>(dialog.GetDlgItem(IDOK)), TRUE);
  EXPECT_EQ(test::CaptureClient(box).rgb, before.rgb) << "a stray rectangle stayed behind";
}

TEST_F(SkinnedDialogTest, HiddenBoxStaysHiddenThroughStateChanges) {
  ::ShowWindow(box, SW_HIDE);
  ::SendMessageA(box, BM_SETCHECK, BST_CHECKED, 0);
  EXPECT_FALSE(::GetWindowLongA(box, GWL_STYLE) & WS_VISIBLE) << "after BM_SETCHECK";
  ::SendMessageA(box, BM_SETSTATE, TRUE, 0);
  ::SendMessageA(box, BM_SETSTATE, FALSE, 0);
  EXPECT_FALSE(::GetWindowLongA(box, GWL_STYLE) & WS_VISIBLE) << "after BM_SETSTATE";
  ::EnableWindow(box, FALSE);
  EXPECT_FALSE(::GetWindowLongA(box, GWL_STYLE) & WS_VISIBLE) << "after disabling";
  // The dialog manager sends this to every child when keyboard cues change (Alt pressed).
  ::SendMessageA(box, WM_UPDATEUISTATE, MAKEWPARAM(UIS_CLEAR, UISF_HIDEFOCUS), 0);
  EXPECT_FALSE(::GetWindowLongA(box, GWL_STYLE) & WS_VISIBLE) << "after WM_UPDATEUISTATE";
  EXPECT_EQ(::SendMessageA(box, BM_GETCHECK, 0, 0), BST_CHECKED) << "the state still changes";

  // Shown again, it paints the state it was given while hidden.
  ::EnableWindow(box, TRUE);
  ::ShowWindow(box, SW_SHOW);
  ::UpdateWindow(box);
  EXPECT_EQ(Lamp().rgb, Picture(IDB_LAMP_BAR_ON).rgb);
}

int Width(const RECT& r) { return r.right - r.left; }

TEST(LampBoxWidthTest, TemplateBoxesShowTheirWholeTextAndOverlapOnlyTheirGroupBoxes) {
  LampDialog dialog;
  ASSERT_TRUE(dialog.Create());
  const HWND boxes[] = {dialog.enableBox.GetSafeHwnd(), dialog.autorunBox.GetSafeHwnd()};
  for (int i = 0; i < 2; ++i) {
    const RECT box = test::RectInParent(boxes[i]);
    EXPECT_EQ(Width(box), std::max(test::LampBoxWidthNeeded(boxes[i]), Width(dialog.laidOut[i])));
    EXPECT_EQ(box.left, dialog.laidOut[i].left);
    EXPECT_EQ(box.top, dialog.laidOut[i].top);
    EXPECT_EQ(box.bottom, dialog.laidOut[i].bottom);
    // Any control the box now reaches into must be the group box that frames it anyway.
    for (HWND other = ::GetWindow(dialog.GetSafeHwnd(), GW_CHILD); other != nullptr;
         other = ::GetWindow(other, GW_HWNDNEXT)) {
      if (other == boxes[i]) continue;
      const RECT rect = test::RectInParent(other);
      RECT common{};
      if (!::IntersectRect(&common, &box, &rect)) continue;
      EXPECT_TRUE(::EqualRect(&common, &box)) << "box " << i << " overlaps control "
                                              << ::GetDlgCtrlID(other);
    }
  }
}

TEST(LampBoxWidthTest, LongTextStopsAtTheDialogEdgeShortTextKeepsTheTemplateWidth) {
  LampDialog longer("Act on every recognised press of the remote control unit");
  ASSERT_TRUE(longer.Create());
  const HWND box = longer.enableBox.GetSafeHwnd();
  ASSERT_GT(test::LampBoxWidthNeeded(box), Width(longer.GetClientRect()));
  EXPECT_EQ(test::RectInParent(box).left, longer.laidOut[0].left);
  EXPECT_EQ(test::RectInParent(box).right, longer.GetClientRect().right);

  LampDialog shorter("On");
  ASSERT_TRUE(shorter.Create());
  ASSERT_LT(test::LampBoxWidthNeeded(shorter.enableBox.GetSafeHwnd()), Width(shorter.laidOut[0]));
  const RECT kept = test::RectInParent(shorter.enableBox.GetSafeHwnd());
  EXPECT_TRUE(::EqualRect(&kept, &shorter.laidOut[0]));
}

}  // namespace
}  // namespace ovalink
