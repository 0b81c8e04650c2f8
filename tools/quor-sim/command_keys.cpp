// quor-sim keys --remote R: the keys of a remote, one a line, in file order.

#include <ostream>

#include "tools/quor-sim/cli.h"

namespace ovalink::quorsim {

void RunKeys(const std::vector<std::string>& args, std::ostream& out) {
  Options options("keys", args, {{"remote", true}});
  const sim::Remote remote = LoadRemoteFor(options.Text("remote"));
  for (const sim::RemoteKey& key : remote.keys) out << key.name << "\n";
}

}  // namespace ovalink::quorsim
