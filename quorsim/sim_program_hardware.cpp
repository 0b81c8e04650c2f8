// The hardware of QuorSim.exe: a simulated PC on real time, with a remote that other
// processes press through a named pipe. The product Quor.exe links the real hardware instead.

#include <windows.h>

#include <cstdlib>
#include <fstream>
#include <mutex>
#include <string>

#include "platform/path_beside_program.h"
#include "platform/win32/pipe_line_server.h"
#include "platform/win32/win32_clock.h"
#include "quorsim/sim_remote_link.h"
#include "sim/ir/builtin_remotes.h"
#include "sim/real_time_pc.h"
#include "sim/remote_control.h"
#include "ui/program_hardware.h"

namespace ovalink {

namespace {

std::string Variable(const char* name, const std::string& fallback) {
  const char* value = std::getenv(name);
  return value && *value ? std::string(value) : fallback;
}

class SimProgramHardware : public ProgramHardware {
 public:
  SimProgramHardware(const std::string& source, sim::Remote remote)
      : pc_(realClock_, std::move(remote)),
        control_(pc_, source),
        uartFile_(Variable(kSimUartFileVariable, PathBesideProgram(kDefaultSimUartFile))),
        server_(kSimRemotePipe, [this](const std::string& request) {
          std::lock_guard<std::mutex> lock(controlMutex_);
          return control_.Execute(request);
        }) {}

  // Runs after the engine has handed the UART back, so the file shows what Exit left.
  ~SimProgramHardware() override {
    const std::string state = [this] {
      std::lock_guard<std::mutex> lock(controlMutex_);
      return control_.Execute("uart");
    }();
    std::ofstream file(uartFile_, std::ios::trunc);
    file << state.substr(state.rfind("ok ", 0) == 0 ? 3 : 0) << '\n';
  }

  PortIo& Io() override { return pc_.Io(); }
  Clock& Time() override { return pc_.Time(); }

 private:
  Win32Clock realClock_;
  sim::RealTimePc pc_;
  std::mutex controlMutex_;
  sim::RemoteControl control_;
  std::string uartFile_;
  // Last member: no request arrives before the rest exists, nor after it is gone.
  PipeLineServer server_;
};

}  // namespace

std::unique_ptr<ProgramHardware> CreateProgramHardware() {
  const std::string source = Variable(kSimRemoteVariable, kDefaultSimRemote);
  try {
    return std::make_unique<SimProgramHardware>(source, sim::LoadRemote(source));
  } catch (const sim::ParseError& e) {
    const std::string text = std::string(kSimRemoteVariable) + ": " + e.what();
    MessageBoxA(nullptr, text.c_str(), "QuorSim", MB_OK | MB_ICONEXCLAMATION);
    ExitProcess(2);
  }
}

}  // namespace ovalink
