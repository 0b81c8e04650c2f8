#include "app/button_value_name.h"

#include "app/shared_constants.h"

namespace ovalink {

std::string ValueNameOfButton(int button) { return std::to_string(button); }

std::optional<int> ButtonOfValueName(const std::string& name) {
  // Every button needs at most two digits; a longer name is never one, however it reads.
  if (name.empty() || name.size() > 2) return std::nullopt;
  if (name.size() > 1 && name[0] == '0') return std::nullopt;
  int button = 0;
  for (const char c : name) {
    if (c < '0' || c > '9') return std::nullopt;
    button = button * 10 + (c - '0');
  }
  if (button >= kButtonCount) return std::nullopt;
  return button;
}

}  // namespace ovalink
