#include "platform/win32/win32_port_driver.h"

namespace ovalink {

namespace {
constexpr DWORD kGrantPortAccess = 0x80102048;     // CTL_CODE(0x8010, 0x812, BUFFERED, ANY)
constexpr DWORD kWithdrawPortAccess = 0x8010204C;  // CTL_CODE(0x8010, 0x813, BUFFERED, ANY)

bool Control(HANDLE device, DWORD code) {
  DWORD returned = 0;
  return DeviceIoControl(device, code, nullptr, 0, nullptr, 0, &returned, nullptr) != FALSE;
}
}  // namespace

bool Win32PortDriver::IsNtPlatform() {
  OSVERSIONINFOA version{};
  version.dwOSVersionInfoSize = sizeof version;
#pragma GCC diagnostic push
#pragma GCC diagnostic ignored "-Wdeprecated-declarations"
  // Only the platform id is wanted, which the version-lie shims leave alone.
  if (!GetVersionExA(&version)) return false;
#pragma GCC diagnostic pop
  return version.dwPlatformId == VER_PLATFORM_WIN32_NT;
}

bool Win32PortDriver::OpenDevice() {
  device_.reset(CreateFileA("\\\\.\\Quor", GENERIC_READ | GENERIC_WRITE, 0, nullptr,
                            OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr));
  return bool(device_);
}

bool Win32PortDriver::GrantAccess() {
  return bool(device_) && Control(device_.get(), kGrantPortAccess);
}

void Win32PortDriver::WithdrawAccess() {
  if (device_) Control(device_.get(), kWithdrawPortAccess);
}

void Win32PortDriver::CloseDevice() { device_.reset(); }

}  // namespace ovalink
