// quor-sim: the command-line lab around the simulator. Sub-commands are listed in
// Commands() (cli.cpp); each lives in its own file.

#include <cstdio>
#include <exception>
#include <iostream>
#include <string>
#include <vector>

#include "tools/quor-sim/cli.h"

namespace {

// The contract is one line per error, whatever a file or argument contained: line breaks
// become spaces and other control bytes are shown, never sent to the terminal.
std::string OneLine(const std::string& message) {
  std::string line;
  for (const char c : message) {
    const auto byte = static_cast<unsigned char>(c);
    if (c == '\n' || c == '\r') {
      line += ' ';
    } else if (byte < 0x20 || byte == 0x7F) {
      char shown[8];
      std::snprintf(shown, sizeof shown, "\\x%02X", byte);
      line += shown;
    } else {
      line += c;
    }
  }
  return line;
}

// Output that could not be written is a failure like any other, and says so.
int Finish(int status) {
  std::cout.flush();
  if (!std::cout) {
    std::cerr << "quor-sim: cannot write to standard output\n";
    return ovalink::quorsim::kExitError;
  }
  return status;
}

void Usage(std::ostream& out) {
  out << "usage:\n";
  for (const auto& command : ovalink::quorsim::Commands()) {
    out << "  quor-sim " << command.usage << "\n";
  }
  out << "R is an IR database file (.ir), a lircd.conf file or builtin:NAME (see 'quor-sim "
         "remotes').\n"
         "receiver options: [--ideal] [--hunt middle|end] [--low-line starts|ignored] "
         "[--jitter US] [--drift PCT] [--drop PCT] [--noise PER_S]\n";
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
    if (args.size() > 1) {
      std::cerr << "quor-sim: help takes no arguments, not '" << OneLine(args[1]) << "'\n";
      return kExitError;
    }
    Usage(std::cout);
    return Finish(kExitOk);
  }
  for (const Command& command : Commands()) {
    if (args[0] != command.name) continue;
    try {
      command.run(std::vector<std::string>(args.begin() + 1, args.end()), std::cout);
      return Finish(kExitOk);
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
