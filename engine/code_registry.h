#pragma once
// The registry form of the trained codes, and its only reader and writer: for each button a
// 1000-byte pattern under Codes1 and one under Codes2, and its form under CodeFlags, every
// value named by the button (ValueNameOfButton).

#include <optional>
#include <string>
#include <vector>

#include "app/reg_key.h"
#include "engine/signal_code.h"

namespace ovalink {

class CodeRegistry {
 public:
  // Opens the three keys, creating them when missing (a key that cannot be written is still
  // read).
  CodeRegistry();

  // The value names of Codes1, in the registry's order: the index of the store.
  std::vector<std::string> Names();
  // The code stored under `name`: nothing when the name is not a button's, or when either
  // pattern is not a binary value of exactly 1000 bytes. A missing or malformed form is
  // read (and written back) as the alternating form.
  std::optional<SignalCode> ReadOne(const std::string& name);
  // Both patterns, and the form only when it is press-and-repeat: the alternating form is
  // what a missing value reads as.
  void WriteOne(const SignalCode& code);
  // Removes the button's three values; missing ones are no error.
  void DeleteOne(int button);

 private:
  RegKey codes1_;
  RegKey codes2_;
  RegKey flags_;
};

}  // namespace ovalink
