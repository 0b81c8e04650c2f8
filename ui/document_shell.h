#pragma once
// The shell's "open" of a document (the help file, the link file): the program the system
// associates with the file opens it. Tests put a recording shell in its place.

#include <string>

namespace ovalink {

class DocumentShell {
 public:
  virtual ~DocumentShell() = default;
  // Whether the shell took the request.
  virtual bool Open(const std::string& path) = 0;
};

// ShellExecute's "open", shown normally, with no owner window.
class SystemDocumentShell : public DocumentShell {
 public:
  bool Open(const std::string& path) override;
};

}  // namespace ovalink
