#include "sim/ir/lircd_conf.h"

#include "sim/ir/signal.h"
#include "sim/ir/text_file.h"
#include "sim/ir/text_scan.h"

namespace ovalink::sim {

const RemoteKey* Remote::FindKey(std::string_view keyName) const {
  const int index = KeyIndex(keyName);
  return index < 0 ? nullptr : &keys[std::size_t(index)];
}

int Remote::KeyIndex(std::string_view keyName) const {
  for (std::size_t i = 0; i < keys.size(); ++i) {
    if (keys[i].name == keyName) return int(i);
  }
  return -1;
}

bool LeftOutAsSecondOfItsName(Remote& remote, const RemoteKey& key, const std::string& file) {
  const RemoteKey* first = remote.FindKey(key.name);
  if (first == nullptr) return false;
  remote.notes.push_back(file + ":" + std::to_string(key.line) + ": key '" + key.name +
                         "': a second key of that name (the first is at line " +
                         std::to_string(first->line) + "); left out");
  return true;
}

namespace {

using Words = std::vector<std::string_view>;

std::string Quoted(std::string_view word) { return "'" + std::string(word) + "'"; }

struct FlagName {
  std::string_view name;
  std::uint32_t flag;  // 0: a flag of an encoding this simulator cannot send
};

constexpr FlagName kFlagNames[] = {
    {"RAW_CODES", kFlagRawCodes},
    {"RC5", kFlagRc5},
    {"SHIFT_ENC", kFlagRc5},
    {"RC6", kFlagRc6},
    {"SPACE_ENC", kFlagSpaceEnc},
    {"CONST_LENGTH", kFlagConstLength},
    {"NO_HEAD_REP", kFlagNoHeadRep},
    {"NO_FOOT_REP", kFlagNoFootRep},
    {"REPEAT_HEADER", kFlagRepeatHeader},
    {"REVERSE", kFlagReverse},
    {"RCMM", kFlagRcmm},
    {"SPACE_FIRST", 0},
    {"GOLDSTAR", 0},
    {"GRUNDIG", 0},
    {"BO", 0},
    {"SERIAL", 0},
    {"XMP", 0},
};

constexpr std::uint32_t kEncodingFlags = kFlagRc5 | kFlagRc6 | kFlagSpaceEnc | kFlagRcmm;

// The words of a line as the LIRC daemon reads them: a line whose first word begins with
// `#` is a comment; after that a `#` is text where a name is expected (`name #` is a key
// called "#") and begins a trailing comment anywhere else, where no number starts with it.
Words ConfWords(std::string_view line) {
  Words words;
  std::size_t i = 0;
  while (i < line.size()) {
    while (i < line.size() && text::IsBlank(line[i])) ++i;
    if (i >= line.size()) break;
    std::size_t j = i;
    while (j < line.size() && !text::IsBlank(line[j])) ++j;
    const std::string_view word = line.substr(i, j - i);
    if (word[0] == '#' && !(words.size() == 1 && words[0] == "name")) break;
    words.push_back(word);
    i = j;
  }
  return words;
}

class ConfParser {
 public:
  ConfParser(std::string_view text, const std::string& file) : text_(text), file_(file) {}

  std::vector<Remote> Run() {
    text::ForEachLine(text_, [this](int number, std::string_view line) {
      line_ = number;
      const Words words = ConfWords(line);
      if (!words.empty()) Dispatch(words);
    });
    line_ = text::LineCount(text_);
    switch (state_) {
      case State::kOutside:
        break;
      case State::kCodes:
        Fail("missing 'end codes' (codes begun at line " + std::to_string(sectionLine_) + ")");
      case State::kRawCodes:
        Fail("missing 'end raw_codes' (raw codes begun at line " + std::to_string(sectionLine_) +
             ")");
      case State::kRemote:
        Fail("missing 'end remote' (remote begun at line " + std::to_string(remote_.line) + ")");
    }
    return std::move(remotes_);
  }

 private:
  enum class State { kOutside, kRemote, kCodes, kRawCodes };

  [[noreturn]] void Fail(const std::string& message) const { FailAt(line_, message); }
  [[noreturn]] void FailAt(int line, const std::string& message) const {
    throw ParseError(file_, line, message);
  }

  void Dispatch(const Words& w) {
    switch (state_) {
      case State::kOutside:
        return Outside(w);
      case State::kRemote:
        return InRemote(w);
      case State::kCodes:
        return InCodes(w);
      case State::kRawCodes:
        return InRawCodes(w);
    }
  }

  void Outside(const Words& w) {
    if (w[0] == "begin" && w.size() == 2 && w[1] == "remote") {
      remote_ = Remote{};
      remote_.file = file_;
      remote_.line = line_;
      seen_ = Seen{};
      toggleBit_ = 0;
      state_ = State::kRemote;
      return;
    }
    if (w[0] == "include") Fail("include is not supported");
    Fail("expected 'begin remote', found " + Quoted(w[0]));
  }

  void InRemote(const Words& w) {
    if (w[0] == "begin") {
      if (w.size() != 2) Fail("'begin' needs one section name");
      if (w[1] == "remote") {
        Fail("'begin remote' inside the remote begun at line " + std::to_string(remote_.line) +
             " (missing 'end remote'?)");
      }
      if (w[1] != "codes" && w[1] != "raw_codes") Fail("unknown section " + Quoted(w[1]));
      if (seen_.codes || seen_.rawCodes) {
        Fail("a remote has one codes or raw_codes section; another begins here");
      }
      sectionLine_ = line_;
      if (w[1] == "codes") {
        seen_.codes = true;
        state_ = State::kCodes;
      } else {
        seen_.rawCodes = true;
        state_ = State::kRawCodes;
      }
      return;
    }
    if (w[0] == "end") {
      if (w.size() == 2 && w[1] == "remote") {
        FinishRemote();
        state_ = State::kOutside;
        return;
      }
      Fail("unexpected " + Quoted(std::string(w[0]) + (w.size() > 1 ? " " + std::string(w[1]) : "")) +
           " in remote");
    }
    Keyword(w);
  }

  void InCodes(const Words& w) {
    if (w[0] == "end") {
      if (w.size() == 2 && w[1] == "codes") {
        state_ = State::kRemote;
        return;
      }
      Fail("expected 'end codes'");
    }
    if (w[0] == "begin") Fail("'begin' inside codes (missing 'end codes'?)");
    if (w.size() < 2) Fail("key " + Quoted(w[0]) + " has no code");
    RemoteKey key;
    key.name = std::string(w[0]);
    key.line = line_;
    for (std::size_t i = 1; i < w.size(); ++i) key.codes.push_back(Code(w[i]));
    Keep(std::move(key));
  }

  void Keep(RemoteKey key) {
    if (!LeftOutAsSecondOfItsName(remote_, key, file_)) remote_.keys.push_back(std::move(key));
  }

  void InRawCodes(const Words& w) {
    if (w[0] == "end") {
      if (w.size() == 2 && w[1] == "raw_codes") {
        FinishRawKey();
        state_ = State::kRemote;
        return;
      }
      Fail("expected 'end raw_codes'");
    }
    if (w[0] == "begin") Fail("'begin' inside raw_codes (missing 'end raw_codes'?)");
    if (w[0] == "name") {
      if (w.size() != 2) Fail("'name' needs exactly one key name");
      FinishRawKey();
      rawKey_ = RemoteKey{};
      rawKey_.name = std::string(w[1]);
      rawKey_.line = line_;
      haveRawKey_ = true;
      return;
    }
    if (!haveRawKey_) Fail("durations before the first 'name'");
    for (std::string_view word : w) rawKey_.raw.push_back(Duration(word, kMaxTimingUs, false));
  }

  void FinishRawKey() {
    if (!haveRawKey_) return;
    haveRawKey_ = false;
    const std::size_t n = rawKey_.raw.size();
    if (n == 0) FailAt(rawKey_.line, "raw code " + Quoted(rawKey_.name) + " has no durations");
    if (n % 2 == 0) {
      FailAt(rawKey_.line, "raw code " + Quoted(rawKey_.name) + " has " + std::to_string(n) +
                               " durations; pulses and spaces alternate from a pulse and end "
                               "with a pulse, so the count must be odd");
    }
    Keep(std::move(rawKey_));
  }

  // --- values ---------------------------------------------------------------------------

  std::uint64_t Number(std::string_view word, bool hexAllowed) const {
    if (!word.empty() && word[0] == '-') Fail("negative value " + Quoted(word));
    std::uint64_t v = 0;
    if (!text::ParseUnsigned(word, v, hexAllowed)) {
      Fail("bad number " + Quoted(word));
    }
    return v;
  }

  std::uint64_t Code(std::string_view word) const { return Number(word, true); }

  std::uint32_t Duration(std::string_view word, std::uint32_t max, bool zeroAllowed) const {
    if (!word.empty() && word[0] == '-') Fail("negative duration " + Quoted(word));
    std::uint64_t v = 0;
    if (!text::ParseUnsigned(word, v, false)) Fail("bad duration " + Quoted(word));
    if (v > max) {
      Fail("duration " + std::string(word) + " us is beyond the limit of " + std::to_string(max) +
           " us");
    }
    if (v == 0 && !zeroAllowed) Fail("zero duration");
    return std::uint32_t(v);
  }

  int Integer(std::string_view keyword, std::string_view word, int lo, int hi) const {
    const std::uint64_t v = Number(word, false);
    if (v < std::uint64_t(lo) || v > std::uint64_t(hi)) {
      Fail(std::string(keyword) + " " + std::string(word) + " is outside " + std::to_string(lo) +
           ".." + std::to_string(hi));
    }
    return int(v);
  }

  void Arity(const Words& w, std::size_t lo, std::size_t hi) const {
    const std::size_t n = w.size() - 1;
    if (n < lo || n > hi) {
      std::string expected = std::to_string(lo);
      if (hi != lo) expected += hi > 100 ? " or more" : " or " + std::to_string(hi);
      Fail(Quoted(w[0]) + " needs " + expected + (lo == 1 && hi == 1 ? " value" : " values") +
           ", found " + std::to_string(n));
    }
  }

  PulseSpace Pair(const Words& w) const {
    Arity(w, 2, 2);
    return {Duration(w[1], kMaxTimingUs, true), Duration(w[2], kMaxTimingUs, true)};
  }

  void Flags(const Words& w) {
    Arity(w, 1, 1000);
    std::string joined;
    for (std::size_t i = 1; i < w.size(); ++i) joined += w[i];
    std::uint32_t flags = 0;
    std::size_t start = 0;
    while (true) {
      const std::size_t bar = joined.find('|', start);
      const std::string name =
          joined.substr(start, bar == std::string::npos ? std::string::npos : bar - start);
      if (name.empty()) Fail("empty flag in " + Quoted(joined));
      const FlagName* found = nullptr;
      for (const FlagName& f : kFlagNames) {
        if (f.name == name) found = &f;
      }
      if (!found) Fail("unknown flag " + name);
      if (found->flag == 0) Fail("flag " + name + " names an encoding that cannot be simulated");
      flags |= found->flag;
      if (bar == std::string::npos) break;
      start = bar + 1;
    }
    const std::uint32_t encodings = flags & kEncodingFlags;
    if (encodings & (encodings - 1)) Fail("flags name more than one encoding");
    remote_.flags = flags;
    seen_.flagsLine = line_;
  }

  void Keyword(const Words& w) {
    const std::string_view k = w[0];
    Remote& r = remote_;
    if (k == "name") {
      Arity(w, 1, 1);
      r.name = std::string(w[1]);
    } else if (k == "bits") {
      Arity(w, 1, 1);
      r.bits = Integer(k, w[1], 0, 64);
      seen_.bitsLine = line_;
    } else if (k == "flags") {
      Flags(w);
    } else if (k == "eps") {
      Arity(w, 1, 1);
      r.eps = Integer(k, w[1], 0, 100);
    } else if (k == "aeps") {
      Arity(w, 1, 1);
      r.aeps = int(Duration(w[1], kMaxTimingUs, true));
    } else if (k == "header") {
      r.header = Pair(w);
    } else if (k == "one") {
      r.one = Pair(w);
    } else if (k == "zero") {
      r.zero = Pair(w);
    } else if (k == "foot") {
      r.foot = Pair(w);
    } else if (k == "repeat") {
      r.repeat = Pair(w);
    } else if (k == "pre") {
      r.pre = Pair(w);
    } else if (k == "post") {
      r.post = Pair(w);
    } else if (k == "two") {
      r.two = Pair(w);
    } else if (k == "three") {
      r.three = Pair(w);
    } else if (k == "plead") {
      Arity(w, 1, 1);
      r.plead = Duration(w[1], kMaxTimingUs, true);
    } else if (k == "ptrail") {
      Arity(w, 1, 1);
      r.ptrail = Duration(w[1], kMaxTimingUs, true);
    } else if (k == "pre_data_bits") {
      Arity(w, 1, 1);
      r.preDataBits = Integer(k, w[1], 0, 64);
      seen_.preBitsLine = line_;
    } else if (k == "pre_data") {
      Arity(w, 1, 1);
      r.preData = Code(w[1]);
      seen_.preDataLine = line_;
    } else if (k == "post_data_bits") {
      Arity(w, 1, 1);
      r.postDataBits = Integer(k, w[1], 0, 64);
      seen_.postBitsLine = line_;
    } else if (k == "post_data") {
      Arity(w, 1, 1);
      r.postData = Code(w[1]);
      seen_.postDataLine = line_;
    } else if (k == "gap") {
      // A second value is the upper end of a measured range; the lower one is what is sent.
      Arity(w, 1, 2);
      r.gap = Duration(w[1], kMaxGapUs, true);
      if (w.size() == 3) Duration(w[2], kMaxGapUs, true);
    } else if (k == "repeat_gap") {
      Arity(w, 1, 1);
      r.repeatGap = Duration(w[1], kMaxGapUs, true);
    } else if (k == "min_repeat") {
      Arity(w, 1, 1);
      r.minRepeat = Integer(k, w[1], 0, 100);
    } else if (k == "toggle_bit") {
      Arity(w, 1, 1);
      toggleBit_ = Integer(k, w[1], 0, 64);
      seen_.toggleBitLine = line_;
    } else if (k == "toggle_bit_mask") {
      Arity(w, 1, 1);
      r.toggleBitMask = Code(w[1]);
      seen_.toggleMaskLine = line_;
    } else if (k == "rc6_mask") {
      Arity(w, 1, 1);
      r.rc6Mask = Code(w[1]);
      seen_.rc6MaskLine = line_;
    } else if (k == "frequency") {
      Arity(w, 1, 1);
      const std::uint64_t hz = Number(w[1], false);
      if (hz != 0 && (hz < 10'000 || hz > 500'000)) {
        Fail("frequency " + std::string(w[1]) + " Hz is outside 10000..500000 (or 0 for none)");
      }
      r.frequency = std::uint32_t(hz);
      seen_.frequency = true;
    } else if (k == "duty_cycle") {
      Arity(w, 1, 1);
      r.dutyCycle = std::uint32_t(Integer(k, w[1], 1, 100));
    } else if (k == "ignore_mask" || k == "repeat_mask" || k == "toggle_mask") {
      Arity(w, 1, 1);
      Code(w[1]);  // receive-side masks: nothing to send
    } else if (k == "suppress_repeat" || k == "min_code_repeat" || k == "receive_timeout" ||
               k == "baud") {
      Arity(w, 1, 1);
      Number(w[1], false);
    } else if (k == "driver" || k == "serial_mode" || k == "manual_sort") {
      Arity(w, 1, 1);
    } else {
      Fail("unknown keyword " + Quoted(k));
    }
  }

  // --- checks once the whole remote is known ------------------------------------------------

  static bool Fits(std::uint64_t value, int bits) {
    return bits >= 64 || (value >> bits) == 0;
  }

  int LineOr(int line) const { return line > 0 ? line : remote_.line; }

  void FinishRemote() {
    Remote& r = remote_;
    if (r.name.empty()) Fail("remote begun at line " + std::to_string(r.line) + " has no name");
    if (seen_.rawCodes) {
      if (r.Has(kFlagRawCodes) || !(r.flags & kEncodingFlags)) r.flags |= kFlagRawCodes;
    } else if (r.Has(kFlagRawCodes)) {
      FailAt(LineOr(seen_.flagsLine), "RAW_CODES remote without a raw_codes section");
    }
    if (!r.IsRaw()) {
      if (!(r.flags & kEncodingFlags)) r.flags |= kFlagSpaceEnc;
      CheckCodedRemote();
    }
    if (!seen_.frequency) r.frequency = r.IsBiphase() || r.IsRcmm() ? 36000 : kDefaultCarrierHz;
    remotes_.push_back(std::move(r));
  }

  void CheckCodedRemote() {
    Remote& r = remote_;
    const int total = r.TotalBits();
    if (r.bits == 0 && !r.keys.empty()) FailAt(LineOr(seen_.bitsLine), "'bits' is missing or 0");
    if (total > 64) {
      FailAt(LineOr(seen_.bitsLine), "pre_data_bits + bits + post_data_bits = " +
                                         std::to_string(total) + ", more than 64");
    }
    if (!Fits(r.preData, r.preDataBits)) {
      FailAt(LineOr(seen_.preDataLine),
             "pre_data is wider than pre_data_bits " + std::to_string(r.preDataBits));
    }
    if (!Fits(r.postData, r.postDataBits)) {
      FailAt(LineOr(seen_.postDataLine),
             "post_data is wider than post_data_bits " + std::to_string(r.postDataBits));
    }
    // A bit without pulse or space would merge with its neighbours into one long mark or
    // silence.
    auto usable = [](const PulseSpace& p) { return p.pulse > 0 && p.space > 0; };
    if (!r.keys.empty() && (!usable(r.one) || !usable(r.zero))) {
      FailAt(r.keys.front().line, "'one' and 'zero' must be given with a pulse and a space");
    }
    if (r.IsRcmm()) {
      if (!r.keys.empty() && (!usable(r.two) || !usable(r.three))) {
        FailAt(r.keys.front().line, "RC-MM needs 'two' and 'three' with a pulse and a space");
      }
      if (r.preDataBits % 2 || r.bits % 2 || r.postDataBits % 2) {
        FailAt(LineOr(seen_.bitsLine),
               "RC-MM sends two bits a symbol: pre_data_bits, bits and post_data_bits must be "
               "even");
      }
    }
    for (const RemoteKey& key : r.keys) {
      for (std::uint64_t code : key.codes) {
        if (!Fits(code, r.bits)) {
          FailAt(key.line, "code of " + Quoted(key.name) + " is wider than bits " +
                               std::to_string(r.bits));
        }
      }
    }
    if (toggleBit_ > 0) {
      if (toggleBit_ > total) {
        FailAt(seen_.toggleBitLine, "toggle_bit " + std::to_string(toggleBit_) +
                                        " is beyond the " + std::to_string(total) + " bits sent");
      }
      // Counted from the first bit sent, 1-based.
      const std::uint64_t mask = std::uint64_t(1) << (total - toggleBit_);
      if (r.toggleBitMask == 0) r.toggleBitMask = mask;
      if (r.Has(kFlagRc6) && r.rc6Mask == 0) r.rc6Mask = mask;
    }
    if (!Fits(r.toggleBitMask, total)) {
      FailAt(LineOr(seen_.toggleMaskLine),
             "toggle_bit_mask is wider than the " + std::to_string(total) + " bits sent");
    }
    if (!Fits(r.rc6Mask, total)) {
      FailAt(LineOr(seen_.rc6MaskLine),
             "rc6_mask is wider than the " + std::to_string(total) + " bits sent");
    }
  }

  struct Seen {
    bool codes = false;
    bool rawCodes = false;
    bool frequency = false;
    int flagsLine = 0, bitsLine = 0, preBitsLine = 0, preDataLine = 0, postBitsLine = 0,
        postDataLine = 0, toggleBitLine = 0, toggleMaskLine = 0, rc6MaskLine = 0;
  };

  std::string_view text_;
  const std::string& file_;
  int line_ = 0;
  State state_ = State::kOutside;
  int sectionLine_ = 0;
  Remote remote_;
  Seen seen_;
  int toggleBit_ = 0;
  RemoteKey rawKey_;
  bool haveRawKey_ = false;
  std::vector<Remote> remotes_;
};

}  // namespace

std::vector<Remote> ParseLircdConf(std::string_view text, const std::string& file) {
  return ConfParser(text, file).Run();
}

std::vector<Remote> LoadLircdConf(const std::string& path) {
  return ParseLircdConf(ReadTextFile(path), path);
}

}  // namespace ovalink::sim
