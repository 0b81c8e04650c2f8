// Finds and drives windows and processes for the setup tests, waiting with a deadline:
//   wine_probe send TITLE COMMAND_ID    send WM_COMMAND to the top-level window titled TITLE
//   wine_probe read-and-close TITLE     print the texts of its controls, then press its OK
//   wine_probe window-gone TITLE        wait until no top-level window has that title
//   wine_probe process-gone PREFIX      wait until no process runs a file whose name begins so
// Waits up to 30 s; exit status 1 when the wait ran out, 2 for a wrong command line.
#include <windows.h>
#include <tlhelp32.h>

#include <cstdio>
#include <cstdlib>
#include <cstring>

namespace {

constexpr DWORD kDeadlineMs = 30000;
constexpr DWORD kPollMs = 50;

template <typename Condition>
bool WaitFor(Condition condition) {
  const DWORD start = GetTickCount();
  while (!condition()) {
    if (GetTickCount() - start > kDeadlineMs) return false;
    Sleep(kPollMs);
  }
  return true;
}

bool ProcessRuns(const char* namePrefix) {
  const std::size_t length = std::strlen(namePrefix);
  HANDLE snapshot = CreateToolhelp32Snapshot(TH32CS_SNAPPROCESS, 0);
  if (snapshot == INVALID_HANDLE_VALUE) return true;  // cannot tell: keep waiting
  PROCESSENTRY32 entry{};
  entry.dwSize = sizeof entry;
  bool found = false;
  for (BOOL more = Process32First(snapshot, &entry); more && !found;
       more = Process32Next(snapshot, &entry)) {
    found = _strnicmp(entry.szExeFile, namePrefix, length) == 0;
  }
  CloseHandle(snapshot);
  return found;
}

BOOL CALLBACK PrintText(HWND child, LPARAM) {
  char text[1024] = {};
  GetWindowTextA(child, text, sizeof text);
  if (text[0] != '\0') std::printf("%s\n", text);
  return TRUE;
}

}  // namespace

int main(int argc, char** argv) {
  if (argc < 3) {
    std::fprintf(stderr, "usage: wine_probe send|read-and-close|window-gone|process-gone ARG\n");
    return 2;
  }
  const char* command = argv[1];
  const char* name = argv[2];
  if (std::strcmp(command, "window-gone") == 0) {
    return WaitFor([&] { return FindWindowA(nullptr, name) == nullptr; }) ? 0 : 1;
  }
  if (std::strcmp(command, "process-gone") == 0) {
    return WaitFor([&] { return !ProcessRuns(name); }) ? 0 : 1;
  }
  HWND window = nullptr;
  if (!WaitFor([&] { return (window = FindWindowA(nullptr, name)) != nullptr; })) {
    std::fprintf(stderr, "wine_probe: no window titled \"%s\"\n", name);
    return 1;
  }
  if (std::strcmp(command, "send") == 0 && argc == 4) {
    SendMessageA(window, WM_COMMAND, WPARAM(std::atoi(argv[3])), 0);
    return 0;
  }
  if (std::strcmp(command, "read-and-close") == 0) {
    EnumChildWindows(window, PrintText, 0);
    std::fflush(stdout);
    PostMessageA(window, WM_COMMAND, IDOK, 0);
    return 0;
  }
  std::fprintf(stderr, "wine_probe: unknown command %s\n", command);
  return 2;
}
