#pragma once
// The port driver's kernel service "Quor": installed and started, or stopped and removed,
// through the service control manager. Every handle is closed before an operation returns;
// failures are silent: the install and remove runs turn their booleans into the exit status.

#include <string>

namespace ovalink {

// Not on an NT-family system: nothing, and true. Otherwise creates the service and starts
// it; true when it runs (started now, or already running).
bool InstallDriver();
// Not on an NT-family system: nothing, and true. Otherwise stops the service and deletes
// it; true when it was deleted or there was none.
bool RemoveDriver();

// The running program's folder followed by "Quor.sys"; empty when that path is 260
// characters or longer.
std::string BuildDriverPath();
// `path` when it fits the 260-character buffer of a service's binary path (NUL included),
// else empty.
std::string DriverPathIfItFits(const std::string& path);
bool CreateDriverService(const std::string& driverPath);
// True when it starts or already runs.
bool StartDriverService();
bool StopDriverService();
bool DeleteDriverService();

}  // namespace ovalink
