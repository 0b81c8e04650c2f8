#include <unistd.h>

#include <string>

#include "platform/path_beside_program.h"

namespace ovalink {

std::string PathBesideProgram(const std::string& fileName) {
  char self[4096];
  const ssize_t length = ::readlink("/proc/self/exe", self, sizeof self - 1);
  if (length <= 0) return fileName;
  const std::string program(self, static_cast<std::size_t>(length));
  return program.substr(0, program.rfind('/') + 1) + fileName;
}

}  // namespace ovalink
