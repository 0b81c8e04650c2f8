#include "engine/program_settings.h"

#include "app/reg_key.h"
#include "app/registry_layout.h"

namespace ovalink {

std::uint32_t ReadPortSetting() {
  const std::uint32_t stored =
      RegKey(RegRoot::CurrentUser, kSettingsKey).ReadDword(kPortValue, kDefaultPort);
  return IsLegacyBase(stored) ? stored : 0;
}

bool WritePortSetting(std::uint32_t base) {
  if (base != 0 && !IsLegacyBase(base)) return false;
  return RegKey(RegRoot::CurrentUser, kSettingsKey).WriteDword(kPortValue, base) == kRegOk;
}

std::uint32_t ReadEnableSetting() {
  return RegKey(RegRoot::CurrentUser, kSettingsKey).ReadDword(kEnableValue, kDefaultEnable);
}

void WriteEnableSetting(std::uint32_t value) {
  RegKey(RegRoot::CurrentUser, kSettingsKey).WriteDword(kEnableValue, value);
}

std::uint32_t SelectStoredPort(Port& port, const PortAccessGuard& guard) {
  const std::uint32_t stored = ReadPortSetting();
  if (stored != 0) {
    SelectPort(port, stored, guard);
    return stored;
  }
  std::uint32_t detected = 0;
  guard([&] { detected = port.DetectPort(); });
  WritePortSetting(detected);
  return detected;
}

void SelectPort(Port& port, std::uint32_t base, const PortAccessGuard& guard) {
  if (!IsLegacyBase(base)) return;
  guard([&] { port.SetBase(static_cast<std::uint16_t>(base)); });
  WritePortSetting(base);
}

}  // namespace ovalink
