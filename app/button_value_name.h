#pragma once
// The registry name of a button's value under Codes1, Codes2, CodeFlags and Commands: the
// button's index in decimal without leading zeros ("0" ... "33"). These two functions are
// the only place that writes or reads such a name.

#include <optional>
#include <string>

namespace ovalink {

// "0" ... "33" for a button index; the caller passes an index below kButtonCount.
std::string ValueNameOfButton(int button);

// The button a value name stands for; nothing for every other name ("abc", "-1", "+3",
// " 3", "03", "34", "99999999999"), which the program then passes over.
std::optional<int> ButtonOfValueName(const std::string& name);

}  // namespace ovalink
