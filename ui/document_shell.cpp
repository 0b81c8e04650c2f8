#include "ui/document_shell.h"

#include <windows.h>
#include <shellapi.h>

#include <cstdint>

namespace ovalink {

bool SystemDocumentShell::Open(const std::string& path) {
  const HINSTANCE result = ::ShellExecuteA(nullptr, "open", path.c_str(), nullptr, nullptr, SW_SHOW);
  // Values up to 32 are the shell's error codes.
  return reinterpret_cast<std::intptr_t>(result) > 32;
}

}  // namespace ovalink
