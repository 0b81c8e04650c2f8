// quor-sim remotes: the built-in remotes, one a line, as --remote takes them.

#include <ostream>

#include "sim/ir/builtin_remotes.h"
#include "tools/quor-sim/cli.h"

namespace ovalink::quorsim {

void RunRemotes(const std::vector<std::string>& args, std::ostream& out) {
  Options options("remotes", args, {});
  for (std::string_view name : sim::kBuiltinRemoteNames) out << sim::kBuiltinPrefix << name << "\n";
}

}  // namespace ovalink::quorsim
