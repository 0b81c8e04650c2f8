// Stands in for Quor.exe when testing the setup program: it records every command line it is
// started with in C:\stand_in_invocations.log (outside the folder that the uninstaller must
// leave empty) and, on a normal start, looks like a running
// copy from outside: it holds the instance mutex and shows a dialog titled "Ovalink" until
// that window gets the Exit command (5011).
// STAND_IN_WITHOUT_MUTEX=1 or STAND_IN_WITHOUT_WINDOW=1 leave one of the two signs out; the
// window is then titled "Ovalink stand-in", so that the test can still end it.
// STAND_IN_DRIVER_FAILS=1 makes the I and D runs fail (exit status 1), as the program's do
// when the driver service does not run, or is not gone.
#include <cstdio>
#include <cstdlib>
#include <string>

#include "command_line.h"

namespace {

constexpr char kInstanceMutex[] = "Local\\5C1D7A92-3E4B-4f06-9A8D-2B7E61C0F3A4";
constexpr WPARAM kExitCommand = 5011;
constexpr char kLog[] = "C:\\stand_in_invocations.log";

bool Set(const char* variable) {
  const char* value = std::getenv(variable);
  return value != nullptr && std::string(value) == "1";
}

WNDPROC g_dialogProc = nullptr;

LRESULT CALLBACK StandInProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
  if (message == WM_COMMAND && LOWORD(wParam) == kExitCommand) {
    DestroyWindow(window);
    return 0;
  }
  if (message == WM_DESTROY) PostQuitMessage(0);
  return CallWindowProcA(g_dialogProc, window, message, wParam, lParam);
}

}  // namespace

int main() {
  const std::string arguments = wine_test::ArgumentsAfterProgramName();
  if (FILE* log = std::fopen(kLog, "a")) {
    std::fprintf(log, "[%s]\n", arguments.c_str());
    std::fclose(log);
  }
  const char first = arguments.empty() ? '\0' : arguments[0];
  if (first == 'I' || first == 'i' || first == 'D' || first == 'd') {
    return Set("STAND_IN_DRIVER_FAILS") ? 1 : 0;
  }

  HANDLE mutex =
      Set("STAND_IN_WITHOUT_MUTEX") ? nullptr : CreateMutexA(nullptr, FALSE, kInstanceMutex);
  const char* title = Set("STAND_IN_WITHOUT_WINDOW") ? "Ovalink stand-in" : "Ovalink";
  HWND window = CreateWindowExA(0, "#32770", title, WS_POPUP, 0, 0, 10, 10, nullptr, nullptr,
                                GetModuleHandleA(nullptr), nullptr);
  g_dialogProc = reinterpret_cast<WNDPROC>(
      SetWindowLongPtrA(window, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(StandInProc)));
  MSG message;
  while (GetMessageA(&message, nullptr, 0, 0) > 0) DispatchMessageA(&message);
  if (mutex) CloseHandle(mutex);
  return 0;
}
