#pragma once
// Where the user interface keeps its settings (under HKEY_CURRENT_USER).

namespace ovalink {

inline constexpr char kSettingsKey[] = "SOFTWARE\\Quor\\1.5";

}  // namespace ovalink
