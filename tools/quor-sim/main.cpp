// quor-sim: the command-line lab around the simulator. Sub-commands are listed in
// Commands() (cli.cpp); each lives in its own file.

#include <exception>
#include <iostream>
#include <string>
#include <vector>

#include "tools/quor-sim/cli.h"

namespace {

// The contract is one line per error, whatever a file or argument contained.
std::string OneLine(std::string message) {
  for (char& c : message) {
    if (c == '\n' || c == '\r') c = ' ';
  }
  return message;
}

void Usage(std::ostream& out) {
  out << "usage:\n";
  for (const auto& command : ovalink::quorsim::Commands()) {
    out << "  quor-sim " << command.usage << "\n";
  }
  out << "R is a lircd.conf file or builtin:NAME (see 'quor-sim remotes').\n";
}

}  // namespace

int main(int argc, char** argv) {
  using namespace ovalink::quorsim;
  const std::vector<std::string> args(argv + 1, argv + argc);
  if (args.empty()) {
    std::cerr << "quor-sim: no sub-command; try 'quor-sim help'\n";
    return kExitError;
  }
  if (args[0] == "help" || args[0] == "--help" || args[0] == "-h") {
    Usage(std::cout);
    return kExitOk;
  }
  for (const Command& command : Commands()) {
    if (args[0] != command.name) continue;
    try {
      command.run(std::vector<std::string>(args.begin() + 1, args.end()), std::cout);
      std::cout.flush();
      return std::cout ? kExitOk : kExitError;
    } catch (const CommandError& e) {
      std::cerr << "quor-sim: " << OneLine(e.what()) << "\n";
    } catch (const std::exception& e) {
      std::cerr << "quor-sim: " << command.name << ": " << OneLine(e.what()) << "\n";
    }
    return kExitError;
  }
  std::cerr << "quor-sim: " << OneLine("unknown sub-command '" + args[0] + "'")
            << "; try 'quor-sim help'\n";
  return kExitError;
}
