#include "sim/ir/lircd_conf.h"

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <string>

#include "sim/ir/builtin_remotes.h"

namespace ovalink::sim {
namespace {

using ::testing::HasSubstr;

std::string DataPath(const std::string& name) {
  return std::string(OVALINK_SOURCE_DIR) + "/tests/data/lircd/" + name;
}

TEST(BuiltinRemotes, EachParsesWithTheButtonKeysInOrderAndDistinctCodes) {
  for (std::string_view name : kBuiltinRemoteNames) {
    SCOPED_TRACE(std::string(name));
    const Remote remote = LoadRemote(std::string(kBuiltinPrefix) + std::string(name));
    EXPECT_EQ(remote.name, name);
    ASSERT_EQ(remote.keys.size(), kButtonKeyNames.size());
    for (std::size_t i = 0; i < remote.keys.size(); ++i) {
      EXPECT_EQ(remote.keys[i].name, kButtonKeyNames[i]);
      // Sharp sends each code and then its complement in command, expansion and check.
      const std::vector<std::uint64_t>& codes = remote.keys[i].codes;
      if (name == "sharp") {
        ASSERT_EQ(codes.size(), 2u);
        EXPECT_EQ(codes[0] ^ codes[1], 0x3FFu);
      } else {
        ASSERT_EQ(codes.size(), 1u);
      }
      for (std::size_t j = 0; j < i; ++j) {
        EXPECT_NE(codes[0], remote.keys[j].codes[0])
            << remote.keys[i].name << " and " << remote.keys[j].name;
      }
    }
    EXPECT_GT(remote.gap, 0u);
    EXPECT_GE(remote.frequency, 36000u);
    EXPECT_LE(remote.frequency, 40000u);
  }
}

TEST(BuiltinRemotes, UnknownBuiltinIsRefused) {
  try {
    LoadRemote("builtin:nokia");
    FAIL() << "accepted";
  } catch (const ParseError& e) {
    EXPECT_EQ(std::string(e.what()), "builtin:nokia: no such built-in remote");
  }
}

TEST(LircdConf, RealWorldShapedRc6RemoteKeepsMasksAndCodes) {
  const auto remotes = LoadLircdConf(DataPath("mce_rc6.lircd.conf"));
  ASSERT_EQ(remotes.size(), 1u);
  const Remote& r = remotes[0];
  EXPECT_EQ(r.name, "mce_style");
  EXPECT_EQ(r.flags, kFlagRc6 | kFlagConstLength);
  EXPECT_EQ(r.TotalBits(), 37);
  EXPECT_EQ(r.preData, 0x37FF0u);
  EXPECT_EQ(r.toggleBitMask, 0x8000u);
  EXPECT_EQ(r.rc6Mask, 0x100000000u);
  EXPECT_EQ(r.header.pulse, 2667u);
  EXPECT_EQ(r.header.space, 889u);
  EXPECT_EQ(r.gap, 105000u);
  EXPECT_EQ(r.frequency, 36000u) << "RC6 without a frequency gets the family's carrier";
  ASSERT_EQ(r.keys.size(), 7u);
  EXPECT_EQ(r.keys[0].name, "KEY_POWER");
  EXPECT_EQ(r.keys[0].codes, std::vector<std::uint64_t>{0x7BF3}) << "trailing comment ignored";
  EXPECT_EQ(r.FindKey("KEY_STOP")->codes[0], 0x7BE0u);
  EXPECT_EQ(r.FindKey("KEY_STOP")->line, 33);
}

TEST(LircdConf, SeveralRemotesInOneFileAndLegacyToggleBit) {
  const auto remotes = LoadLircdConf(DataPath("two_remotes.lircd.conf"));
  ASSERT_EQ(remotes.size(), 2u);
  const Remote& rc5 = remotes[0];
  EXPECT_EQ(rc5.name, "tv_rc5");
  EXPECT_TRUE(rc5.Has(kFlagRc5));
  EXPECT_EQ(rc5.toggleBitMask, 0x800u) << "toggle_bit 2 counts from the first bit of 13";
  EXPECT_EQ(rc5.keys[2].codes[0], 4097u) << "decimal code";
  const Remote& nec = remotes[1];
  EXPECT_EQ(nec.flags, kFlagSpaceEnc | kFlagConstLength) << "spaces around '|'";
  EXPECT_EQ(nec.minRepeat, 1);
  EXPECT_TRUE(nec.HasRepeatCode());
  EXPECT_EQ(nec.frequency, 38000u);
  EXPECT_EQ(nec.keys[0].codes[0], 0x00FF629Du);
}

TEST(LircdConf, PostDataAndRawCodes) {
  const Remote sony = LoadLircdConf(DataPath("sony_split.lircd.conf")).at(0);
  EXPECT_EQ(sony.bits, 7);
  EXPECT_EQ(sony.postDataBits, 4);
  EXPECT_EQ(sony.ptrail, 1206u);
  EXPECT_EQ(sony.minRepeat, 2);
  EXPECT_EQ(sony.toggleBitMask, 0u);

  const Remote raw = LoadLircdConf(DataPath("raw.lircd.conf")).at(0);
  EXPECT_TRUE(raw.IsRaw());
  ASSERT_EQ(raw.keys.size(), 2u);
  EXPECT_EQ(raw.keys[0].raw,
            (std::vector<std::uint32_t>{3476, 1741, 446, 1302, 446, 433, 445, 1302, 446}));
  EXPECT_EQ(raw.keys[1].name, "KEY_MODE");
  EXPECT_EQ(raw.keys[1].raw.size(), 7u);
  EXPECT_FALSE(raw.HasRepeatCode());
}

// A key is chosen by its name, so a second key of one name could never be sent.
TEST(LircdConf, ASecondKeyOfANameIsLeftOutWithANote) {
  const std::vector<Remote> remotes = ParseLircdConf(
      "begin remote\n name r\n bits 8\n one 560 1690\n zero 560 560\n begin codes\n"
      "  KEY_A 0x01\n  KEY_B 0x02\n  KEY_A 0x03\n end codes\nend remote\n"
      "begin remote\n name raw\n flags RAW_CODES\n begin raw_codes\n"
      "  name KEY_C\n 900 450 560\n  name KEY_C\n 900 450 560 560 560\n"
      " end raw_codes\nend remote\n",
      "r.conf");
  ASSERT_EQ(remotes.size(), 2u);
  ASSERT_EQ(remotes[0].keys.size(), 2u);
  EXPECT_EQ(remotes[0].keys[0].codes, std::vector<std::uint64_t>{0x01});
  EXPECT_EQ(remotes[0].notes,
            std::vector<std::string>{
                "r.conf:9: key 'KEY_A': a second key of that name (the first is at line 7); left out"});
  ASSERT_EQ(remotes[1].keys.size(), 1u);
  EXPECT_EQ(remotes[1].keys[0].raw.size(), 3u);
  EXPECT_EQ(remotes[1].notes.size(), 1u);
}

TEST(LircdConf, MissingFileIsRefusedWithoutLine) {
  try {
    LoadLircdConf("/nonexistent/remote.conf");
    FAIL() << "accepted";
  } catch (const ParseError& e) {
    EXPECT_EQ(e.Line(), 0);
    EXPECT_EQ(std::string(e.what()), "/nonexistent/remote.conf: cannot open (No such file or directory)");
  }
}

// A small valid remote that each malformed case below breaks in one place.
constexpr const char* kValid = R"(begin remote
  name  x
  bits  8
  flags SPACE_ENC
  header 9000 4500
  one 560 1690
  zero 560 560
  begin codes
    KEY_A 0x12
  end codes
end remote
)";

struct Malformed {
  const char* what;
  std::string text;
  int line;
  const char* message;
};

std::string Replace(std::string text, const std::string& from, const std::string& to) {
  const auto at = text.find(from);
  if (at == std::string::npos) throw std::logic_error("no " + from);
  return text.replace(at, from.size(), to);
}

TEST(LircdConf, MalformedInputIsRefusedWithFileAndLine) {
  ASSERT_NO_THROW(ParseLircdConf(kValid, "remote.conf"));
  const std::string v = kValid;
  const Malformed cases[] = {
      {"unknown flag", Replace(v, "SPACE_ENC", "SPACE_ENC|FOO"), 4, "unknown flag FOO"},
      {"unsimulated encoding", Replace(v, "SPACE_ENC", "XMP"), 4, "XMP"},
      {"two encodings", Replace(v, "SPACE_ENC", "RC5|SPACE_ENC"), 4, "more than one encoding"},
      {"empty flag", Replace(v, "SPACE_ENC", "SPACE_ENC||CONST_LENGTH"), 4, "empty flag"},
      {"missing end remote", Replace(v, "end remote\n", ""), 10, "missing 'end remote'"},
      {"missing end codes", Replace(v, "  end codes\nend remote\n", ""), 9, "missing 'end codes'"},
      {"nested remote", Replace(v, "  begin codes", "begin remote\n  begin codes"), 8,
       "'begin remote' inside"},
      {"code wider than bits", Replace(v, "0x12", "0x123"), 9, "wider than bits 8"},
      {"pre_data wider", Replace(v, "  bits  8", "  bits 8\n  pre_data_bits 4\n  pre_data 0x1F"),
       5, "pre_data is wider"},
      {"too many bits", Replace(v, "  bits  8", "  bits 40\n  pre_data_bits 30"), 3,
       "more than 64"},
      {"negative duration", Replace(v, "560 1690", "-560 1690"), 6, "negative duration '-560'"},
      {"absurd duration", Replace(v, "9000 4500", "9000 45000000"), 5, "beyond the limit"},
      {"zero raw duration", "begin remote\nname r\nbegin raw_codes\nname K\n100 0 100\n"
                            "end raw_codes\nend remote\n", 5, "zero duration"},
      {"bad number", Replace(v, "0x12", "0xZZ"), 9, "bad number '0xZZ'"},
      {"overflowing code", Replace(v, "0x12", "0x1FFFFFFFFFFFFFFFF"), 9, "bad number"},
      {"missing value", Replace(v, "header 9000 4500", "header 9000"), 5,
       "'header' needs 2 values, found 1"},
      {"unknown keyword", Replace(v, "  bits  8", "  bits 8\n  wobble 3"), 4,
       "unknown keyword 'wobble'"},
      {"text before remote", "hello\n" + v, 1, "expected 'begin remote'"},
      {"key without code", Replace(v, "KEY_A 0x12", "KEY_A"), 9, "has no code"},
      {"no name", Replace(v, "  name  x\n", ""), 10, "has no name"},
      {"no bits", Replace(v, "  bits  8\n", ""), 1, "'bits' is missing"},
      {"no one/zero", Replace(v, "  one 560 1690\n", ""), 8, "'one' and 'zero'"},
      {"bit without pulse", Replace(v, "zero 560 560", "zero 0 560"), 9, "with a pulse"},
      {"bit without space", Replace(v, "one 560 1690", "one 1120 0"), 9, "and a space"},
      {"toggle_bit beyond", Replace(v, "  bits  8", "  bits 8\n  toggle_bit 9"), 4,
       "toggle_bit 9 is beyond"},
      {"eps out of range", Replace(v, "  bits  8", "  bits 8\n  eps 101"), 4, "outside 0..100"},
      {"absurd frequency", Replace(v, "  bits  8", "  bits 8\n  frequency 12"), 4,
       "frequency 12 Hz"},
      {"even raw list", "begin remote\nname r\nbegin raw_codes\nname K\n100 200 100 200\n"
                        "end raw_codes\nend remote\n", 4, "count must be odd"},
      {"empty raw code", "begin remote\nname r\nbegin raw_codes\nname K\nname L\n100\n"
                         "end raw_codes\nend remote\n", 4, "has no durations"},
      {"raw before name", "begin remote\nname r\nbegin raw_codes\n100\nend raw_codes\n"
                          "end remote\n", 4, "before the first 'name'"},
      {"codes and raw codes", Replace(v, "end remote", "  begin raw_codes\nend remote"), 11,
       "one codes or raw_codes section"},
      {"include", "include \"other.conf\"\n", 1, "include is not supported"},
  };
  for (const Malformed& c : cases) {
    SCOPED_TRACE(c.what);
    try {
      ParseLircdConf(c.text, "remote.conf");
      ADD_FAILURE() << "accepted:\n" << c.text;
    } catch (const ParseError& e) {
      EXPECT_EQ(e.File(), "remote.conf");
      EXPECT_EQ(e.Line(), c.line);
      EXPECT_THAT(e.what(), HasSubstr("remote.conf:" + std::to_string(c.line) + ": "));
      EXPECT_THAT(e.what(), HasSubstr(c.message));
    }
  }
}

TEST(LircdConf, EmptyTextHasNoRemotes) {
  EXPECT_TRUE(ParseLircdConf("", "empty.conf").empty());
  EXPECT_TRUE(ParseLircdConf("# only a comment\n\n", "empty.conf").empty());
}

// As the LIRC daemon reads a line: a first word beginning with `#` makes it a comment;
// elsewhere `#` is a key's name where a name stands, and begins a comment after values.
TEST(LircdConf, HashIsACommentOnlyAsTheFirstWordOrAfterTheValues) {
  const auto remotes = ParseLircdConf(
      "  # a comment, indented\n"
      "begin remote\n"
      "  name   #\n"
      "  bits   8 # trailing\n"
      "  one    500 1500\n"
      "  zero   500 500\n"
      "  begin codes\n"
      "    #KEY_GONE   0x01\n"
      "    KEY_1      0x02   #0x03 is no second code\n"
      "  end codes\n"
      "end remote\n"
      "begin remote\n"
      "  name raw\n"
      "  flags RAW_CODES\n"
      "  begin raw_codes\n"
      "    name #\n"
      "      500 500 500 # a comment after durations\n"
      "  end raw_codes\n"
      "end remote\n",
      "hash.conf");
  ASSERT_EQ(remotes.size(), 2u);
  EXPECT_EQ(remotes[0].name, "#");
  EXPECT_EQ(remotes[0].bits, 8);
  ASSERT_EQ(remotes[0].keys.size(), 1u);
  EXPECT_EQ(remotes[0].keys[0].name, "KEY_1");
  EXPECT_EQ(remotes[0].keys[0].codes, std::vector<std::uint64_t>{0x02});
  ASSERT_EQ(remotes[1].keys.size(), 1u);
  EXPECT_EQ(remotes[1].keys[0].name, "#");
  EXPECT_EQ(remotes[1].keys[0].raw, (std::vector<std::uint32_t>{500, 500, 500}));
}

TEST(LircdConf, RcmmNeedsAllFourSymbolsAndWholeSymbols) {
  const std::string head =
      "begin remote\n name m\n flags RCMM\n header 417 278\n zero 167 278\n one 167 444\n"
      " ptrail 167\n";
  const std::string codes = " begin codes\n  KEY_1 0x1234\n end codes\nend remote\n";
  const Remote ok = ParseLircdConf(head + " bits 16\n two 167 611\n three 167 778\n" + codes,
                                   "m.conf")[0];
  EXPECT_TRUE(ok.IsRcmm());
  EXPECT_EQ(ok.frequency, 36000u) << "RC-MM's carrier when the file names none";
  EXPECT_EQ(ok.three.space, 778u);
  EXPECT_THROW(ParseLircdConf(head + " bits 16\n two 167 611\n" + codes, "m.conf"), ParseError);
  EXPECT_THROW(
      ParseLircdConf(head + " bits 15\n two 167 611\n three 167 778\n" + codes, "m.conf"),
      ParseError);
}

}  // namespace
}  // namespace ovalink::sim
