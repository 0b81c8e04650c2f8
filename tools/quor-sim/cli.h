#pragma once
// What every quor-sim sub-command shares: its options, number parsing, and the one kind of
// failure a command reports (one line on stderr, exit status 2).

#include <cstdint>
#include <iosfwd>
#include <map>
#include <stdexcept>
#include <string>
#include <string_view>
#include <vector>

#include "sim/ir/lircd_conf.h"

namespace ovalink::quorsim {

constexpr int kExitOk = 0;
constexpr int kExitError = 2;

// Anything a command refuses: bad usage, an unreadable or malformed remote, an unknown key.
class CommandError : public std::runtime_error {
 public:
  using std::runtime_error::runtime_error;
};

struct OptionSpec {
  std::string_view name;  // without the leading "--"
  bool required = false;
};

// `--name value` or `--name=value`, each at most once, only the names a command accepts
// (value-less flags are taken out first, see TakeFlag). A value cannot start with "--"
// unless written `--name=--value`: a forgotten value must not swallow the next option.
class Options {
 public:
  Options(std::string_view command, const std::vector<std::string>& args,
          const std::vector<OptionSpec>& accepted);

  bool Has(std::string_view name) const { return values_.count(std::string(name)) != 0; }
  const std::string& Text(std::string_view name) const;
  // Whole number within [lo, hi]; `fallback` when the option is absent.
  std::int64_t Integer(std::string_view name, std::int64_t fallback, std::int64_t lo,
                       std::int64_t hi) const;
  // Non-negative decimal number (e.g. milliseconds, "12.5") within [lo, hi].
  double Number(std::string_view name, double fallback, double lo, double hi) const;

 private:
  std::string command_;
  std::map<std::string, std::string> values_;
};

// `builtin:NAME`, an .ir or lircd.conf path, its parse errors turned into a CommandError;
// keys the reader left out are noted on stderr, "quor-sim: note: ..." a line.
sim::Remote LoadRemoteFor(const std::string& source);

// The registry file a command keeps its codes in: --registry, else `fallback`. An empty
// --registry is refused: it would silently keep nothing.
std::string RegistryPathOption(const Options& options, const std::string& fallback);

// A sub-command: gets its arguments (after its name), writes its result to `out`; throws
// CommandError on failure.
struct Command {
  std::string_view name;
  std::string_view usage;  // one line, after "quor-sim "
  void (*run)(const std::vector<std::string>& args, std::ostream& out);
};

std::vector<Command> Commands();

// One function per sub-command, each in its own file.
void RunRemotes(const std::vector<std::string>& args, std::ostream& out);
void RunKeys(const std::vector<std::string>& args, std::ostream& out);
void RunSignal(const std::vector<std::string>& args, std::ostream& out);
void RunDemo(const std::vector<std::string>& args, std::ostream& out);
void RunCapture(const std::vector<std::string>& args, std::ostream& out);
void RunTrain(const std::vector<std::string>& args, std::ostream& out);
void RunPress(const std::vector<std::string>& args, std::ostream& out);
void RunBenchCommand(const std::vector<std::string>& args, std::ostream& out);

}  // namespace ovalink::quorsim
