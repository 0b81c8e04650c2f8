#include "sim/ir/irdb_protocols.h"

#include <cstdio>

#include "sim/ir/builtin_remotes.h"

namespace ovalink::sim {

namespace {

struct Fields {
  int addressBits;
  int commandBits;
};

// Address and command widths by protocol; the order of kIrdbProtocols.
constexpr Fields kFields[] = {
    {8, 8}, {16, 16}, {13, 8}, {26, 16}, {8, 8}, {5, 6}, {5, 7},
    {8, 8}, {5, 7},   {8, 7},  {13, 7},  {26, 10}, {8, 8},
};
static_assert(std::size(kFields) == std::size(kIrdbProtocols));

std::uint64_t Low(std::uint64_t value, int bits) { return value & ((std::uint64_t(1) << bits) - 1); }

// The built-in remote `name` with its keys replaced by one key sending `code`. With
// `lsbFirst`, `code` is the whole frame's bit string, its lowest bit sent first, as the
// database packs pulse-distance protocols; otherwise the remote's own layout stays.
Remote FromBuiltin(std::string_view name, std::uint64_t code, int bits, bool lsbFirst) {
  Remote remote = LoadRemote(std::string(kBuiltinPrefix) + std::string(name));
  if (lsbFirst) {
    remote.bits = bits;
    remote.preDataBits = 0;
    remote.preData = 0;
    remote.postDataBits = 0;
    remote.postData = 0;
    remote.flags |= kFlagReverse;
  }
  RemoteKey key;
  key.name = "KEY";
  key.codes.push_back(code);
  remote.keys.assign(1, std::move(key));
  return remote;
}

// 40 kHz NEC-like frames, each sent at least twice, 26 ms apart.
Remote Pioneer(std::uint64_t code) {
  Remote remote;
  remote.name = "pioneer";
  remote.bits = 32;
  remote.flags = kFlagSpaceEnc | kFlagReverse;
  remote.header = {8500, 4225};
  remote.one = {500, 1500};
  remote.zero = {500, 500};
  remote.ptrail = 500;
  remote.gap = 26000;
  remote.minRepeat = 1;
  remote.frequency = 40000;
  remote.dutyCycle = 33;
  RemoteKey key;
  key.name = "KEY";
  key.codes.push_back(code);
  remote.keys.push_back(std::move(key));
  return remote;
}

// Address then its complement, command then its complement, each lowest bit first.
std::uint64_t Complemented(std::uint64_t a, int aBits, std::uint64_t c, int cBits) {
  const std::uint64_t notA = Low(~a, aBits);
  const std::uint64_t notC = Low(~c, cBits);
  return a | notA << aBits | c << (2 * aBits) | notC << (2 * aBits + cBits);
}

Remote Kaseikyo(std::uint32_t address, std::uint32_t command) {
  const unsigned id = (address >> 24) & 3;
  const unsigned vendor = (address >> 8) & 0xFFFF;
  const unsigned genre1 = (address >> 4) & 0xF;
  const unsigned genre2 = address & 0xF;
  std::uint8_t d[6];
  d[0] = std::uint8_t(vendor & 0xFF);
  d[1] = std::uint8_t(vendor >> 8);
  std::uint8_t parity = std::uint8_t(d[0] ^ d[1]);
  parity = std::uint8_t((parity & 0xF) ^ (parity >> 4));
  d[2] = std::uint8_t((parity & 0xF) | genre1 << 4);
  d[3] = std::uint8_t(genre2 | (command & 0xF) << 4);
  d[4] = std::uint8_t(id << 6 | (command >> 4));
  d[5] = std::uint8_t(d[2] ^ d[3] ^ d[4]);
  std::uint64_t code = 0;
  for (int i = 5; i >= 0; --i) code = code << 8 | d[i];
  return FromBuiltin("panasonic", code, 48, true);
}

Remote Build(std::size_t protocol, std::uint32_t a, std::uint32_t c) {
  switch (protocol) {
    case 0:  // NEC
      return FromBuiltin("nec", Complemented(a, 8, c, 8), 32, true);
    case 1:  // NECext
      return FromBuiltin("nec", a | std::uint64_t(c) << 16, 32, true);
    case 2:  // NEC42
      return FromBuiltin("nec", Complemented(a, 13, c, 8), 42, true);
    case 3:  // NEC42ext
      return FromBuiltin("nec", a | std::uint64_t(c) << 26, 42, true);
    case 4:  // Samsung32: the address twice, then the command and its complement
      return FromBuiltin("samsung32", a | a << 8 | c << 16 | Low(~c, 8) << 24, 32, true);
    case 5:  // RC5: second start bit set
    case 6:  // RC5X: second start bit clear; the database sends six command bits
      return FromBuiltin("rc5", (protocol == 5 ? 1u << 12 : 0u) | a << 6 | (c & 0x3F), 13,
                         false);
    case 7: {  // RC6 mode 0; the lab's RC6 text holds inverted bits
      Remote remote = FromBuiltin("rc6", Low(~std::uint64_t(c), 8), 8, false);
      remote.preData = Low(~(std::uint64_t(1) << 12 | a), 13);
      return remote;
    }
    case 8:  // SIRC
      return FromBuiltin("sony12", c | a << 7, 12, true);
    case 9:  // SIRC15
      return FromBuiltin("sony15", c | a << 7, 15, true);
    case 10:  // SIRC20
      return FromBuiltin("sony20", c | std::uint64_t(a) << 7, 20, true);
    case 11:
      return Kaseikyo(a, c);
    default:  // Pioneer
      return Pioneer(Complemented(a, 8, c, 8));
  }
}

std::string Hex(std::uint32_t value) {
  char text[16];
  std::snprintf(text, sizeof text, "0x%X", value);
  return text;
}

}  // namespace

std::string IrdbProtocolList() {
  std::string list;
  for (std::string_view name : kIrdbProtocols) {
    if (!list.empty()) list += ", ";
    list += name;
  }
  return list;
}

std::shared_ptr<const Remote> IrdbProtocolRemote(std::string_view protocol, std::uint32_t address,
                                                 std::uint32_t command, std::string& refusal) {
  for (std::size_t p = 0; p < std::size(kIrdbProtocols); ++p) {
    if (kIrdbProtocols[p] != protocol) continue;
    const Fields fields = kFields[p];
    if (Low(address, fields.addressBits) != address) {
      refusal = "address " + Hex(address) + " is wider than " + std::string(protocol) + "'s " +
                std::to_string(fields.addressBits) + " bits";
      return nullptr;
    }
    if (Low(command, fields.commandBits) != command) {
      refusal = "command " + Hex(command) + " is wider than " + std::string(protocol) + "'s " +
                std::to_string(fields.commandBits) + " bits";
      return nullptr;
    }
    return std::make_shared<const Remote>(Build(p, address, command));
  }
  refusal = "protocol " + std::string(protocol) + " is not one the lab can send (it sends " +
            IrdbProtocolList() + ")";
  return nullptr;
}

}  // namespace ovalink::sim
