#include <windows.h>

#include <cstdlib>
#include <string>

#include "platform/path_beside_program.h"

namespace ovalink {

std::string PathBesideProgram(const std::string& fileName) {
  char program[MAX_PATH] = {};
  GetModuleFileNameA(nullptr, program, MAX_PATH);
  char drive[_MAX_DRIVE] = {};
  char folder[_MAX_DIR] = {};
  char name[_MAX_FNAME] = {};
  char extension[_MAX_EXT] = {};
  _splitpath(program, drive, folder, name, extension);
  return std::string(drive) + folder + fileName;
}

}  // namespace ovalink
