// The program's own file name at any length, and the driver path the service is given.

#include <windows.h>

#include <gtest/gtest.h>

#include <cstring>
#include <string>

#include "platform/win32/win32_driver_service.h"
#include "platform/win32/win32_module_path.h"

namespace ovalink {
namespace {

// GetModuleFileNameA as XP answers for `name`: a name that does not fit fills the whole
// buffer, without a terminating NUL, and its length is the buffer's.
ModuleFileNameQuery AsXpAnswers(const std::string& name, int* calls) {
  return [name, calls](char* buffer, DWORD capacity) -> DWORD {
    ++*calls;
    if (name.size() >= capacity) {
      std::memcpy(buffer, name.data(), capacity);
      return capacity;
    }
    std::memcpy(buffer, name.c_str(), name.size() + 1);
    return DWORD(name.size());
  };
}

std::string NameOfLength(std::size_t length) {
  std::string name = "C:\\";
  while (name.size() < length - 9) name += 'f';
  name += "\\Quor.exe";
  return name.substr(0, length);
}

TEST(Win32ProgramPathsTest, TheProgramsNameIsWholeAtEveryLength) {
  for (std::size_t length : {std::size_t(20), std::size_t(259), std::size_t(260),
                             std::size_t(261), std::size_t(600), std::size_t(32767)}) {
    const std::string name = NameOfLength(length);
    int calls = 0;
    EXPECT_EQ(WholeModuleFileName(AsXpAnswers(name, &calls)), name) << length;
    EXPECT_EQ(calls > 1, length >= 260) << length << ": asked " << calls << " times";
  }
  EXPECT_EQ(WholeModuleFileName([](char*, DWORD) -> DWORD { return 0; }), "");
  EXPECT_EQ(ProgramFileName().substr(ProgramFileName().size() - 23), "ovalink_win32_tests.exe");
}

TEST(Win32ProgramPathsTest, ADriverPathIsRegisteredWholeOrNotAtAll) {
  EXPECT_EQ(DriverPathIfItFits(NameOfLength(259)), NameOfLength(259));
  EXPECT_EQ(DriverPathIfItFits(NameOfLength(260)), "") << "no room for the NUL";
  EXPECT_EQ(DriverPathIfItFits(NameOfLength(600)), "");
}

}  // namespace
}  // namespace ovalink
