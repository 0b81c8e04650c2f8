// quor-sim signal --remote R --key NAME [--hold MS] [--presses N] [--pause MS]
// What the remote sends for N presses, each held MS milliseconds, as mode2 text.

#include <algorithm>
#include <ostream>

#include "sim/ir/mode2_writer.h"
#include "sim/ir/synthesis.h"
#include "tools/quor-sim/cli.h"

namespace ovalink::quorsim {

void RunSignal(const std::vector<std::string>& args, std::ostream& out) {
  Options options("signal", args,
                  {{"remote", true}, {"key", true}, {"hold"}, {"presses"}, {"pause"}});
  const sim::Remote remote = LoadRemoteFor(options.Text("remote"));
  const std::string& keyName = options.Text("key");
  const int keyIndex = remote.KeyIndex(keyName);
  if (keyIndex < 0) {
    throw CommandError("signal: remote " + remote.name + " has no key " + keyName);
  }
  // 0 ms: a sharp press, one frame (and the remote's minimum repeats).
  const auto holdUs = std::uint64_t(options.Number("hold", 0, 0, 600'000) * 1000.0);
  const auto presses = options.Integer("presses", 1, 1, 10'000);
  // From releasing the key to pressing it again; the remote's own gap comes first.
  // At most 10 s, so that every silence fits one mode2 space line.
  const auto pauseUs = std::uint64_t(options.Number("pause", 300, 0, 10'000) * 1000.0);

  // Written as it is produced: the longest signals asked for run to gigabytes.
  sim::Transmitter transmitter(remote);
  sim::Mode2Writer writer(out, remote.frequency);
  std::uint64_t startUs = 0;
  std::uint64_t lastMarkEndUs = 0;
  for (std::int64_t i = 0; i < presses && writer.Good(); ++i) {
    if (i > 0) writer.AddSpace(std::uint32_t(startUs - lastMarkEndUs));
    std::uint32_t gapUs = 0;
    std::uint64_t markEndUs = startUs;
    transmitter.Press(std::size_t(keyIndex))
        .ForEachFrame(holdUs, [&](std::size_t k, std::uint64_t frameStartUs, const sim::Frame& frame) {
          if (!writer.Good()) return;
          if (k > 0) writer.AddSpace(gapUs);
          writer.Append(frame.light);
          gapUs = frame.gapUs;
          markEndUs = startUs + frameStartUs + frame.light.MarkedLengthUs();
        });
    lastMarkEndUs = markEndUs;
    startUs = std::max(startUs + holdUs + pauseUs, lastMarkEndUs + gapUs);
  }
  writer.Finish();
}

}  // namespace ovalink::quorsim
