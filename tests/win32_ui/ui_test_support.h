#pragma once
// Helpers for driving real windows under Wine: pixel capture, PNG artefacts, message pumping
// and a driver that acts inside a modal dialog's own message loop.

#include <windows.h>

#include <cstdint>
#include <functional>
#include <string>
#include <vector>

#include "platform/memory/memory_registry_store.h"

namespace ovalink::test {

// 32-bit pixels as 0x00RRGGBB, rows top to bottom.
struct Pixels {
  int width = 0;
  int height = 0;
  std::vector<std::uint32_t> rgb;

  std::uint32_t at(int x, int y) const { return rgb[std::size_t(y) * width + x]; }
};

constexpr std::uint32_t Rgb(COLORREF c) {
  return (std::uint32_t(GetRValue(c)) << 16) | (std::uint32_t(GetGValue(c)) << 8) | GetBValue(c);
}

// What a device context shows in `rect` (window DCs read the window's own surface, the
// screen DC what is on the display).
Pixels Capture(HDC source, const RECT& rect);
Pixels CaptureClient(HWND window);
Pixels CaptureScreen(RECT rect);
// A bitmap resource of the program, as drawn on a true-colour display.
Pixels ResourceBitmap(UINT id);

// Writes `pixels` as build/<dir>/artifacts/<name>.png and returns the path.
std::string SaveArtifact(const std::string& name, const Pixels& pixels);
// The screen around a window (with a margin), once what it drew has reached the display.
std::string SaveWindowShot(const std::string& name, HWND window, int margin = 10);

// A lamp box's rectangle in its dialog's client coordinates, and the width its text needs:
// the 16-pixel lamp, the 5-pixel gap, the text measured with the box's own font and the
// focus frame's right edge one pixel beyond it.
RECT RectInParent(HWND control);
int LampBoxWidthNeeded(HWND box);

// Dispatches this thread's messages for about `ms` milliseconds.
void Pump(int ms);

// Runs `steps` one per timer tick inside a modal dialog's loop, starting once the dialog
// is visible; ends the dialog with kTimedOut if it has not closed after `timeoutMs`.
class ModalDriver {
 public:
  using Step = std::function<void(HWND dialog)>;
  static constexpr INT_PTR kTimedOut = -99;

  explicit ModalDriver(std::vector<Step> steps, UINT timeoutMs = 10000);
  ~ModalDriver();
  ModalDriver(const ModalDriver&) = delete;
  ModalDriver& operator=(const ModalDriver&) = delete;

  bool Created() const { return dialog_ != nullptr; }  // got its WM_INITDIALOG
  bool Shown() const { return shown_; }
  bool TimedOut() const { return timedOut_; }
  bool Finished() const { return next_ == steps_.size(); }

 private:
  static LRESULT CALLBACK Hook(int code, WPARAM wParam, LPARAM lParam);
  static void CALLBACK Tick(HWND, UINT, UINT_PTR, DWORD);
  void OnTick();

  std::vector<Step> steps_;
  std::size_t next_ = 0;
  UINT ticksLeft_;
  HWND dialog_ = nullptr;
  bool shown_ = false;
  bool timedOut_ = false;
  bool busy_ = false;
  HHOOK hook_ = nullptr;
  UINT_PTR timer_ = 0;
};

// Answers every owned dialog this thread opens while it lives (message boxes and the
// dialogs a window opens; not a main window of its own), and with `ownerlessToo` every
// other dialog as well: once a dialog is visible, `answer` runs once with it, inside the
// dialog's own loop. Keeps the caption, text (a message box's, or an ask dialog's), icon
// and owner of each dialog it answered.
class DialogResponder {
 public:
  struct Seen {
    std::string caption;
    std::string text;
    // A message box's icon: "information", "exclamation", "error", "question", "" for none.
    std::string icon;
    bool owned = false;
  };
  using Answer = std::function<void(HWND dialog, const Seen& seen)>;

  explicit DialogResponder(Answer answer, bool ownerlessToo = false);
  ~DialogResponder();
  DialogResponder(const DialogResponder&) = delete;
  DialogResponder& operator=(const DialogResponder&) = delete;

  const std::vector<Seen>& seen() const { return seen_; }

 private:
  static LRESULT CALLBACK Hook(int code, WPARAM wParam, LPARAM lParam);
  static void CALLBACK Tick(HWND, UINT, UINT_PTR, DWORD);
  void OnTick();

  Answer answer_;
  bool ownerlessToo_;
  std::vector<HWND> waiting_;
  std::vector<Seen> seen_;
  bool busy_ = false;
  HHOOK hook_ = nullptr;
  UINT_PTR timer_ = 0;
};

// Dispatches this thread's messages until `done` holds or `timeoutMs` has passed; whether
// it held.
bool PumpUntil(const std::function<bool()>& done, int timeoutMs = 10000);

// Steps for a driver.
void Click(HWND dialog, int id);  // posts BM_CLICK: the control's own click
void Settle(HWND dialog);         // paints now and lets the display catch up

// A fresh in-memory registry for each test, installed as the process-wide one.
class ScopedRegistry {
 public:
  ScopedRegistry() { InstallRegistry(&store_); }
  ~ScopedRegistry() { InstallRegistry(nullptr); }
  MemoryRegistryStore& store() { return store_; }

 private:
  MemoryRegistryStore store_;
};

}  // namespace ovalink::test
