#include "sim/ir/irdb_file.h"

#include <optional>

#include "sim/ir/capture_plan.h"
#include "sim/ir/irdb_protocols.h"
#include "sim/ir/synthesis.h"
#include "sim/ir/text_file.h"
#include "sim/ir/text_scan.h"

namespace ovalink::sim {

namespace {

std::string_view Trim(std::string_view s) {
  while (!s.empty() && text::IsBlank(s.front())) s.remove_prefix(1);
  while (!s.empty() && text::IsBlank(s.back())) s.remove_suffix(1);
  return s;
}

std::string Quoted(std::string_view word) { return "'" + std::string(word) + "'"; }

std::string RemoteName(const std::string& file) {
  std::string name = file.substr(file.find_last_of("/\\") + 1);
  if (name.size() > 3 && name.compare(name.size() - 3, 3, ".ir") == 0) name.resize(name.size() - 3);
  return name.empty() ? file : name;
}

// One key's block as written, before it is checked.
struct Block {
  std::string name;
  int line = 0;
  std::optional<std::string> type, protocol;
  std::optional<std::uint32_t> address, command, frequency, dutyCycle;
  std::optional<std::vector<std::uint64_t>> data;
  int dataLine = 0;
};

// The recorder starts on the first light it sees. A flash or two shorter than any remote's
// mark, then a silence that ends a burst, is light it caught before the key was pressed: a
// remote does not send it, and a press that did would send it before every frame it holds.
// How many durations of `data` (marks and spaces from a mark) are such a glitch; 0 if none.
std::size_t RecorderGlitch(const std::vector<std::uint64_t>& data) {
  for (std::size_t i = 0; i < kMaxGlitchDurations && i + 1 < data.size(); i += 2) {
    if (data[i] >= kMaxGlitchMarkUs) return 0;
    if (data[i + 1] >= kBurstGapUs) return i + 2;
  }
  return 0;
}

// A flash shorter than any remote's mark, alone between silences that each end a train (a
// train of its own, to the engine), is light the recorder caught while it listened (a lamp,
// a reflection): the remote sent none. Closer to a frame it may be part of the remote's light
// as the recorder saw it (a broken leader before each repeat), and is kept.
void WithoutLoneFlashes(std::vector<std::uint32_t>& raw) {
  std::vector<std::uint32_t> kept;
  kept.reserve(raw.size());
  for (std::size_t i = 0; i < raw.size(); i += 2) {
    const bool quietBefore = kept.empty() || kept.back() >= kLoneFlashSilenceUs;
    const bool quietAfter = i + 1 >= raw.size() || raw[i + 1] >= kLoneFlashSilenceUs;
    const bool lone = raw[i] < kMaxGlitchMarkUs && quietBefore && quietAfter && !kept.empty();
    if (!lone) {
      kept.push_back(raw[i]);
      if (i + 1 < raw.size()) kept.push_back(raw[i + 1]);
      continue;
    }
    if (i + 1 < raw.size()) {
      kept.back() += raw[i] + raw[i + 1];  // the silences either side become one
    } else {
      kept.pop_back();  // a flash that ends the capture: the silence before it goes too
    }
  }
  raw.swap(kept);
}

class IrParser {
 public:
  IrParser(std::string_view text, const std::string& file) : text_(text), file_(file) {
    remote_.name = RemoteName(file);
    remote_.file = file;
    remote_.line = 1;
    remote_.frequency = kDefaultCarrierHz;
    remote_.dutyCycle = 33;
  }

  Remote Run() {
    text::ForEachLine(text_, [this](int number, std::string_view line) {
      line_ = number;
      Line(line);
    });
    line_ = text::LineCount(text_);
    if (!sawType_) Fail("not an IR signals file: the first line must be '" + std::string(kIrFileType) + "'");
    Finish();
    if (remote_.keys.empty()) {
      if (blocks_ == 0) throw ParseError(file_, 0, "no keys");
      throw ParseError(file_, 0,
                       "none of its " + std::to_string(blocks_) + " keys can be sent (" +
                           remote_.notes.front() + ")");
    }
    remote_.frequency = PlanPress(remote_, remote_.keys.front(), false).carrierHz;
    return std::move(remote_);
  }

 private:
  [[noreturn]] void Fail(const std::string& message) const { throw ParseError(file_, line_, message); }

  void Line(std::string_view raw) {
    const std::string_view line = Trim(raw);
    if (line_ == 1) {
      if (line != kIrFileType) {
        Fail("not an IR signals file: the first line must be '" + std::string(kIrFileType) + "'");
      }
      sawType_ = true;
      return;
    }
    if (line.empty() || line.front() == '#') return;
    const std::size_t colon = line.find(':');
    if (colon == std::string_view::npos) Fail("expected 'field: value', found " + Quoted(line));
    const std::string_view field = Trim(line.substr(0, colon));
    const std::string_view value = Trim(line.substr(colon + 1));
    if (field == "Version") {
      if (sawVersion_ || open_) Fail("'Version' belongs in the header, once");
      if (value != "1") Fail("version " + Quoted(value) + " is not 1");
      sawVersion_ = true;
      return;
    }
    if (field == "name") {
      if (!sawVersion_) Fail("missing 'Version: 1' before the first key");
      Finish();
      if (value.empty()) Fail("key without a name");
      block_ = Block{};
      block_.name = std::string(value);
      block_.line = line_;
      open_ = true;
      ++blocks_;
      return;
    }
    if (!open_) Fail(Quoted(field) + " before the first 'name'");
    Field(field, value);
  }

  template <typename T>
  void Once(std::optional<T>& slot, std::string_view field, T value) {
    if (slot) Fail("key " + Quoted(block_.name) + " gives " + Quoted(field) + " twice");
    slot = std::move(value);
  }

  void Field(std::string_view field, std::string_view value) {
    if (field == "type") {
      if (value != "raw" && value != "parsed") Fail("type " + Quoted(value) + " is neither raw nor parsed");
      Once(block_.type, field, std::string(value));
    } else if (field == "protocol") {
      if (value.empty()) Fail("empty protocol");
      Once(block_.protocol, field, std::string(value));
    } else if (field == "address") {
      Once(block_.address, field, HexBytes(field, value));
    } else if (field == "command") {
      Once(block_.command, field, HexBytes(field, value));
    } else if (field == "frequency") {
      std::uint64_t hz = 0;
      if (!text::ParseUnsigned(value, hz, false)) Fail("bad frequency " + Quoted(value));
      if (hz < 10'000 || hz > 500'000) Fail("frequency " + std::string(value) + " Hz is outside 10000..500000");
      Once(block_.frequency, field, std::uint32_t(hz));
    } else if (field == "duty_cycle") {
      Once(block_.dutyCycle, field, DutyCycle(value));
    } else if (field == "data") {
      std::vector<std::uint64_t> durations;
      for (std::string_view word : text::Words(value)) {
        std::uint64_t us = 0;
        if (!text::ParseUnsigned(word, us, false)) Fail("bad duration " + Quoted(word));
        durations.push_back(us);
      }
      if (durations.empty()) Fail("key " + Quoted(block_.name) + " has no durations");
      block_.dataLine = line_;
      Once(block_.data, field, std::move(durations));
    } else {
      Fail("unknown field " + Quoted(field));
    }
  }

  // One to four bytes, two hex digits each, the lowest first.
  std::uint32_t HexBytes(std::string_view field, std::string_view value) const {
    const std::vector<std::string_view> bytes = text::Words(value);
    if (bytes.empty() || bytes.size() > 4) {
      Fail(Quoted(field) + " needs one to four hex bytes, found " + Quoted(value));
    }
    std::uint32_t result = 0;
    for (std::size_t i = 0; i < bytes.size(); ++i) {
      std::uint64_t byte = 0;
      if (bytes[i].size() != 2 || !text::ParseUnsigned("0x" + std::string(bytes[i]), byte, true)) {
        Fail("bad hex byte " + Quoted(bytes[i]) + " in " + Quoted(field));
      }
      result |= std::uint32_t(byte) << (8 * i);
    }
    return result;
  }

  // A fraction of one, as "0.330000", in whole percent.
  std::uint32_t DutyCycle(std::string_view value) const {
    const std::size_t point = value.find('.');
    const std::string_view whole = value.substr(0, point);
    const std::string_view fraction = point == std::string_view::npos ? "" : value.substr(point + 1);
    std::uint64_t units = 0;
    bool ok = !whole.empty() && whole.size() <= 3 && text::ParseUnsigned(whole, units, false) &&
              fraction.size() <= 9 && (point == std::string_view::npos || !fraction.empty());
    std::uint64_t parts = 0;  // of a billion
    if (ok && !fraction.empty()) {
      ok = text::ParseUnsigned(fraction, parts, false);
      for (std::size_t i = fraction.size(); i < 9; ++i) parts *= 10;
    }
    const std::uint64_t billionths = units * 1'000'000'000 + parts;
    if (!ok || billionths == 0 || billionths > 1'000'000'000) {
      Fail("duty_cycle " + Quoted(value) + " is not a fraction above 0 and at most 1");
    }
    const auto percent = std::uint32_t((billionths + 5'000'000) / 10'000'000);
    return percent == 0 ? 1 : percent;
  }

  void Note(const Block& block, const std::string& why) {
    remote_.notes.push_back(file_ + ":" + std::to_string(block.line) + ": key " +
                            Quoted(block.name) + ": " + why + "; left out");
  }

  void Require(bool present, std::string_view field) const {
    if (!present) {
      throw ParseError(file_, block_.line,
                       "key " + Quoted(block_.name) + " has no " + Quoted(field));
    }
  }
  void Forbid(bool present, std::string_view field) const {
    if (present) {
      throw ParseError(file_, block_.line,
                       "key " + Quoted(block_.name) + " is " + *block_.type + " but gives " +
                           Quoted(field));
    }
  }

  void Finish() {
    if (!open_) return;
    open_ = false;
    const Block& b = block_;
    Require(b.type.has_value(), "type");
    RemoteKey key;
    key.name = b.name;
    key.line = b.line;
    if (*b.type == "parsed") {
      Require(b.protocol.has_value(), "protocol");
      Require(b.address.has_value(), "address");
      Require(b.command.has_value(), "command");
      Forbid(b.frequency.has_value(), "frequency");
      Forbid(b.dutyCycle.has_value(), "duty_cycle");
      Forbid(b.data.has_value(), "data");
      std::string refusal;
      key.protocol = IrdbProtocolRemote(*b.protocol, *b.address, *b.command, refusal);
      if (!key.protocol) return Note(b, refusal);
    } else {
      Require(b.frequency.has_value(), "frequency");
      Require(b.dutyCycle.has_value(), "duty_cycle");
      Require(b.data.has_value(), "data");
      Forbid(b.protocol.has_value(), "protocol");
      Forbid(b.address.has_value(), "address");
      Forbid(b.command.has_value(), "command");
      if (!Capture(b, key)) return;
    }
    if (LeftOutAsSecondOfItsName(remote_, key, file_)) return;
    // What the sharpest press sends is what training sees first: keys alike in it are one
    // key to a receiver.
    Signal tap = PlanPress(remote_, key, false).Expand(0);
    for (std::size_t k = 0; k < taps_.size(); ++k) {
      if (Alike(taps_[k].Durations(), tap.Durations())) {
        const RemoteKey& other = remote_.keys[k];
        return Note(b, "sends the same signal as key " + Quoted(other.name) + " (line " +
                           std::to_string(other.line) + ")");
      }
    }
    taps_.push_back(std::move(tap));
    remote_.keys.push_back(std::move(key));
  }

  // Checks a raw key's durations and plans its press; false when it is left out.
  bool Capture(const Block& b, RemoteKey& key) {
    std::vector<std::uint64_t> data = *b.data;
    if (data.size() > kMaxCaptureDurations) {
      Note(b, std::to_string(data.size()) + " durations, more than the " +
                  std::to_string(kMaxCaptureDurations) + " of any capture");
      return false;
    }
    // A final space is the recorder waiting for more, not part of the signal.
    if (data.size() % 2 == 0) data.pop_back();
    std::size_t burst = 0, longest = 0;
    for (std::size_t i = 0; i < data.size(); ++i) {
      const bool mark = i % 2 == 0;
      const std::uint64_t limit = mark ? kMaxCaptureMarkUs : kMaxCaptureSpaceUs;
      if (data[i] == 0 || data[i] > limit) {
        Note(b, std::string(mark ? "a mark" : "a space") + " of " + std::to_string(data[i]) +
                    " us (duration " + std::to_string(i + 1) +
                    "): beyond what a remote sends (a recorder's overflow value or a glitch)");
        return false;
      }
      if (!mark && data[i] >= kBurstGapUs) {
        burst = 0;
      } else {
        longest = std::max(longest, ++burst);
      }
    }
    if (longest < kMinBurstDurations) {
      Note(b, "no burst of " + std::to_string(kMinBurstDurations) +
                  " durations or more: too little to be a key's signal");
      return false;
    }
    key.raw.assign(data.begin() + std::ptrdiff_t(RecorderGlitch(data)), data.end());
    WithoutLoneFlashes(key.raw);
    key.captured = std::make_shared<const PressPlan>(
        PlanCapture(key.raw, *b.frequency, *b.dutyCycle));
    return true;
  }

  std::string_view text_;
  const std::string& file_;
  int line_ = 0;
  bool sawType_ = false;
  bool sawVersion_ = false;
  bool open_ = false;
  int blocks_ = 0;
  Block block_;
  Remote remote_;
  std::vector<Signal> taps_;  // per key kept
};

}  // namespace

bool LooksLikeIrFile(std::string_view text) {
  const std::size_t end = text.find('\n');
  return Trim(text.substr(0, end)) == kIrFileType;
}

Remote ParseIrFile(std::string_view text, const std::string& file) {
  return IrParser(text, file).Run();
}

Remote LoadIrFile(const std::string& path) { return ParseIrFile(ReadTextFile(path), path); }

}  // namespace ovalink::sim
