// Registered as the "open" verb of .chm and .url files in a test prefix: records the file the
// shell was asked to open, one line per request, in opened.log beside itself.
#include <cstdio>

#include "command_line.h"

int main() {
  FILE* out = std::fopen(wine_test::PathBesideMe("opened.log").c_str(), "a");
  if (out == nullptr) return 1;
  std::fprintf(out, "%s\n", wine_test::ArgumentsAfterProgramName().c_str());
  std::fclose(out);
  return 0;
}
