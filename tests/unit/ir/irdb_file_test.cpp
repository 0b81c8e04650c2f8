// The .ir reader's contract: parsed keys send what the lab's own protocol remotes send,
// raw keys load with what a press sends, keys the lab cannot send are left out with a
// note, and anything malformed is refused at its line.

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <string>
#include <vector>

#include "sim/ir/builtin_remotes.h"
#include "sim/ir/capture_plan.h"
#include "sim/ir/irdb_file.h"
#include "sim/ir/synthesis.h"
#include "sim/ir/text_file.h"
#include "support/scratch_dir.h"

namespace ovalink::sim {
namespace {

using ::testing::HasSubstr;
using ::testing::StartsWith;

constexpr char kHeader[] = "Filetype: IR signals file\nVersion: 1\n";

std::string Parsed(const std::string& name, const std::string& protocol, const std::string& address,
                   const std::string& command) {
  return "#\nname: " + name + "\ntype: parsed\nprotocol: " + protocol + "\naddress: " + address +
         "\ncommand: " + command + "\n";
}

std::string Raw(const std::string& name, const std::vector<std::uint32_t>& data) {
  std::string text = "#\nname: " + name + "\ntype: raw\nfrequency: 38000\nduty_cycle: 0.330000\ndata:";
  for (std::uint32_t d : data) text += " " + std::to_string(d);
  return text + "\n";
}

// A plausible key of its own: n durations, alternating 600 and 900 µs after a 3 ms lead.
std::vector<std::uint32_t> Frame(std::size_t n, std::uint32_t lead = 3000) {
  std::vector<std::uint32_t> d{lead};
  while (d.size() < n) d.push_back(d.size() % 4 < 2 ? 600 : 900);
  return d;
}

struct ProtocolCase {
  const char* protocol;
  const char* address;
  const char* command;
  const char* builtin;
  const char* key;
};

class IrdbParsedKeys : public ::testing::TestWithParam<ProtocolCase> {};

// Each protocol key, spelled as the database spells it, sends exactly what the built-in
// remote's key with the same address and command sends, held or not, toggled or not.
TEST_P(IrdbParsedKeys, SendWhatTheLabsOwnRemoteSends) {
  const ProtocolCase& c = GetParam();
  const Remote ir = ParseIrFile(kHeader + Parsed("K", c.protocol, c.address, c.command), "t.ir");
  ASSERT_EQ(ir.keys.size(), 1u) << (ir.notes.empty() ? "" : ir.notes.front());
  const Remote builtin = LoadRemote(std::string("builtin:") + c.builtin);
  for (bool toggled : {false, true}) {
    const PressPlan got = PlanPress(ir, ir.keys[0], toggled);
    const PressPlan want = PlanPress(builtin, *builtin.FindKey(c.key), toggled);
    EXPECT_EQ(got.Expand(600'000), want.Expand(600'000)) << c.protocol << " toggled " << toggled;
    EXPECT_EQ(got.Expand(0), want.Expand(0));
    EXPECT_EQ(got.minFrames, want.minFrames);
    EXPECT_EQ(got.carrierHz, want.carrierHz);
  }
}

INSTANTIATE_TEST_SUITE_P(
    Protocols, IrdbParsedKeys,
    ::testing::Values(
        ProtocolCase{"NEC", "04 00 00 00", "11 00 00 00", "nec", "KEY_1"},
        ProtocolCase{"NECext", "04 FB 00 00", "11 EE 00 00", "nec", "KEY_1"},
        ProtocolCase{"Samsung32", "07 00 00 00", "46 00 00 00", "samsung32", "KEY_STOP"},
        ProtocolCase{"RC5", "00 00 00 00", "36 00 00 00", "rc5", "KEY_STOP"},
        ProtocolCase{"RC6", "00 00 00 00", "31 00 00 00", "rc6", "KEY_STOP"},
        ProtocolCase{"SIRC", "01 00 00 00", "1A 00 00 00", "sony12", "KEY_PLAY"},
        ProtocolCase{"SIRC15", "97 00 00 00", "18 00 00 00", "sony15", "KEY_STOP"},
        ProtocolCase{"SIRC20", "3A 09 00 00", "18 00 00 00", "sony20", "KEY_STOP"},
        ProtocolCase{"Kaseikyo", "80 02 20 00", "60 00 00 00", "panasonic", "KEY_PAUSE"}),
    [](const ::testing::TestParamInfo<ProtocolCase>& info) { return std::string(info.param.protocol); });

TEST(IrdbParsedKeysOwn, NecVariantsAndPioneerLayTheirBitsOutLowestFirst) {
  const Remote ir = ParseIrFile(std::string(kHeader) + Parsed("rc5x", "RC5X", "05", "01") +
                                    Parsed("nec42", "NEC42", "01 10", "80") +
                                    Parsed("pioneer", "Pioneer", "AD", "40"),
                                "t.ir");
  ASSERT_EQ(ir.keys.size(), 3u);
  // RC5X: the second start bit is clear, so its mark joins the first start bit's.
  const auto rc5x = PlanPress(ir, ir.keys[0], false).first[0].light.Durations();
  EXPECT_EQ(rc5x[0], 1778u);
  EXPECT_EQ(rc5x[1], 889u);
  // NEC42: address 0x1001 (13 bits), its complement, the command, its complement.
  const auto nec42 = PlanPress(ir, ir.keys[1], false).first[0].light.Durations();
  ASSERT_EQ(nec42.size(), 2u + 2 * 42 + 1);
  auto bit = [&](std::size_t i) { return nec42[3 + 2 * i] > 1000; };
  EXPECT_TRUE(bit(0));
  EXPECT_FALSE(bit(1));
  EXPECT_TRUE(bit(12));
  EXPECT_FALSE(bit(13));
  EXPECT_TRUE(bit(14));
  EXPECT_TRUE(bit(26 + 7));
  EXPECT_FALSE(bit(34 + 7));
  // Pioneer: 40 kHz, its own leader, every press sends the frame twice.
  const PressPlan pioneer = PlanPress(ir, ir.keys[2], false);
  EXPECT_EQ(pioneer.carrierHz, 40000u);
  EXPECT_EQ(pioneer.minFrames, 2u);
  EXPECT_EQ(pioneer.first[0].light.Durations()[0], 8500u);
  EXPECT_EQ(pioneer.first[0].light.Durations().size(), 2u + 64 + 1);
}

struct RefusalCase {
  const char* what;
  std::string block;
  const char* note;  // nullptr: the key loads
};

// A key the lab cannot send is left out with a note at its line; the key after it loads.
TEST(IrdbRefusals, KeysThatCannotBeSentAreLeftOutWithANote) {
  std::vector<std::uint32_t> longMark = Frame(9), tooLongMark = Frame(9);
  longMark[2] = 20'000;
  tooLongMark[2] = 20'001;
  std::vector<std::uint32_t> longSpace = Frame(9), tooLongSpace = Frame(9);
  longSpace.insert(longSpace.end(), {1'000'000, 600});
  tooLongSpace.insert(tooLongSpace.end(), {1'000'001, 600});
  std::vector<std::uint32_t> zero = Frame(9);
  zero[4] = 0;
  // Bursts hold an odd number of durations: 5 is below the handful, 7 is one.
  std::vector<std::uint32_t> fewBursts = Frame(5);
  fewBursts.insert(fewBursts.end(), {20'000, 600, 20'000, 600});
  std::vector<std::uint32_t> handful = Frame(7);
  handful.insert(handful.end(), {20'000, 600});
  // The count is taken as written: a final space still counts.
  const std::vector<std::uint32_t> most = Frame(4096);
  const std::vector<std::uint32_t> tooMany = Frame(4097);
  const RefusalCase cases[] = {
      {"unknown protocol", Parsed("K", "RCA", "0F", "2A"), "protocol RCA is not one the lab can send"},
      {"address too wide", Parsed("K", "NEC", "00 01", "01"), "address 0x100 is wider than NEC's 8 bits"},
      {"command too wide", Parsed("K", "RC5", "01", "40"), "command 0x40 is wider than RC5's 6 bits"},
      {"widest values", Parsed("K", "NECext", "FF FF", "FF FF"), nullptr},
      {"longest mark", Raw("K", longMark), nullptr},
      {"mark too long", Raw("K", tooLongMark), "a mark of 20001 us (duration 3)"},
      {"longest space", Raw("K", longSpace), nullptr},
      {"space too long", Raw("K", tooLongSpace), "a space of 1000001 us (duration 10)"},
      {"zero", Raw("K", zero), "a mark of 0 us (duration 5)"},
      {"bursts too short", Raw("K", fewBursts), "no burst of 7 durations or more"},
      {"a handful", Raw("K", handful), nullptr},
      {"most durations", Raw("K", most), nullptr},
      {"too many", Raw("K", tooMany), "4097 durations, more than the 4096"},
  };
  for (const RefusalCase& c : cases) {
    const std::string text = kHeader + c.block + Parsed("Next", "NEC", "04", "08");
    const Remote remote = ParseIrFile(text, "t.ir");
    if (!c.note) {
      EXPECT_EQ(remote.keys.size(), 2u) << c.what;
      EXPECT_TRUE(remote.notes.empty()) << c.what << ": " << remote.notes.front();
      continue;
    }
    ASSERT_EQ(remote.keys.size(), 1u) << c.what;
    EXPECT_EQ(remote.keys[0].name, "Next");
    ASSERT_EQ(remote.notes.size(), 1u) << c.what;
    EXPECT_THAT(remote.notes[0], StartsWith("t.ir:4: key 'K': ")) << c.what;
    EXPECT_THAT(remote.notes[0], HasSubstr(c.note)) << c.what;
  }
}

TEST(IrdbRawKeys, TheRecordersGlitchBeforeTheSignalIsNotSent) {
  const std::vector<std::uint32_t> frame = Frame(67, 9000);
  const auto after = [&](std::vector<std::uint32_t> glitch) {
    glitch.insert(glitch.end(), frame.begin(), frame.end());
    return glitch;
  };
  struct GlitchCase {
    const char* what;
    std::vector<std::uint32_t> data;
    bool dropped;
  };
  const GlitchCase cases[] = {
      {"a short flash", after({349, 10'000}), true},
      {"a flash as long as a mark", after({350, 10'000}), false},
      {"two flashes", after({200, 300, 349, 60'000}), true},
      {"three flashes", after({200, 300, 200, 300, 200, 60'000}), false},
      {"a flash too close to end a burst", after({200, 9'999}), false},
  };
  for (const GlitchCase& c : cases) {
    const Remote remote = ParseIrFile(std::string(kHeader) + Raw("K", c.data), "t.ir");
    ASSERT_EQ(remote.keys.size(), 1u) << c.what;
    EXPECT_TRUE(remote.notes.empty()) << c.what;
    const std::vector<std::uint32_t>& sent = c.dropped ? frame : c.data;
    EXPECT_EQ(remote.keys[0].raw, sent) << c.what;
  }
  // Without the glitch too little is left to be a key's signal.
  const Remote rest = ParseIrFile(std::string(kHeader) + Raw("K", {200, 20'000, 600, 500, 600}) +
                                      Parsed("Next", "NEC", "04", "08"),
                                  "t.ir");
  ASSERT_EQ(rest.notes.size(), 1u);
  EXPECT_THAT(rest.notes[0], HasSubstr("no burst of 7 durations or more"));
}

// Light the recorder caught between or after a remote's frames (a lamp, a reflection): a flash
// as short, alone between silences that each end a train.
TEST(IrdbRawKeys, TheRecordersLoneFlashesAmidTheSignalAreNotSent) {
  const std::vector<std::uint32_t> frame = Frame(67, 9000);
  const auto join = [](std::initializer_list<std::vector<std::uint32_t>> parts) {
    std::vector<std::uint32_t> all;
    for (const auto& part : parts) all.insert(all.end(), part.begin(), part.end());
    return all;
  };
  struct FlashCase {
    const char* what;
    std::vector<std::uint32_t> data;
    std::vector<std::uint32_t> sent;
  };
  const std::vector<std::uint32_t> flashBetween = join({frame, {15'000, 349, 15'000}, frame});
  const std::vector<std::uint32_t> flashAtTheEnd = join({frame, {15'000, 200}});
  const FlashCase cases[] = {
      {"between frames", flashBetween, join({frame, {30'349}, frame})},
      {"as long as a mark", join({frame, {15'000, 350, 15'000}, frame}), {}},
      {"too close to the frame before", join({frame, {14'999, 200, 15'000}, frame}), {}},
      {"too close to the frame after", join({frame, {15'000, 200, 14'999}, frame}), {}},
      {"ending the capture", flashAtTheEnd, frame},
      {"ending the capture too close", join({frame, {14'999, 200}}), {}},
      {"two in a row", join({frame, {20'000, 200, 20'000, 300, 40'000}, frame}),
       join({frame, {80'500}, frame})},
  };
  for (const FlashCase& c : cases) {
    const Remote remote = ParseIrFile(std::string(kHeader) + Raw("K", c.data), "t.ir");
    ASSERT_EQ(remote.keys.size(), 1u) << c.what;
    EXPECT_EQ(remote.keys[0].raw, c.sent.empty() ? c.data : c.sent) << c.what;
  }
}

TEST(IrdbRefusals, AKeyAlikeAnEarlierOneIsLeftOutNamingIt) {
  std::vector<std::uint32_t> capture = Frame(67, 9000);
  std::vector<std::uint32_t> jittered = capture;
  for (std::size_t i = 0; i < jittered.size(); ++i) jittered[i] += i % 2 == 0 ? 60 : 0;
  const Remote remote = ParseIrFile(std::string(kHeader) + Raw("A", capture) +
                                        Parsed("B", "NEC", "04", "08") + Raw("C", jittered) +
                                        Parsed("D", "NEC", "04", "08"),
                                    "t.ir");
  ASSERT_EQ(remote.keys.size(), 2u);
  ASSERT_EQ(remote.notes.size(), 2u);
  EXPECT_EQ(remote.notes[0], "t.ir:16: key 'C': sends the same signal as key 'A' (line 4); left out");
  EXPECT_THAT(remote.notes[1], HasSubstr("key 'D': sends the same signal as key 'B' (line 10)"));
}

// A key is chosen by its name: of two with one name the first is kept, unless the reader left
// it out, and then the second is the only key of that name.
TEST(IrdbRefusals, ASecondKeyOfANameIsLeftOut) {
  const Remote remote = ParseIrFile(std::string(kHeader) + Raw("A", Frame(67)) +
                                        Raw("B", Frame(5)) + Raw("A", Frame(41)) +
                                        Raw("B", Frame(41, 5000)),
                                    "t.ir");
  ASSERT_EQ(remote.keys.size(), 2u);
  EXPECT_EQ(remote.keys[0].line, 4);
  EXPECT_EQ(remote.keys[1].name, "B");
  EXPECT_EQ(remote.keys[1].line, 22);
  ASSERT_EQ(remote.notes.size(), 2u);
  EXPECT_THAT(remote.notes[0], HasSubstr("t.ir:10: key 'B': no burst"));
  EXPECT_EQ(remote.notes[1], "t.ir:16: key 'A': a second key of that name (the first is at line 4); left out");
}

struct ErrorCase {
  const char* what;
  std::string text;
  int line;
  const char* message;
};

TEST(IrdbErrors, MalformedTextIsRefusedAtItsLine) {
  const std::string h = kHeader;
  const ErrorCase cases[] = {
      {"empty", "", 1, "not an IR signals file"},
      {"lircd.conf", "begin remote\n", 1, "not an IR signals file"},
      {"version", "Filetype: IR signals file\nVersion: 2\n", 2, "version '2' is not 1"},
      {"no version", "Filetype: IR signals file\nname: K\n", 2, "missing 'Version: 1'"},
      {"no colon", h + "#\nname: K\ntype raw\n", 5, "expected 'field: value'"},
      {"before a name", h + "type: raw\n", 3, "'type' before the first 'name'"},
      {"unknown field", h + "#\nname: K\ncolour: red\n", 5, "unknown field 'colour'"},
      {"twice", h + Parsed("K", "NEC", "04", "08") + "command: 09\n", 9, "gives 'command' twice"},
      {"type", h + "#\nname: K\ntype: cooked\n", 5, "neither raw nor parsed"},
      {"hex", h + Parsed("K", "NEC", "04", "0G"), 8, "bad hex byte '0G'"},
      {"five bytes", h + Parsed("K", "NEC", "04 00 00 00 00", "08"), 7, "one to four hex bytes"},
      {"frequency low", h + "#\nname: K\nfrequency: 9999\n", 5, "outside 10000..500000"},
      {"frequency high", h + "#\nname: K\nfrequency: 500001\n", 5, "outside 10000..500000"},
      {"duty zero", h + "#\nname: K\nduty_cycle: 0.0\n", 5, "not a fraction above 0"},
      {"duty above one", h + "#\nname: K\nduty_cycle: 1.000001\n", 5, "not a fraction above 0"},
      {"duration", h + "#\nname: K\ndata: 100 2x 300\n", 5, "bad duration '2x'"},
      {"no durations", h + "#\nname: K\ndata:\n", 5, "has no durations"},
      {"raw without data", h + "#\nname: K\ntype: raw\nfrequency: 38000\nduty_cycle: 0.33\n", 4,
       "key 'K' has no 'data'"},
      {"parsed with data", h + Parsed("K", "NEC", "04", "08") + "data: 1 2 3\n", 4,
       "is parsed but gives 'data'"},
      {"no type", h + "#\nname: K\n#\nname: L\n", 4, "key 'K' has no 'type'"},
      {"no keys", h + "# nothing\n", 0, "no keys"},
      {"none can be sent", h + Parsed("K", "RCA", "01", "02"), 0,
       "none of its 1 keys can be sent (t.ir:4: key 'K': protocol RCA"},
  };
  for (const ErrorCase& c : cases) {
    try {
      ParseIrFile(c.text, "t.ir");
      ADD_FAILURE() << c.what << ": accepted";
    } catch (const ParseError& e) {
      EXPECT_EQ(e.Line(), c.line) << c.what << ": " << e.what();
      EXPECT_THAT(e.what(), HasSubstr(c.message)) << c.what;
      EXPECT_THAT(e.what(), StartsWith(c.line > 0 ? "t.ir:" + std::to_string(c.line) + ": " : "t.ir: "));
    }
  }
}

TEST(IrdbErrors, DutyCyclesWithinRangeRoundToWholePercent) {
  const std::pair<const char*, std::uint32_t> cases[] = {
      {"0.330000", 33}, {"1", 100}, {"1.0", 100}, {"0.004", 1}, {"0.5", 50}};
  for (const auto& [text, percent] : cases) {
    const Remote r = ParseIrFile(std::string(kHeader) + "#\nname: K\ntype: raw\nfrequency: 36000\n" +
                                     "duty_cycle: " + text + "\ndata: 9000 4500 560 560 560 1690 560\n",
                                 "t.ir");
    EXPECT_EQ(PlanPress(r, r.keys[0], false).first[0].light.DutyCyclePercent(), percent) << text;
    EXPECT_EQ(PlanPress(r, r.keys[0], false).carrierHz, 36000u);
  }
}

class IrdbFiles : public ::testing::Test {
 protected:
  std::string Write(const std::string& name, const std::string& bytes) {
    const std::string path = (dir_ / name).string();
    std::ofstream(path, std::ios::binary) << bytes;
    return path;
  }
  const std::filesystem::path dir_ =
      test::FreshTestDirectory(std::string(OVALINK_BINARY_DIR), "irdb_files_");
};

// Files load as the lircd.conf reader loads them: a byte-order mark and CRLF lines are
// taken, the first line says which reader, the size limit holds, folders are refused.
TEST_F(IrdbFiles, EncodingsDispatchAndLimits) {
  const std::string text = kHeader + Parsed("Power", "NEC", "04", "08") + Raw("Ok", Frame(9));
  std::string crlf;
  for (char c : text) crlf += c == '\n' ? std::string("\r\n") : std::string(1, c);
  const Remote plain = LoadRemote(Write("plain.ir", text));
  const Remote windows = LoadRemote(Write("windows.ir", "\xEF\xBB\xBF" + crlf));
  ASSERT_EQ(windows.keys.size(), 2u);
  EXPECT_EQ(windows.name, "windows");
  for (std::size_t k = 0; k < 2; ++k) {
    EXPECT_EQ(PlanPress(windows, windows.keys[k], false).Expand(500'000),
              PlanPress(plain, plain.keys[k], false).Expand(500'000));
  }
  // The first line decides, whatever the name; a .ir name holds the reader to it.
  EXPECT_EQ(LoadRemote(Write("remote.txt", text)).keys.size(), 2u);
  try {
    LoadRemote(Write("conf.ir", "begin remote\n"));
    ADD_FAILURE() << "a lircd.conf text in a .ir file loaded";
  } catch (const ParseError& e) {
    EXPECT_EQ(e.Line(), 1);
  }
  // Up to the limit a file loads; one byte more and it is refused before it is read.
  std::string padded = text + "#";
  padded.append((8u << 20) - padded.size() - 1, 'x');
  padded += "\n";
  EXPECT_EQ(LoadRemote(Write("largest.ir", padded)).keys.size(), 2u);
  try {
    LoadRemote(Write("too_large.ir", padded + "#"));
    ADD_FAILURE() << "a file over the limit loaded";
  } catch (const ParseError& e) {
    EXPECT_THAT(e.what(), HasSubstr("is larger than 8 MiB"));
  }
  try {
    LoadRemote(dir_.string());
    ADD_FAILURE() << "a folder loaded";
  } catch (const ParseError& e) {
    EXPECT_THAT(e.what(), HasSubstr("is a folder"));
  }
}

}  // namespace
}  // namespace ovalink::sim
