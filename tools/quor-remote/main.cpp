// quor-remote: presses the keys of QuorSim's simulated remote from a console.
//   quor-remote press KEY_PLAY 300     quor-remote remote builtin:rc5     quor-remote help
// Prints QuorSim's reply; exit status 0 for "ok", 1 for an error reply, 2 when no QuorSim
// answers.

#include <windows.h>

#include <cstdio>
#include <string>

#include "platform/win32/pipe_line_server.h"
#include "quorsim/sim_remote_link.h"

int main(int argc, char** argv) {
  std::string request;
  for (int i = 1; i < argc; ++i) {
    if (i > 1) request += ' ';
    request += argv[i];
  }
  if (request.empty()) request = "help";
  std::string reply;
  if (!ovalink::CallPipeLine(ovalink::kSimRemotePipe, request, &reply, 2000)) {
    std::fprintf(stderr, "quor-remote: QuorSim is not running (nothing answers on %s)\n",
                 ovalink::kSimRemotePipe);
    return 2;
  }
  std::printf("%s\n", reply.c_str());
  return reply.rfind("ok", 0) == 0 ? 0 : 1;
}
