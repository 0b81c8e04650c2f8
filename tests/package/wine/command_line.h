// What a Windows program sees of its command line, and where its own files are.
#pragma once

#include <windows.h>

#include <string>

namespace wine_test {

// The text after the program name, as GetCommandLine gives it.
inline std::string ArgumentsAfterProgramName() {
  const char* line = GetCommandLineA();
  const bool quoted = *line == '"';
  if (quoted) ++line;
  while (*line && (quoted ? *line != '"' : *line != ' ')) ++line;
  if (quoted && *line) ++line;
  while (*line == ' ') ++line;
  return line;
}

inline std::string PathBesideMe(const char* name) {
  char path[MAX_PATH] = {};
  GetModuleFileNameA(nullptr, path, MAX_PATH);
  const std::string self(path);
  return self.substr(0, self.find_last_of('\\') + 1) + name;
}

}  // namespace wine_test
