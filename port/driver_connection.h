#pragma once
// The process-wide connection to the port driver (one per process, not per Port). Opens and
// closes come from the main thread and the worker; one lock orders them.

#include "platform/port_io.h"

namespace ovalink {

// Installs the back end the connection works through (nullptr: none, every open fails on NT
// and IsNtPlatform answers false). Programs install theirs once; tests reset it.
void InstallDriverBackend(PortDriverBackend* backend);

// Whether port access needs the driver on this platform.
bool IsNtPlatform();
// Opens the device (retrying once) and asks for port access. Not NT: true, nothing opened.
bool OpenDriver();
// Withdraws access and closes the device, if one is open on NT.
void CloseDriver();
// CloseDriver then OpenDriver as one step: another thread's open or close never falls
// between them. Any thread.
bool ReopenDriver();
// Whether the device is open (tests, diagnostics).
bool DriverOpen();

}  // namespace ovalink
