#include "commands/remote_command.h"

namespace ovalink {

namespace {

void PutLe32(std::uint8_t* out, std::uint32_t value) {
  out[0] = std::uint8_t(value);
  out[1] = std::uint8_t(value >> 8);
  out[2] = std::uint8_t(value >> 16);
  out[3] = std::uint8_t(value >> 24);
}

std::uint32_t GetLe32(const std::uint8_t* in) {
  return std::uint32_t(in[0]) | std::uint32_t(in[1]) << 8 | std::uint32_t(in[2]) << 16 |
         std::uint32_t(in[3]) << 24;
}

}  // namespace

RemoteCommandBytes SerializeCommand(const RemoteCommand& command) {
  RemoteCommandBytes bytes{};
  PutLe32(&bytes[0], command.repeatable);
  PutLe32(&bytes[4], command.message);
  PutLe32(&bytes[8], command.wParam);
  PutLe32(&bytes[12], command.lParam);
  for (std::size_t i = 0; i < command.reserved.size(); ++i) bytes[16 + i] = command.reserved[i];
  return bytes;
}

RemoteCommand DeserializeCommand(const RemoteCommandBytes& bytes) {
  RemoteCommand command{};
  command.repeatable = GetLe32(&bytes[0]);
  command.message = GetLe32(&bytes[4]);
  command.wParam = GetLe32(&bytes[8]);
  command.lParam = GetLe32(&bytes[12]);
  for (std::size_t i = 0; i < command.reserved.size(); ++i) command.reserved[i] = bytes[16 + i];
  return command;
}

bool operator==(const RemoteCommand& a, const RemoteCommand& b) {
  return a.repeatable == b.repeatable && a.message == b.message && a.wParam == b.wParam &&
         a.lParam == b.lParam && a.reserved == b.reserved;
}

}  // namespace ovalink
