#pragma once
// The running program's own file name, whole, whatever its length.

#include <windows.h>

#include <functional>
#include <string>

namespace ovalink {

// GetModuleFileNameA's contract: fills `buffer` of `capacity` characters and returns the
// length copied; a name that does not fit is cut to `capacity` (terminated from Vista on,
// not on XP) and `capacity` is returned; 0 on failure.
using ModuleFileNameQuery = std::function<DWORD(char* buffer, DWORD capacity)>;

// The whole name, asking again with more room while the answer fills the buffer; empty on
// failure.
std::string WholeModuleFileName(const ModuleFileNameQuery& query);

// The file name of the process's main module.
std::string ProgramFileName();

}  // namespace ovalink
