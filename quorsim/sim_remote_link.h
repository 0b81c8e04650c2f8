#pragma once
// How the simulated-hardware program and those who press its remote find each other.

namespace ovalink {

// Request lines of the simulated remote (see sim/remote_control.h) are served here.
constexpr const char* kSimRemotePipe = "\\\\.\\pipe\\OvalinkSimRemote";
// The remote in the hand at start-up: builtin:NAME or a lircd.conf path (default builtin:nec).
constexpr const char* kSimRemoteVariable = "OVALINK_SIM_REMOTE";
// Where the UART's divisor and line control are written when the program ends (default:
// QuorSim.uart beside the program), as one line: "divisor=12 line-control=0x03".
constexpr const char* kSimUartFileVariable = "OVALINK_SIM_UART_FILE";
constexpr const char* kDefaultSimRemote = "builtin:nec";
constexpr const char* kDefaultSimUartFile = "QuorSim.uart";

}  // namespace ovalink
