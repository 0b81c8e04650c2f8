// A stand-in media application for the end-to-end tests: one top-level window of the class
// given on the command line, which writes every command that reaches it to a log file:
//   e2e_stand_in.exe "eHome Render Window" C:\path\received.log
// Each line: performance counter, then "WM_APPCOMMAND <command>", "WM_CHAR <code>",
// "WM_KEYDOWN <vk>" or "WM_KEYUP <vk>".

#include <windows.h>

#include <cstdio>
#include <string>

#include "platform/win32/unique_handle.h"

namespace {

// The log file travels with the window (its user data), set at creation.
void Record(HWND window, const char* what, unsigned value) {
  LARGE_INTEGER now;
  QueryPerformanceCounter(&now);
  char line[96];
  const int n = std::snprintf(line, sizeof line, "%lld %s %u\n", static_cast<long long>(now.QuadPart),
                              what, value);
  DWORD written = 0;
  WriteFile(reinterpret_cast<HANDLE>(GetWindowLongPtrA(window, GWLP_USERDATA)), line, DWORD(n),
            &written, nullptr);
}

LRESULT CALLBACK WindowProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
  switch (message) {
    case WM_NCCREATE:
      SetWindowLongPtrA(window, GWLP_USERDATA,
                        reinterpret_cast<LONG_PTR>(reinterpret_cast<CREATESTRUCTA*>(lParam)->lpCreateParams));
      return DefWindowProcA(window, message, wParam, lParam);
    case WM_APPCOMMAND:
      Record(window, "WM_APPCOMMAND", GET_APPCOMMAND_LPARAM(lParam));
      return TRUE;
    case WM_CHAR:
      Record(window, "WM_CHAR", unsigned(wParam));
      return 0;
    case WM_KEYDOWN:
      Record(window, "WM_KEYDOWN", unsigned(wParam));
      return 0;
    case WM_KEYUP:
      Record(window, "WM_KEYUP", unsigned(wParam));
      return 0;
    case WM_DESTROY:
      PostQuitMessage(0);
      return 0;
    default:
      return DefWindowProcA(window, message, wParam, lParam);
  }
}

}  // namespace

int main(int argc, char** argv) {
  if (argc != 3) {
    std::fprintf(stderr, "usage: e2e_stand_in CLASS LOGFILE\n");
    return 2;
  }
  ovalink::KernelHandle log(CreateFileA(argv[2], FILE_APPEND_DATA, FILE_SHARE_READ | FILE_SHARE_WRITE,
                                        nullptr, CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr));
  if (!log) return 2;
  WNDCLASSA windowClass{};
  windowClass.lpfnWndProc = WindowProc;
  windowClass.hInstance = GetModuleHandleA(nullptr);
  windowClass.lpszClassName = argv[1];
  windowClass.hbrBackground = HBRUSH(COLOR_WINDOW + 1);
  if (!RegisterClassA(&windowClass)) return 2;
  const std::string title = std::string("Stand-in ") + argv[1];
  HWND window = CreateWindowA(argv[1], title.c_str(), WS_OVERLAPPEDWINDOW | WS_VISIBLE, 40, 40,
                              360, 200, nullptr, nullptr, windowClass.hInstance, log.get());
  if (!window) return 2;
  MSG msg;
  while (GetMessageA(&msg, nullptr, 0, 0) > 0) {
    TranslateMessage(&msg);
    DispatchMessageA(&msg);
  }
  return 0;
}
