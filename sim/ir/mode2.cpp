#include "sim/ir/mode2.h"

#include <sstream>

#include "sim/ir/mode2_writer.h"
#include "sim/ir/text_file.h"
#include "sim/ir/text_scan.h"

namespace ovalink::sim {

namespace {

class Mode2Parser {
 public:
  explicit Mode2Parser(const std::string& file) : file_(file) {}

  Signal Run(std::string_view text) {
    text::ForEachLine(text, [this](int number, std::string_view line) {
      line_ = number;
      const auto words = text::Words(line);
      if (!words.empty()) Line(words);
    });
    line_ = text::LineCount(text);
    if (signal_.Empty()) Fail("no pulse in the signal");
    return std::move(signal_);
  }

 private:
  enum class Last { kNothing, kPulse, kSpace };

  [[noreturn]] void Fail(const std::string& message) const {
    throw ParseError(file_, line_, message);
  }

  std::uint32_t Value(std::string_view word, std::uint32_t max, const char* what) const {
    if (!word.empty() && word[0] == '-') Fail(std::string("negative ") + what);
    std::uint64_t v = 0;
    if (!text::ParseUnsigned(word, v, false)) Fail("bad number '" + std::string(word) + "'");
    if (v == 0) Fail(std::string("zero ") + what);
    if (v > max) {
      Fail(std::string(what) + " " + std::string(word) + " is beyond the limit of " +
           std::to_string(max));
    }
    return std::uint32_t(v);
  }

  void Pulse(std::uint32_t us) {
    if (last_ == Last::kPulse) Fail("two pulses in a row");
    signal_.AddMark(us);
    last_ = Last::kPulse;
  }

  void Space(std::uint32_t us, bool timeout) {
    if (last_ == Last::kSpace && !timeout) Fail("two spaces in a row");
    signal_.AddSpace(us);  // dropped while no pulse has come yet
    if (!signal_.Empty()) last_ = Last::kSpace;
  }

  void Line(const std::vector<std::string_view>& w) {
    const std::string_view k = w[0];
    if (k[0] == '+' || k[0] == '-') {
      for (std::string_view word : w) {
        if (word.size() < 2 || (word[0] != '+' && word[0] != '-')) {
          Fail("expected +N or -N, found '" + std::string(word) + "'");
        }
        if (word[0] == '+') {
          Pulse(Value(word.substr(1), kMaxMode2PulseUs, "pulse"));
        } else {
          Space(Value(word.substr(1), kMaxMode2SpaceUs, "space"), false);
        }
      }
      return;
    }
    if (w.size() != 2) {
      Fail("'" + std::string(k) + "' needs one value, found " + std::to_string(w.size() - 1));
    }
    if (k == "pulse") {
      Pulse(Value(w[1], kMaxMode2PulseUs, "pulse"));
    } else if (k == "space") {
      Space(Value(w[1], kMaxMode2SpaceUs, "space"), false);
    } else if (k == "timeout") {
      Space(Value(w[1], kMaxMode2SpaceUs, "timeout"), true);
    } else if (k == "carrier") {
      std::uint64_t hz = 0;
      if (!text::ParseUnsigned(w[1], hz, false)) Fail("bad number '" + std::string(w[1]) + "'");
      if (hz != 0 && (hz < 10'000 || hz > 500'000)) {
        Fail("carrier " + std::string(w[1]) + " Hz is outside 10000..500000 (or 0 for none)");
      }
      signal_.SetCarrierHz(std::uint32_t(hz));
    } else {
      Fail("unknown keyword '" + std::string(k) + "'");
    }
  }

  const std::string& file_;
  int line_ = 0;
  Signal signal_;
  Last last_ = Last::kNothing;
};

}  // namespace

Signal ParseMode2(std::string_view text, const std::string& file) {
  return Mode2Parser(file).Run(text);
}

Signal LoadMode2(const std::string& path) { return ParseMode2(ReadTextFile(path), path); }

std::string FormatMode2(const Signal& signal) {
  std::ostringstream out;
  Mode2Writer writer(out, signal.CarrierHz());
  writer.Append(signal);
  writer.Finish();
  return out.str();
}

}  // namespace ovalink::sim
