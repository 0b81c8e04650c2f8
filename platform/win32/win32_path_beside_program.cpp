#include <windows.h>

#include <string>

#include "platform/path_beside_program.h"
#include "platform/win32/win32_module_path.h"

namespace ovalink {

namespace {
// The longest name Windows gives a module (the \\?\ form's limit), with room for the NUL.
constexpr DWORD kLongestName = 32768;
}  // namespace

std::string WholeModuleFileName(const ModuleFileNameQuery& query) {
  for (DWORD capacity = MAX_PATH; capacity <= 2 * kLongestName; capacity *= 2) {
    std::string buffer(capacity, '\0');
    const DWORD length = query(&buffer[0], capacity);
    if (length == 0) return std::string();
    // A full buffer may hold a cut name, on XP without its NUL.
    if (length < capacity) return buffer.substr(0, length);
  }
  return std::string();
}

std::string ProgramFileName() {
  return WholeModuleFileName([](char* buffer, DWORD capacity) {
    return ::GetModuleFileNameA(nullptr, buffer, capacity);
  });
}

std::string PathBesideProgram(const std::string& fileName) {
  const std::string program = ProgramFileName();
  const std::size_t folderEnd = program.find_last_of("\\/:");
  return (folderEnd == std::string::npos ? std::string() : program.substr(0, folderEnd + 1)) +
         fileName;
}

}  // namespace ovalink
