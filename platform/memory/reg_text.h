#pragma once
// The registry's own export format (.reg text). Both "REGEDIT4" and "Windows Registry Editor
// Version 5.00" files are read; REGEDIT4 is written. A file therefore moves both ways between
// the Linux file store and regedit.

#include <cstddef>
#include <string>

#include "platform/memory/registry_tree.h"

namespace ovalink {

struct RegTextError {
  std::size_t line = 0;  // 1-based; 0 when the file as a whole is at fault
  std::string message;
};

// Adds the keys and values of a whole .reg file to `root`, whose children are the hives
// ("HKEY_CURRENT_USER", ...). `bytes` is the file as read: UTF-8 with or without a BOM, or
// UTF-16LE with a BOM (regedit's Version 5 export); CRLF or LF line ends. Text comes out as
// UTF-8 bytes, including the data of REG_SZ, REG_EXPAND_SZ and REG_MULTI_SZ values, which a
// Version 5 file holds as UTF-16. "[-key]" and "name"=- delete, as regedit's import does.
// Returns false with *error filled at the first line that cannot be read; `root` is then
// partly filled, so parse into a tree of its own.
bool ParseRegText(const std::string& bytes, RegistryNode& root, RegTextError* error);

// REGEDIT4 text of everything in `root`: every key below a hive, parents before children,
// values in their stored order, CRLF line ends, long hex data wrapped as regedit wraps it.
// Strings that a quoted form cannot carry exactly (no terminating NUL, a NUL or line break
// inside) are written as hex(1) so that they come back byte for byte.
std::string WriteRegText(const RegistryNode& root);

}  // namespace ovalink
