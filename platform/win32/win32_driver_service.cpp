#include "platform/win32/win32_driver_service.h"

#include <windows.h>

#include "platform/path_beside_program.h"
#include "platform/win32/unique_handle.h"
#include "platform/win32/win32_port_driver.h"

namespace ovalink {

namespace {
constexpr const char* kServiceName = "Quor";
constexpr const char* kDriverFile = "Quor.sys";
constexpr std::size_t kMaxPath = 260;

ServiceHandle OpenManager() {
  return ServiceHandle(::OpenSCManagerA(nullptr, nullptr, SC_MANAGER_ALL_ACCESS));
}

ServiceHandle OpenDriverService(const ServiceHandle& manager) {
  if (!manager) return ServiceHandle();
  return ServiceHandle(::OpenServiceA(manager.get(), kServiceName, SERVICE_ALL_ACCESS));
}

// The service manager answers that there is no service "Quor" (not merely "cannot tell").
bool DriverServiceAbsent() {
  const ServiceHandle manager = OpenManager();
  if (!manager) return false;
  if (OpenDriverService(manager)) return false;
  return ::GetLastError() == ERROR_SERVICE_DOES_NOT_EXIST;
}
}  // namespace

bool InstallDriver() {
  if (!Win32PortDriver().IsNtPlatform()) return true;
  const std::string path = BuildDriverPath();
  if (path.empty()) return false;
  CreateDriverService(path);
  return StartDriverService();
}

bool RemoveDriver() {
  if (!Win32PortDriver().IsNtPlatform()) return true;
  return DeleteDriverService() || DriverServiceAbsent();
}

std::string BuildDriverPath() { return DriverPathIfItFits(PathBesideProgram(kDriverFile)); }

std::string DriverPathIfItFits(const std::string& path) {
  // A cut path would name another file: one too long is not registered at all.
  return path.size() < kMaxPath ? path : std::string();
}

bool CreateDriverService(const std::string& driverPath) {
  if (driverPath.empty()) return false;
  const ServiceHandle manager = OpenManager();
  if (!manager) return false;
  const ServiceHandle service(::CreateServiceA(
      manager.get(), kServiceName, kServiceName, SERVICE_ALL_ACCESS, SERVICE_KERNEL_DRIVER,
      SERVICE_SYSTEM_START, SERVICE_ERROR_NORMAL, driverPath.c_str(), nullptr, nullptr,
      nullptr, nullptr, nullptr));
  return bool(service);
}

bool StartDriverService() {
  const ServiceHandle service = OpenDriverService(OpenManager());
  if (!service) return false;
  return ::StartServiceA(service.get(), 0, nullptr) != FALSE ||
         ::GetLastError() == ERROR_SERVICE_ALREADY_RUNNING;
}

bool StopDriverService() {
  const ServiceHandle service = OpenDriverService(OpenManager());
  if (!service) return false;
  SERVICE_STATUS status{};
  return ::ControlService(service.get(), SERVICE_CONTROL_STOP, &status) != FALSE;
}

bool DeleteDriverService() {
  StopDriverService();
  const ServiceHandle service = OpenDriverService(OpenManager());
  return service && ::DeleteService(service.get()) != FALSE;
}

}  // namespace ovalink
