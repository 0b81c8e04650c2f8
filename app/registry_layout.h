#pragma once
// Where the program keeps its state under HKEY_CURRENT_USER: key paths, value names, and the
// defaults a missing value is read as (and written back with).

#include <cstdint>

namespace ovalink {

// --- keys ---
constexpr const char* kSettingsKey = "SOFTWARE\\Quor\\1.5";
// One value per trained button, named by its index ("%d"): pattern 1, pattern 2, form flag.
constexpr const char* kCodes1Key = "SOFTWARE\\Quor\\1.5\\Codes1";
constexpr const char* kCodes2Key = "SOFTWARE\\Quor\\1.5\\Codes2";
constexpr const char* kCodeFlagsKey = "SOFTWARE\\Quor\\1.5\\CodeFlags";
// One 48-byte command record per button, named by its index.
constexpr const char* kCommandsKey = "SOFTWARE\\Quor\\1.5\\Commands";
// The logon autostart list of the current user.
constexpr const char* kRunKey = "SOFTWARE\\Microsoft\\Windows\\CurrentVersion\\Run";

// --- values of the settings key, with their defaults ---
constexpr const char* kEnableValue = "Enable";
constexpr std::uint32_t kDefaultEnable = 1;
constexpr const char* kAutorunValue = "Autorun";
constexpr std::uint32_t kDefaultAutorun = 1;
constexpr const char* kPortValue = "Port";
constexpr std::uint32_t kDefaultPort = 0;  // 0: detect
constexpr const char* kMinReadsValue = "MinReads";
constexpr std::uint32_t kDefaultMinReads = 10;
constexpr const char* kCodeCountValue = "CodeCount";
constexpr std::uint32_t kDefaultCodeCount = 5;
constexpr const char* kLimitValue = "Limit";
constexpr std::uint32_t kDefaultLimit = 2;
// An ask dialog's "Don't show me again" flag is this prefix followed by the dialog's name.
constexpr const char* kNoAskPrefix = "NoAsk";

// --- the autostart entry under kRunKey ---
constexpr const char* kAutostartValue = "Quor";
// Always this file beside the running program, even when the running file was renamed.
constexpr const char* kAutostartProgram = "Quor.exe";

}  // namespace ovalink
