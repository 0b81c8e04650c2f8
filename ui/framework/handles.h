#pragma once
// Owners for the GDI objects, icons, image lists, device contexts and menus that the windows
// use, and scoped selections and device contexts.

#include <windows.h>
#include <commctrl.h>

#include "platform/win32/unique_handle.h"

namespace ovalink {

namespace handle_traits {
template <typename H>
struct GdiObject : Plain<H> {
  static void Close(H handle) { DeleteObject(handle); }
};
struct Icon : Plain<HICON> {
  static void Close(HICON handle) { DestroyIcon(handle); }
};
struct ImageList : Plain<HIMAGELIST> {
  static void Close(HIMAGELIST handle) { ImageList_Destroy(handle); }
};
struct MemoryDC : Plain<HDC> {
  static void Close(HDC handle) { DeleteDC(handle); }
};
struct Menu : Plain<HMENU> {
  static void Close(HMENU handle) { DestroyMenu(handle); }
};
}  // namespace handle_traits

using Bitmap = UniqueHandle<handle_traits::GdiObject<HBITMAP>>;
using Brush = UniqueHandle<handle_traits::GdiObject<HBRUSH>>;
using Font = UniqueHandle<handle_traits::GdiObject<HFONT>>;
using Icon = UniqueHandle<handle_traits::Icon>;
using ImageList = UniqueHandle<handle_traits::ImageList>;
using MemoryDC = UniqueHandle<handle_traits::MemoryDC>;
using MenuHandle = UniqueHandle<handle_traits::Menu>;

// Selects an object into a device context for the lifetime of the scope.
class SelectScope {
 public:
  SelectScope(HDC dc, HGDIOBJ object) : dc_(dc), previous_(object ? SelectObject(dc, object) : nullptr) {}
  ~SelectScope() {
    if (previous_) SelectObject(dc_, previous_);
  }
  SelectScope(const SelectScope&) = delete;
  SelectScope& operator=(const SelectScope&) = delete;

 private:
  HDC dc_;
  HGDIOBJ previous_;
};

// GetDC / ReleaseDC of a window (null: the screen).
class WindowDC {
 public:
  explicit WindowDC(HWND window) : window_(window), dc_(GetDC(window)) {}
  ~WindowDC() {
    if (dc_) ReleaseDC(window_, dc_);
  }
  WindowDC(const WindowDC&) = delete;
  WindowDC& operator=(const WindowDC&) = delete;
  HDC get() const { return dc_; }

 private:
  HWND window_;
  HDC dc_;
};

// BeginPaint / EndPaint for a WM_PAINT handler.
class PaintDC {
 public:
  explicit PaintDC(HWND window) : window_(window) { dc_ = BeginPaint(window, &paint_); }
  ~PaintDC() { EndPaint(window_, &paint_); }
  PaintDC(const PaintDC&) = delete;
  PaintDC& operator=(const PaintDC&) = delete;
  HDC get() const { return dc_; }

 private:
  HWND window_;
  PAINTSTRUCT paint_{};
  HDC dc_;
};

}  // namespace ovalink
