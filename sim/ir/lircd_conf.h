#pragma once
// Remotes described in the lircd.conf format: the space-encoded family, RC5 and RC6
// bi-phase, RC-MM, and raw codes. Only what is needed to re-create a remote's light is kept.

#include <cstdint>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

#include "sim/ir/parse_error.h"

namespace ovalink::sim {

struct PressPlan;
struct Remote;

// The `flags` that change what a remote sends.
enum RemoteFlag : std::uint32_t {
  kFlagRawCodes = 1u << 0,
  kFlagRc5 = 1u << 1,  // also written SHIFT_ENC
  kFlagRc6 = 1u << 2,
  kFlagSpaceEnc = 1u << 3,
  kFlagConstLength = 1u << 4,
  kFlagNoHeadRep = 1u << 5,
  kFlagNoFootRep = 1u << 6,
  kFlagRepeatHeader = 1u << 7,
  kFlagReverse = 1u << 8,
  kFlagRcmm = 1u << 9,  // two bits a symbol: zero, one, two, three stand for 00, 01, 10, 11
};

struct PulseSpace {
  std::uint32_t pulse = 0;
  std::uint32_t space = 0;
};

struct RemoteKey {
  std::string name;
  // Codes (without pre/post data), sent one after another; empty for a raw key.
  std::vector<std::uint64_t> codes;
  // A raw key's durations in µs: pulses at even indices, ending with a pulse.
  std::vector<std::uint32_t> raw;
  int line = 0;
  // Keys of a file that mixes protocols (the .ir captures): a key named by protocol is the
  // first key of its own one-key remote; a raw capture comes with what a press of it sends.
  std::shared_ptr<const Remote> protocol;
  std::shared_ptr<const PressPlan> captured;
};

struct Remote {
  std::string name;
  std::string file;
  int line = 0;  // of `begin remote`

  int bits = 0;
  std::uint32_t flags = 0;
  int eps = 30;    // receive tolerances; kept for completeness, not used to send
  int aeps = 100;
  PulseSpace header, one, zero, two, three, foot, repeat, pre, post;
  std::uint32_t plead = 0;
  std::uint32_t ptrail = 0;
  int preDataBits = 0;
  std::uint64_t preData = 0;
  int postDataBits = 0;
  std::uint64_t postData = 0;
  std::uint32_t gap = 0;
  std::uint32_t repeatGap = 0;
  int minRepeat = 0;
  // Bits of pre_data|code|post_data flipped on every other press (`toggle_bit` resolved).
  std::uint64_t toggleBitMask = 0;
  // Bi-phase bits of double length (the RC6 trailer bit), same positions.
  std::uint64_t rc6Mask = 0;
  // Carrier; when the file names none, 36 kHz for RC5/RC6 and 38 kHz otherwise.
  std::uint32_t frequency = 0;
  std::uint32_t dutyCycle = 50;
  std::vector<RemoteKey> keys;
  // Keys the reader left out, and why, one sentence each.
  std::vector<std::string> notes;

  bool Has(RemoteFlag flag) const { return (flags & flag) != 0; }
  bool IsRaw() const { return Has(kFlagRawCodes); }
  bool IsBiphase() const { return Has(kFlagRc5) || Has(kFlagRc6); }
  bool IsRcmm() const { return Has(kFlagRcmm); }
  bool HasRepeatCode() const { return repeat.pulse > 0 && repeat.space > 0; }
  bool HasHeader() const { return header.pulse > 0 && header.space > 0; }
  int TotalBits() const { return preDataBits + bits + postDataBits; }
  // The first key of that name, or nullptr.
  const RemoteKey* FindKey(std::string_view keyName) const;
  // Index of the first key of that name, or -1.
  int KeyIndex(std::string_view keyName) const;
};

// Keys are chosen by name, so a key with the name of one kept before it could never be sent:
// notes it in `remote` as left out (at its line of `file`) and returns true.
bool LeftOutAsSecondOfItsName(Remote& remote, const RemoteKey& key, const std::string& file);

// Longest pulse or space a definition may ask for, and the longest gap. With these, all
// that a remote sends fits mode2's 24-bit durations.
constexpr std::uint32_t kMaxTimingUs = 1'000'000;
constexpr std::uint32_t kMaxGapUs = 2'000'000;

// Every remote in `text`; `file` names it in messages. Throws ParseError ("file:line: ...")
// for anything malformed or beyond what can be sent.
std::vector<Remote> ParseLircdConf(std::string_view text, const std::string& file);
// Reads `path` and parses it; an unreadable file is a ParseError without a line.
std::vector<Remote> LoadLircdConf(const std::string& path);

}  // namespace ovalink::sim
