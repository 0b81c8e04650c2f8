#pragma once
// A refused remote definition or raw signal, with the place it was found.

#include <stdexcept>
#include <string>

namespace ovalink::sim {

class ParseError : public std::runtime_error {
 public:
  // `line` 0 names no line (the file as a whole, e.g. when it cannot be read).
  ParseError(const std::string& file, int line, const std::string& message)
      : std::runtime_error(Format(file, line, message)), file_(file), line_(line) {}

  const std::string& File() const { return file_; }
  int Line() const { return line_; }

 private:
  static std::string Format(const std::string& file, int line, const std::string& message) {
    return line > 0 ? file + ":" + std::to_string(line) + ": " + message : file + ": " + message;
  }

  std::string file_;
  int line_;
};

}  // namespace ovalink::sim
