#include "ui_test_support.h"

#include <array>
#include <cstdio>
#include <utility>

#include "ui/framework/handles.h"

namespace ovalink::test {

namespace {

constexpr UINT kTickMs = 50;

// The artefact folder as Wine sees the build tree (drive Z: is the Unix root).
std::string ArtifactDir() {
  std::string dir = std::string("Z:") + OVALINK_BINARY_DIR + "/artifacts";
  for (char& c : dir) {
    if (c == '/') c = '\\';
  }
  ::CreateDirectoryA(dir.c_str(), nullptr);
  return dir;
}

std::uint32_t Crc32(const std::uint8_t* data, std::size_t size, std::uint32_t crc = 0) {
  static const auto table = [] {
    std::array<std::uint32_t, 256> t{};
    for (std::uint32_t n = 0; n < 256; ++n) {
      std::uint32_t c = n;
      for (int k = 0; k < 8; ++k) c = (c & 1) ? 0xEDB88320u ^ (c >> 1) : c >> 1;
      t[n] = c;
    }
    return t;
  }();
  crc = ~crc;
  for (std::size_t i = 0; i < size; ++i) crc = table[(crc ^ data[i]) & 0xFF] ^ (crc >> 8);
  return ~crc;
}

void PutBig32(std::vector<std::uint8_t>& out, std::uint32_t v) {
  for (int shift = 24; shift >= 0; shift -= 8) out.push_back(std::uint8_t(v >> shift));
}

void Chunk(std::vector<std::uint8_t>& png, const char* type, const std::vector<std::uint8_t>& data) {
  PutBig32(png, std::uint32_t(data.size()));
  std::vector<std::uint8_t> body(type, type + 4);
  body.insert(body.end(), data.begin(), data.end());
  png.insert(png.end(), body.begin(), body.end());
  PutBig32(png, Crc32(body.data(), body.size()));
}

// A PNG with uncompressed deflate blocks: no zlib needed, and screenshots stay small enough.
std::vector<std::uint8_t> EncodePng(const Pixels& pixels) {
  std::vector<std::uint8_t> raw;
  raw.reserve(std::size_t(pixels.height) * (pixels.width * 3 + 1));
  for (int y = 0; y < pixels.height; ++y) {
    raw.push_back(0);
    for (int x = 0; x < pixels.width; ++x) {
      const std::uint32_t p = pixels.at(x, y);
      raw.push_back(std::uint8_t(p >> 16));
      raw.push_back(std::uint8_t(p >> 8));
      raw.push_back(std::uint8_t(p));
    }
  }
  std::vector<std::uint8_t> zlib = {0x78, 0x01};
  for (std::size_t pos = 0; pos < raw.size() || pos == 0;) {
    const std::size_t n = std::min<std::size_t>(65535, raw.size() - pos);
    const bool last = pos + n == raw.size();
    zlib.push_back(last ? 1 : 0);
    zlib.push_back(std::uint8_t(n));
    zlib.push_back(std::uint8_t(n >> 8));
    zlib.push_back(std::uint8_t(~n));
    zlib.push_back(std::uint8_t(~n >> 8));
    zlib.insert(zlib.end(), raw.begin() + std::ptrdiff_t(pos), raw.begin() + std::ptrdiff_t(pos + n));
    pos += n;
    if (last) break;
  }
  std::uint32_t a = 1, b = 0;
  for (std::uint8_t byte : raw) {
    a = (a + byte) % 65521;
    b = (b + a) % 65521;
  }
  PutBig32(zlib, (b << 16) | a);

  std::vector<std::uint8_t> png = {0x89, 'P', 'N', 'G', '\r', '\n', 0x1A, '\n'};
  std::vector<std::uint8_t> header;
  PutBig32(header, std::uint32_t(pixels.width));
  PutBig32(header, std::uint32_t(pixels.height));
  header.insert(header.end(), {8, 2, 0, 0, 0});
  Chunk(png, "IHDR", header);
  Chunk(png, "IDAT", zlib);
  Chunk(png, "IEND", {});
  return png;
}

ModalDriver* g_driver = nullptr;  // the one driver of this thread's current modal loop

}  // namespace

Pixels Capture(HDC source, const RECT& rect) {
  Pixels out;
  out.width = rect.right - rect.left;
  out.height = rect.bottom - rect.top;
  if (out.width <= 0 || out.height <= 0) return out;
  BITMAPINFO info{};
  info.bmiHeader.biSize = sizeof info.bmiHeader;
  info.bmiHeader.biWidth = out.width;
  info.bmiHeader.biHeight = -out.height;
  info.bmiHeader.biPlanes = 1;
  info.bmiHeader.biBitCount = 32;
  info.bmiHeader.biCompression = BI_RGB;
  void* bits = nullptr;
  Bitmap dib(::CreateDIBSection(source, &info, DIB_RGB_COLORS, &bits, nullptr, 0));
  MemoryDC memory(::CreateCompatibleDC(source));
  {
    SelectScope selected(memory.get(), dib.get());
    ::BitBlt(memory.get(), 0, 0, out.width, out.height, source, rect.left, rect.top, SRCCOPY);
  }
  ::GdiFlush();
  const auto* p = static_cast<const std::uint32_t*>(bits);
  out.rgb.assign(p, p + std::size_t(out.width) * out.height);
  for (auto& v : out.rgb) v &= 0xFFFFFF;
  return out;
}

Pixels CaptureClient(HWND window) {
  RECT client{};
  ::GetClientRect(window, &client);
  WindowDC dc(window);
  return Capture(dc.get(), client);
}

Pixels CaptureScreen(RECT rect) {
  WindowDC dc(nullptr);
  return Capture(dc.get(), rect);
}

Pixels ResourceBitmap(UINT id) {
  Bitmap bitmap(::LoadBitmapA(::GetModuleHandleA(nullptr), MAKEINTRESOURCEA(id)));
  BITMAP info{};
  ::GetObjectA(bitmap.get(), sizeof info, &info);
  WindowDC screen(nullptr);
  MemoryDC memory(::CreateCompatibleDC(screen.get()));
  SelectScope selected(memory.get(), bitmap.get());
  return Capture(memory.get(), RECT{0, 0, info.bmWidth, info.bmHeight});
}

std::string SaveArtifact(const std::string& name, const Pixels& pixels) {
  const std::string path = ArtifactDir() + "\\" + name + ".png";
  const std::vector<std::uint8_t> png = EncodePng(pixels);
  if (FILE* f = std::fopen(path.c_str(), "wb")) {
    std::fwrite(png.data(), 1, png.size(), f);
    std::fclose(f);
  }
  return path;
}

std::string SaveWindowShot(const std::string& name, HWND window, int margin) {
  Settle(window);
  RECT rect{};
  ::GetWindowRect(window, &rect);
  rect.left = std::max(0L, rect.left - margin);
  rect.top = std::max(0L, rect.top - margin);
  // Wine copies nothing at all from a screen rectangle that reaches past the screen's edge.
  rect.right = std::min(rect.right + margin, LONG(::GetSystemMetrics(SM_CXSCREEN)));
  rect.bottom = std::min(rect.bottom + margin, LONG(::GetSystemMetrics(SM_CYSCREEN)));
  return SaveArtifact(name, CaptureScreen(rect));
}

RECT RectInParent(HWND control) {
  RECT rect{};
  ::GetWindowRect(control, &rect);
  ::MapWindowPoints(nullptr, ::GetParent(control), reinterpret_cast<POINT*>(&rect), 2);
  return rect;
}

int LampBoxWidthNeeded(HWND box) {
  WindowDC dc(box);
  SelectScope font(dc.get(), reinterpret_cast<HFONT>(::SendMessageA(box, WM_GETFONT, 0, 0)));
  char text[256] = {};
  const int length = ::GetWindowTextA(box, text, int(sizeof text));
  SIZE extent{};
  ::GetTextExtentPoint32A(dc.get(), text, length, &extent);
  return 16 + 5 + extent.cx + 1;
}

void Pump(int ms) {
  const DWORD start = ::GetTickCount();
  do {
    MSG message;
    while (::PeekMessageA(&message, nullptr, 0, 0, PM_REMOVE)) {
      ::TranslateMessage(&message);
      ::DispatchMessageA(&message);
    }
    ::Sleep(5);
  } while (::GetTickCount() - start < DWORD(ms));
}

bool PumpUntil(const std::function<bool()>& done, int timeoutMs) {
  const DWORD start = ::GetTickCount();
  for (;;) {
    MSG message;
    while (::PeekMessageA(&message, nullptr, 0, 0, PM_REMOVE)) {
      ::TranslateMessage(&message);
      ::DispatchMessageA(&message);
    }
    if (done()) return true;
    if (::GetTickCount() - start > DWORD(timeoutMs)) return false;
    ::MsgWaitForMultipleObjects(0, nullptr, FALSE, 10, QS_ALLINPUT);
  }
}

void Click(HWND dialog, int id) { ::PostMessageA(::GetDlgItem(dialog, id), BM_CLICK, 0, 0); }

void Settle(HWND dialog) {
  ::RedrawWindow(dialog, nullptr, nullptr, RDW_INVALIDATE | RDW_ERASE | RDW_ALLCHILDREN | RDW_UPDATENOW);
  // Wine copies window surfaces to the display a little later.
  Pump(300);
}

ModalDriver::ModalDriver(std::vector<Step> steps, UINT timeoutMs)
    : steps_(std::move(steps)), ticksLeft_(timeoutMs / kTickMs) {
  g_driver = this;
  hook_ = ::SetWindowsHookExA(WH_CALLWNDPROCRET, &ModalDriver::Hook, nullptr, ::GetCurrentThreadId());
  timer_ = ::SetTimer(nullptr, 0, kTickMs, &ModalDriver::Tick);
}

ModalDriver::~ModalDriver() {
  ::KillTimer(nullptr, timer_);
  ::UnhookWindowsHookEx(hook_);
  g_driver = nullptr;
}

LRESULT CALLBACK ModalDriver::Hook(int code, WPARAM wParam, LPARAM lParam) {
  const auto* call = reinterpret_cast<const CWPRETSTRUCT*>(lParam);
  if (code == HC_ACTION && g_driver != nullptr && call != nullptr) {
    if (call->message == WM_INITDIALOG && g_driver->dialog_ == nullptr) {
      g_driver->dialog_ = call->hwnd;
    }
    if (call->hwnd == g_driver->dialog_ && call->message == WM_SHOWWINDOW && call->wParam) {
      g_driver->shown_ = true;
    }
  }
  return ::CallNextHookEx(nullptr, code, wParam, lParam);
}

void CALLBACK ModalDriver::Tick(HWND, UINT, UINT_PTR, DWORD) {
  if (g_driver != nullptr) g_driver->OnTick();
}

void ModalDriver::OnTick() {
  if (busy_ || dialog_ == nullptr || !::IsWindow(dialog_)) return;
  busy_ = true;
  if (ticksLeft_-- == 0) {
    timedOut_ = true;
    ::EndDialog(dialog_, kTimedOut);
  } else if (::IsWindowVisible(dialog_) && next_ < steps_.size()) {
    steps_[next_++](dialog_);
  }
  busy_ = false;
}

namespace {
DialogResponder* g_responder = nullptr;
// A message box's text, or an ask dialog's.
constexpr int kMessageBoxTextId = 0xFFFF;
constexpr int kAskTextId = 5020;

// The system icon a message box shows, by the shared icon handle it was given.
std::string MessageBoxIcon(HWND dialog) {
  struct Known {
    LPCSTR id;
    const char* name;
  };
  const Known known[] = {{IDI_INFORMATION, "information"},
                         {IDI_EXCLAMATION, "exclamation"},
                         {IDI_HAND, "error"},
                         {IDI_QUESTION, "question"}};
  for (HWND child = ::GetWindow(dialog, GW_CHILD); child != nullptr;
       child = ::GetWindow(child, GW_HWNDNEXT)) {
    if ((::GetWindowLongA(child, GWL_STYLE) & SS_TYPEMASK) != SS_ICON) continue;
    const auto icon = reinterpret_cast<HICON>(::SendMessageA(child, STM_GETICON, 0, 0));
    if (icon == nullptr || !::IsWindowVisible(child)) continue;
    for (const Known& k : known) {
      if (icon == ::LoadIconA(nullptr, k.id)) return k.name;
    }
    return "other";
  }
  return "";
}
}  // namespace

DialogResponder::DialogResponder(Answer answer, bool ownerlessToo)
    : answer_(std::move(answer)), ownerlessToo_(ownerlessToo) {
  g_responder = this;
  hook_ = ::SetWindowsHookExA(WH_CALLWNDPROCRET, &DialogResponder::Hook, nullptr,
                              ::GetCurrentThreadId());
  timer_ = ::SetTimer(nullptr, 0, kTickMs, &DialogResponder::Tick);
}

DialogResponder::~DialogResponder() {
  ::KillTimer(nullptr, timer_);
  ::UnhookWindowsHookEx(hook_);
  g_responder = nullptr;
}

LRESULT CALLBACK DialogResponder::Hook(int code, WPARAM wParam, LPARAM lParam) {
  const auto* call = reinterpret_cast<const CWPRETSTRUCT*>(lParam);
  if (code == HC_ACTION && g_responder != nullptr && call != nullptr &&
      call->message == WM_INITDIALOG &&
      (g_responder->ownerlessToo_ || ::GetWindow(call->hwnd, GW_OWNER) != nullptr)) {
    g_responder->waiting_.push_back(call->hwnd);
  }
  return ::CallNextHookEx(nullptr, code, wParam, lParam);
}

void CALLBACK DialogResponder::Tick(HWND, UINT, UINT_PTR, DWORD) {
  if (g_responder != nullptr) g_responder->OnTick();
}

void DialogResponder::OnTick() {
  if (busy_) return;
  busy_ = true;
  for (std::size_t i = 0; i < waiting_.size(); ++i) {
    const HWND dialog = waiting_[i];
    if (!::IsWindow(dialog)) {
      waiting_.erase(waiting_.begin() + std::ptrdiff_t(i--));
      continue;
    }
    if (!::IsWindowVisible(dialog)) continue;
    waiting_.erase(waiting_.begin() + std::ptrdiff_t(i));
    Seen seen;
    char buffer[1024] = {};
    ::GetWindowTextA(dialog, buffer, sizeof buffer);
    seen.caption = buffer;
    buffer[0] = '\0';
    if (!::GetDlgItemTextA(dialog, kMessageBoxTextId, buffer, sizeof buffer)) {
      ::GetDlgItemTextA(dialog, kAskTextId, buffer, sizeof buffer);
    }
    seen.text = buffer;
    seen.icon = MessageBoxIcon(dialog);
    seen.owned = ::GetWindow(dialog, GW_OWNER) != nullptr;
    seen_.push_back(seen);
    answer_(dialog, seen_.back());
    break;  // one dialog per tick: the answer may have opened or closed others
  }
  busy_ = false;
}

}  // namespace ovalink::test
