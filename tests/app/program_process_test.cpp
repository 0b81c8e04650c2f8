// The program started as its own process under Wine: command-line switches, the driver
// service, the single instance and the driver-missing exit.

#include <windows.h>

#include <gtest/gtest.h>

#include <functional>
#include <optional>
#include <string>
#include <thread>

#include "platform/win32/unique_handle.h"

namespace ovalink {
namespace {

constexpr DWORD kDeadlineMs = 30000;
constexpr const char* kSettingsKey = "SOFTWARE\\Quor\\1.5";
constexpr UINT kIdExit = 5011;

// A build-tree path as Wine sees it (drive Z: is the Unix root).
std::string WinePath(std::string path) {
  for (char& c : path) {
    if (c == '/') c = '\\';
  }
  return "Z:" + path;
}

std::string FolderOf(const std::string& path) { return path.substr(0, path.rfind('\\') + 1); }

class Process {
 public:
  Process(const std::string& exe, const std::string& arguments) {
    std::string commandLine = "\"" + exe + "\"" + (arguments.empty() ? "" : " " + arguments);
    STARTUPINFOA startup{};
    startup.cb = sizeof startup;
    PROCESS_INFORMATION info{};
    if (::CreateProcessA(nullptr, &commandLine[0], nullptr, nullptr, FALSE, 0, nullptr, nullptr,
                         &startup, &info)) {
      process_.reset(info.hProcess);
      KernelHandle thread(info.hThread);
      id_ = info.dwProcessId;
    }
  }
  ~Process() {
    if (process_ && ::WaitForSingleObject(process_.get(), 0) == WAIT_TIMEOUT) {
      ::TerminateProcess(process_.get(), 99);
      ::WaitForSingleObject(process_.get(), kDeadlineMs);
    }
  }

  bool Started() const { return bool(process_); }
  DWORD Id() const { return id_; }
  // The exit status, or nothing when the process is still running at the deadline.
  std::optional<DWORD> WaitForExit(DWORD timeoutMs = kDeadlineMs) {
    if (::WaitForSingleObject(process_.get(), timeoutMs) != WAIT_OBJECT_0) return std::nullopt;
    DWORD code = 0;
    ::GetExitCodeProcess(process_.get(), &code);
    return code;
  }

 private:
  KernelHandle process_;
  DWORD id_ = 0;
};

struct WindowSearch {
  DWORD process;
  const char* className;  // null: any
  const char* title;
  HWND found;
};

BOOL CALLBACK MatchWindow(HWND window, LPARAM data) {
  auto* search = reinterpret_cast<WindowSearch*>(data);
  DWORD owner = 0;
  ::GetWindowThreadProcessId(window, &owner);
  // Asking a window of this process for its title waits for its thread, which a decoy's
  // never answers: windows of other processes are passed over first.
  if (search->process != 0 && owner != search->process) return TRUE;
  char title[256] = {}, className[256] = {};
  ::GetWindowTextA(window, title, sizeof title);
  ::GetClassNameA(window, className, sizeof className);
  if ((search->process == 0 || owner == search->process) &&
      (search->className == nullptr || std::string(className) == search->className) &&
      std::string(title) == search->title) {
    search->found = window;
    return FALSE;
  }
  return TRUE;
}

// A top-level window of `process` (0: any) with that class and title, waited for.
HWND WaitForWindow(DWORD process, const char* className, const char* title,
                   const std::function<bool(HWND)>& also = nullptr) {
  const DWORD start = ::GetTickCount();
  do {
    WindowSearch search{process, className, title, nullptr};
    ::EnumWindows(&MatchWindow, reinterpret_cast<LPARAM>(&search));
    if (search.found != nullptr && (!also || also(search.found))) return search.found;
    ::Sleep(20);
  } while (::GetTickCount() - start < kDeadlineMs);
  return nullptr;
}

std::string DialogText(HWND dialog, int id) {
  char text[512] = {};
  ::GetDlgItemTextA(dialog, id, text, sizeof text);
  return text;
}

void PutSetting(const char* name, DWORD value) {
  ::RegSetKeyValueA(HKEY_CURRENT_USER, kSettingsKey, name, REG_DWORD, &value, sizeof value);
}

class ServiceManager {
 public:
  ServiceManager() : manager_(::OpenSCManagerA(nullptr, nullptr, SC_MANAGER_ALL_ACCESS)) {}
  ServiceHandle Open() const {
    return ServiceHandle(manager_ ? ::OpenServiceA(manager_.get(), "Quor", SERVICE_ALL_ACCESS)
                                  : nullptr);
  }

 private:
  ServiceHandle manager_;
};

class ProgramProcessTest : public ::testing::Test {
 protected:
  const std::string quor = WinePath(QUOR_EXE);
  const std::string testProgram = WinePath(QUOR_TEST_PROGRAM_EXE);
};

TEST_F(ProgramProcessTest, WithoutTheDriverTheProgramSaysSoAndEndsWithStatusOne) {
  // "-i" is a normal run too, not an install.
  for (const char* arguments : {"", "-i", "/d"}) {
    Process program(quor, arguments);
    ASSERT_TRUE(program.Started());
    const HWND box = WaitForWindow(program.Id(), "#32770", "Ovalink");
    ASSERT_NE(box, nullptr) << "no message box for '" << arguments << "'";
    EXPECT_EQ(DialogText(box, 0xFFFF), "Device Driver is not found.\n Reinstall the program.");
    ::PostMessageA(box, WM_COMMAND, IDOK, 0);
    EXPECT_EQ(program.WaitForExit(), 1u) << arguments;
  }
  EXPECT_FALSE(ServiceManager().Open()) << "a normal run installed the service";
}

TEST_F(ProgramProcessTest, InstallCreatesTheKernelDriverServiceAndRemoveDeletesIt) {
  // Quor.sys is not beside the build's Quor.exe: the service is made but cannot start, and
  // the run says so by its status.
  Process install(quor, "Install");
  ASSERT_TRUE(install.Started());
  EXPECT_EQ(install.WaitForExit(), 1u);
  {
    const ServiceHandle service = ServiceManager().Open();
    ASSERT_TRUE(service) << "no service Quor after an install run";
    DWORD needed = 0;
    ::QueryServiceConfigA(service.get(), nullptr, 0, &needed);
    std::string buffer(needed, '\0');
    auto* config = reinterpret_cast<QUERY_SERVICE_CONFIGA*>(&buffer[0]);
    ASSERT_TRUE(::QueryServiceConfigA(service.get(), config, needed, &needed));
    EXPECT_EQ(config->dwServiceType, DWORD(SERVICE_KERNEL_DRIVER));
    EXPECT_EQ(config->dwStartType, DWORD(SERVICE_SYSTEM_START));
    EXPECT_EQ(config->dwErrorControl, DWORD(SERVICE_ERROR_NORMAL));
    const std::string path = config->lpBinaryPathName ? config->lpBinaryPathName : "";
    EXPECT_EQ(path, FolderOf(quor) + "Quor.sys");
    EXPECT_STREQ(config->lpDisplayName, "Quor");
    EXPECT_TRUE(config->lpLoadOrderGroup == nullptr || config->lpLoadOrderGroup[0] == '\0');
    EXPECT_EQ(config->dwTagId, 0u);
    EXPECT_TRUE(config->lpDependencies == nullptr || config->lpDependencies[0] == '\0');
  }
  // Installing again: creation fails, and the service still does not start.
  Process again(quor, "i");
  EXPECT_EQ(again.WaitForExit(), 1u);
  EXPECT_TRUE(ServiceManager().Open());

  // A file dropped on the program, its path unquoted, is a normal run: the driver stays.
  for (const char* file : {"D:\\Music\\song.mp3", "d.mp3", "I:\\x.mp3"}) {
    Process program(quor, file);
    const HWND box = WaitForWindow(program.Id(), "#32770", "Ovalink");
    ASSERT_NE(box, nullptr) << "no normal run for " << file;
    ::PostMessageA(box, WM_COMMAND, IDOK, 0);
    EXPECT_EQ(program.WaitForExit(), 1u) << file;
    EXPECT_TRUE(ServiceManager().Open()) << file << " removed the driver service";
  }

  Process remove(quor, "delete");
  ASSERT_TRUE(remove.Started());
  EXPECT_EQ(remove.WaitForExit(), 0u);
  EXPECT_FALSE(ServiceManager().Open()) << "the service is still there after a removal run";
  // Removing what is not there ends quietly too: the service is gone, as asked.
  Process removeAgain(quor, "D");
  EXPECT_EQ(removeAgain.WaitForExit(), 0u);
}

// A top-level window titled "Ovalink" that is not the program's: of any class, and hung
// (its thread never takes a message) until the object goes.
class DecoyWindow {
 public:
  explicit DecoyWindow(const char* className) {
    ready_.reset(::CreateEventA(nullptr, TRUE, FALSE, nullptr));
    release_.reset(::CreateEventA(nullptr, TRUE, FALSE, nullptr));
    thread_ = std::thread([this, className] {
      if (std::string(className) != "#32770") {
        WNDCLASSA windowClass{};
        windowClass.lpfnWndProc = &::DefWindowProcA;
        windowClass.hInstance = ::GetModuleHandleA(nullptr);
        windowClass.lpszClassName = className;
        ::RegisterClassA(&windowClass);
      }
      const HWND window = ::CreateWindowExA(0, className, "Ovalink", WS_POPUP, 0, 0, 10, 10,
                                            nullptr, nullptr, ::GetModuleHandleA(nullptr), nullptr);
      ::SetEvent(ready_.get());
      ::WaitForSingleObject(release_.get(), INFINITE);
      ::DestroyWindow(window);
    });
    ::WaitForSingleObject(ready_.get(), kDeadlineMs);
  }
  ~DecoyWindow() {
    ::SetEvent(release_.get());
    thread_.join();
  }

 private:
  KernelHandle ready_;
  KernelHandle release_;
  std::thread thread_;
};

TEST_F(ProgramProcessTest, ASecondStartBringsTheHiddenWindowUpAndEnds) {
  // A stored code keeps the first instance hidden at start-up.
  PutSetting("NoAskHowToInfo", 1);
  const BYTE junk[4] = {1, 2, 3, 4};
  ::RegSetKeyValueA(HKEY_CURRENT_USER, "SOFTWARE\\Quor\\1.5\\Codes1", "33", REG_BINARY, junk,
                    sizeof junk);
  Process first(testProgram, "");
  ASSERT_TRUE(first.Started());
  const HWND window = WaitForWindow(first.Id(), "#32770", "Ovalink");
  ASSERT_NE(window, nullptr);
  EXPECT_FALSE(::IsWindowVisible(window));

  {
    // Opened after the program's window, so above it: an Explorer window on a folder named
    // Ovalink, and a hung dialog of that title.
    const DecoyWindow explorer("CabinetWClass");
    const DecoyWindow hungDialog("#32770");
    Process second(testProgram, "-i");
    EXPECT_EQ(second.WaitForExit(), 0u) << "the second start waited on a window not its own";
    EXPECT_TRUE(WaitForWindow(first.Id(), "#32770", "Ovalink",
                              [](HWND w) { return ::IsWindowVisible(w) != FALSE; }))
        << "the running instance was not brought up";
  }

  // Exit ends the process by itself, and with it the window.
  ::PostMessageA(window, WM_COMMAND, kIdExit, 0);
  EXPECT_EQ(first.WaitForExit(), 0u);
  ::RegDeleteKeyValueA(HKEY_CURRENT_USER, "SOFTWARE\\Quor\\1.5\\Codes1", "33");
}

}  // namespace
}  // namespace ovalink
