#include "sim/ir/text_file.h"

#include <algorithm>
#include <filesystem>
#include <fstream>
#include <system_error>

#include "sim/ir/parse_error.h"

namespace ovalink::sim {

namespace {
namespace fs = std::filesystem;

constexpr char kUtf8Bom[] = "\xEF\xBB\xBF";

bool StartsWith(const std::string& text, const char* prefix, std::size_t length) {
  return text.size() >= length && text.compare(0, length, prefix, length) == 0;
}

std::string Megabytes(std::size_t bytes) { return std::to_string(bytes >> 20) + " MiB"; }
}  // namespace

std::string ReadTextFile(const std::string& path) {
  std::error_code error;
  const fs::file_status status = fs::status(path, error);
  if (error) throw ParseError(path, 0, "cannot open (" + error.message() + ")");
  if (fs::is_directory(status)) throw ParseError(path, 0, "is a folder, not a file");
  if (!fs::is_regular_file(status)) {
    throw ParseError(path, 0, "is not a regular file (a device, FIFO or socket)");
  }
  const std::uintmax_t size = fs::file_size(path, error);
  if (!error && size > kMaxTextFileBytes) {
    throw ParseError(path, 0, "is larger than " + Megabytes(kMaxTextFileBytes));
  }
  std::ifstream in(path, std::ios::binary);
  if (!in) throw ParseError(path, 0, "cannot open");
  std::string text;
  char chunk[65536];
  // Bounded by what is read, not by the size reported: /proc files report none.
  while (in.read(chunk, sizeof chunk) || in.gcount() > 0) {
    if (text.size() + std::size_t(in.gcount()) > kMaxTextFileBytes) {
      throw ParseError(path, 0, "is larger than " + Megabytes(kMaxTextFileBytes));
    }
    text.append(chunk, std::size_t(in.gcount()));
  }
  if (in.bad()) throw ParseError(path, 0, "cannot read");
  if (StartsWith(text, kUtf8Bom, 3)) text.erase(0, 3);
  if (StartsWith(text, "\xFF\xFE", 2) || StartsWith(text, "\xFE\xFF", 2)) {
    throw ParseError(path, 0, "is UTF-16 text; save it as ASCII or UTF-8");
  }
  if (const std::size_t nul = text.find('\0'); nul != std::string::npos) {
    const auto line = 1 + std::count(text.begin(), text.begin() + std::ptrdiff_t(nul), '\n');
    throw ParseError(path, int(line), "NUL byte in the text (UTF-16 or a binary file?)");
  }
  return text;
}

}  // namespace ovalink::sim
