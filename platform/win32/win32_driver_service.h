#pragma once
// The port driver's kernel service "Quor": installed and started, or stopped and removed,
// through the service control manager. Every handle is closed before an operation returns;
// failures are silent (their booleans are for tests).

#include <string>

namespace ovalink {

// Not on an NT-family system: nothing. Otherwise creates the service and starts it.
bool InstallDriver();
// Not on an NT-family system: nothing. Otherwise stops the service and deletes it.
bool RemoveDriver();

// The running program's folder followed by "Quor.sys".
std::string BuildDriverPath();
bool CreateDriverService(const std::string& driverPath);
// True when it starts or already runs.
bool StartDriverService();
bool StopDriverService();
bool DeleteDriverService();

}  // namespace ovalink
