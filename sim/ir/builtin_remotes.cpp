#include "sim/ir/builtin_remotes.h"

namespace ovalink::sim {

namespace {

constexpr std::string_view kNec = R"conf(# NEC (LG-style address 0x04): 9 ms leader, pulse-distance bits LSB first (address,
# inverted address, command, inverted command), and while held a repeat code (9 ms mark,
# 2.25 ms space, 560 us mark) every 108 ms.
begin remote
  name            nec
  bits            16
  flags           SPACE_ENC|CONST_LENGTH
  eps             30
  aeps            100
  header          9000  4500
  one             560   1690
  zero            560   560
  ptrail          560
  repeat          9000  2250
  pre_data_bits   16
  pre_data        0x20DF
  gap             108000
  frequency       38000
  duty_cycle      33

  begin codes
      KEY_STOP             0x8D72
      KEY_PAUSE            0x5DA2
      KEY_REWIND           0xF10E
      KEY_PLAY             0x0DF2
      KEY_FASTFORWARD      0x718E
      KEY_PREVIOUS         0x4DB2
      KEY_NEXT             0xCD32
      KEY_VOLUMEUP         0x40BF
      KEY_VOLUMEDOWN       0xC03F
      KEY_RECORD           0xBD42
      KEY_BACK             0x14EB
      KEY_UP               0x02FD
      KEY_INFO             0x55AA
      KEY_LEFT             0xE01F
      KEY_OK               0x22DD
      KEY_RIGHT            0x609F
      KEY_DOWN             0x827D
      KEY_CHANNELUP        0x00FF
      KEY_MUTE             0x906F
      KEY_CHANNELDOWN      0x807F
      KEY_1                0x8877
      KEY_2                0x48B7
      KEY_3                0xC837
      KEY_4                0x28D7
      KEY_5                0xA857
      KEY_6                0x6897
      KEY_7                0xE817
      KEY_8                0x18E7
      KEY_9                0x9867
      KEY_NUMERIC_STAR     0x32CD
      KEY_0                0x08F7
      KEY_NUMERIC_POUND    0xB24D
      KEY_CLEAR            0x728D
      KEY_ENTER            0xF20D
  end codes
end remote
)conf";

constexpr std::string_view kRc5 = R"conf(# Philips RC5, system 0: Manchester bits of 1778 us (a 1 is space then mark); plead is
# the visible half of the first start bit; the second start bit doubles as command bit 6
# inverted (extended RC5). The toggle bit flips on every new press; the frame repeats every
# 113.778 ms while held.
begin remote
  name            rc5
  bits            13
  flags           RC5|CONST_LENGTH
  eps             30
  aeps            100
  one             889   889
  zero            889   889
  plead           889
  gap             113778
  toggle_bit_mask 0x800
  frequency       36000
  duty_cycle      25

  begin codes
      KEY_STOP             0x1036
      KEY_PAUSE            0x1030
      KEY_REWIND           0x1032
      KEY_PLAY             0x1035
      KEY_FASTFORWARD      0x1034
      KEY_PREVIOUS         0x1024
      KEY_NEXT             0x101E
      KEY_VOLUMEUP         0x1010
      KEY_VOLUMEDOWN       0x1011
      KEY_RECORD           0x1037
      KEY_BACK             0x1022
      KEY_UP               0x0010
      KEY_INFO             0x100F
      KEY_LEFT             0x0015
      KEY_OK               0x0017
      KEY_RIGHT            0x0016
      KEY_DOWN             0x0011
      KEY_CHANNELUP        0x1020
      KEY_MUTE             0x100D
      KEY_CHANNELDOWN      0x1021
      KEY_1                0x1001
      KEY_2                0x1002
      KEY_3                0x1003
      KEY_4                0x1004
      KEY_5                0x1005
      KEY_6                0x1006
      KEY_7                0x1007
      KEY_8                0x1008
      KEY_9                0x1009
      KEY_NUMERIC_STAR     0x100A
      KEY_0                0x1000
      KEY_NUMERIC_POUND    0x100E
      KEY_CLEAR            0x100B
      KEY_ENTER            0x102D
  end codes
end remote
)conf";

constexpr std::string_view kRc6 = R"conf(# Philips RC6 mode 0, address 0: 2.666 ms leader, then start bit, three mode bits, the
# double-length trailer bit (the toggle) and 16 bits of address and command. The bits are
# written inverted, as LIRC stores RC6 (a written 0 is mark then space). Every 106.667 ms
# while held.
begin remote
  name            rc6
  bits            8
  flags           RC6|CONST_LENGTH
  eps             30
  aeps            100
  header          2666  889
  one             444   444
  zero            444   444
  pre_data_bits   13
  pre_data        0x0FFF
  gap             106667
  toggle_bit_mask 0x10000
  rc6_mask        0x10000
  frequency       36000
  duty_cycle      33

  begin codes
      KEY_STOP             0xCE
      KEY_PAUSE            0xCF
      KEY_REWIND           0xD6
      KEY_PLAY             0xD3
      KEY_FASTFORWARD      0xD7
      KEY_PREVIOUS         0xDE
      KEY_NEXT             0xDF
      KEY_VOLUMEUP         0xEF
      KEY_VOLUMEDOWN       0xEE
      KEY_RECORD           0xC8
      KEY_BACK             0x7C
      KEY_UP               0xA7
      KEY_INFO             0xF0
      KEY_LEFT             0xA5
      KEY_OK               0xA3
      KEY_RIGHT            0xA4
      KEY_DOWN             0xA6
      KEY_CHANNELUP        0xB3
      KEY_MUTE             0xF2
      KEY_CHANNELDOWN      0xB2
      KEY_1                0xFE
      KEY_2                0xFD
      KEY_3                0xFC
      KEY_4                0xFB
      KEY_5                0xFA
      KEY_6                0xF9
      KEY_7                0xF8
      KEY_8                0xF7
      KEY_9                0xF6
      KEY_NUMERIC_STAR     0xF5
      KEY_0                0xFF
      KEY_NUMERIC_POUND    0xF4
      KEY_CLEAR            0xF1
      KEY_ENTER            0xF3
  end codes
end remote
)conf";

constexpr std::string_view kSony12 = R"conf(# Sony SIRC 12-bit, device 1: 2.4 ms leader, pulse-width bits LSB first (7 command bits,
# 5 device bits), written in the order sent. Frames every 45 ms, at least three a press.
begin remote
  name            sony12
  bits            12
  flags           SPACE_ENC|CONST_LENGTH
  eps             30
  aeps            100
  header          2400  600
  one             1200  600
  zero            600   600
  gap             45000
  min_repeat      2
  frequency       40000
  duty_cycle      33

  begin codes
      KEY_STOP             0x190
      KEY_PAUSE            0x990
      KEY_REWIND           0xD90
      KEY_PLAY             0x590
      KEY_FASTFORWARD      0x390
      KEY_PREVIOUS         0xB90
      KEY_NEXT             0x790
      KEY_VOLUMEUP         0x490
      KEY_VOLUMEDOWN       0xC90
      KEY_RECORD           0xF90
      KEY_BACK             0xC70
      KEY_UP               0x2F0
      KEY_INFO             0x5D0
      KEY_LEFT             0x2D0
      KEY_OK               0xA70
      KEY_RIGHT            0xCD0
      KEY_DOWN             0xAF0
      KEY_CHANNELUP        0x090
      KEY_MUTE             0x290
      KEY_CHANNELDOWN      0x890
      KEY_1                0x010
      KEY_2                0x810
      KEY_3                0x410
      KEY_4                0xC10
      KEY_5                0x210
      KEY_6                0xA10
      KEY_7                0x610
      KEY_8                0xE10
      KEY_9                0x110
      KEY_NUMERIC_STAR     0x310
      KEY_0                0x910
      KEY_NUMERIC_POUND    0xB10
      KEY_CLEAR            0x710
      KEY_ENTER            0xD10
  end codes
end remote
)conf";

constexpr std::string_view kJvc = R"conf(# JVC, address 0x03: 8.4 ms leader on the first frame only, pulse-distance bits LSB
# first (address, command); while held the frame repeats without leader every 46.42 ms.
begin remote
  name            jvc
  bits            8
  flags           SPACE_ENC|CONST_LENGTH|NO_HEAD_REP
  eps             30
  aeps            100
  header          8400  4200
  one             525   1575
  zero            525   525
  ptrail          525
  pre_data_bits   8
  pre_data        0xC0
  gap             46420
  frequency       38000
  duty_cycle      33

  begin codes
      KEY_STOP             0xC0
      KEY_PAUSE            0x30
      KEY_REWIND           0x60
      KEY_PLAY             0xA0
      KEY_FASTFORWARD      0xE0
      KEY_PREVIOUS         0x70
      KEY_NEXT             0xF0
      KEY_VOLUMEUP         0x28
      KEY_VOLUMEDOWN       0xA8
      KEY_RECORD           0xB0
      KEY_BACK             0x54
      KEY_UP               0x04
      KEY_INFO             0xD4
      KEY_LEFT             0x44
      KEY_OK               0xC4
      KEY_RIGHT            0x84
      KEY_DOWN             0x24
      KEY_CHANNELUP        0x18
      KEY_MUTE             0x38
      KEY_CHANNELDOWN      0x98
      KEY_1                0x8C
      KEY_2                0x4C
      KEY_3                0xCC
      KEY_4                0x2C
      KEY_5                0xAC
      KEY_6                0x6C
      KEY_7                0xEC
      KEY_8                0x1C
      KEY_9                0x9C
      KEY_NUMERIC_STAR     0x5C
      KEY_0                0x0C
      KEY_NUMERIC_POUND    0xDC
      KEY_CLEAR            0x3C
      KEY_ENTER            0xBC
  end codes
end remote
)conf";

constexpr std::string_view kSamsung32 = R"conf(# Samsung 32-bit, address 0x07 twice: 4.5 ms leader, NEC bits; the whole frame repeats
# every 108 ms while held.
begin remote
  name            samsung32
  bits            16
  flags           SPACE_ENC|CONST_LENGTH
  eps             30
  aeps            100
  header          4500  4500
  one             560   1690
  zero            560   560
  ptrail          560
  pre_data_bits   16
  pre_data        0xE0E0
  gap             108000
  frequency       38000
  duty_cycle      33

  begin codes
      KEY_STOP             0x629D
      KEY_PAUSE            0x52AD
      KEY_REWIND           0xA25D
      KEY_PLAY             0xE21D
      KEY_FASTFORWARD      0x12ED
      KEY_PREVIOUS         0xD22D
      KEY_NEXT             0x32CD
      KEY_VOLUMEUP         0xE01F
      KEY_VOLUMEDOWN       0xD02F
      KEY_RECORD           0x926D
      KEY_BACK             0x1AE5
      KEY_UP               0x06F9
      KEY_INFO             0xF807
      KEY_LEFT             0xA659
      KEY_OK               0x16E9
      KEY_RIGHT            0x46B9
      KEY_DOWN             0x8679
      KEY_CHANNELUP        0x48B7
      KEY_MUTE             0xF00F
      KEY_CHANNELDOWN      0x08F7
      KEY_1                0x20DF
      KEY_2                0xA05F
      KEY_3                0x609F
      KEY_4                0x10EF
      KEY_5                0x906F
      KEY_6                0x50AF
      KEY_7                0x30CF
      KEY_8                0xB04F
      KEY_9                0x708F
      KEY_NUMERIC_STAR     0x34CB
      KEY_0                0x8877
      KEY_NUMERIC_POUND    0xB44B
      KEY_CLEAR            0x748B
      KEY_ENTER            0xF40B
  end codes
end remote
)conf";

}  // namespace

std::string_view BuiltinRemoteText(std::string_view name) {
  if (name == "nec") return kNec;
  if (name == "rc5") return kRc5;
  if (name == "rc6") return kRc6;
  if (name == "sony12") return kSony12;
  if (name == "jvc") return kJvc;
  if (name == "samsung32") return kSamsung32;
  return {};
}

Remote LoadRemote(const std::string& source) {
  std::vector<Remote> remotes;
  if (source.compare(0, kBuiltinPrefix.size(), kBuiltinPrefix) == 0) {
    const std::string name = source.substr(kBuiltinPrefix.size());
    const std::string_view text = BuiltinRemoteText(name);
    if (text.empty()) throw ParseError(source, 0, "no such built-in remote");
    remotes = ParseLircdConf(text, source);
  } else {
    remotes = LoadLircdConf(source);
  }
  if (remotes.empty()) throw ParseError(source, 0, "no remote defined");
  return std::move(remotes.front());
}

}  // namespace ovalink::sim
