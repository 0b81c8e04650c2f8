#include "platform/win32/win32_port_io.h"

#include <windows.h>

#include <cstdint>

// The two port instructions live in functions of our own, with a label on each instruction,
// so that the fault handler can tell our faults from anyone else's by the exact address.
// Both return the byte (or 0) in bits 0-7 with bit 8 clear; the handler sets bit 8 of the
// accumulator and steps over the one-byte instruction, so the call returns with the mark.
extern "C" {
std::uint32_t OvalinkPortIn(std::uint32_t port) asm("ovalink_port_in");
std::uint32_t OvalinkPortOut(std::uint32_t port, std::uint32_t value) asm("ovalink_port_out");
extern const unsigned char OvalinkPortInInstruction[] asm("ovalink_port_in_insn");
extern const unsigned char OvalinkPortOutInstruction[] asm("ovalink_port_out_insn");
}

#if defined(__x86_64__)
// Microsoft x64 convention: port in ecx, value in edx.
asm(R"(
    .text
    .p2align 4
    .globl ovalink_port_in
    .globl ovalink_port_in_insn
ovalink_port_in:
    movl %ecx, %edx
    xorl %eax, %eax
ovalink_port_in_insn:
    inb %dx, %al
    ret

    .p2align 4
    .globl ovalink_port_out
    .globl ovalink_port_out_insn
ovalink_port_out:
    movzbl %dl, %eax
    movl %ecx, %edx
ovalink_port_out_insn:
    outb %al, %dx
    ret
)");
#elif defined(__i386__)
// cdecl: port at 4(%esp), value at 8(%esp).
asm(R"(
    .text
    .p2align 4
    .globl ovalink_port_in
    .globl ovalink_port_in_insn
ovalink_port_in:
    movl 4(%esp), %edx
    xorl %eax, %eax
ovalink_port_in_insn:
    inb %dx, %al
    ret

    .p2align 4
    .globl ovalink_port_out
    .globl ovalink_port_out_insn
ovalink_port_out:
    movzbl 8(%esp), %eax
    movl 4(%esp), %edx
ovalink_port_out_insn:
    outb %al, %dx
    ret
)");
#else
#error "port instructions exist only on x86"
#endif

namespace ovalink {

namespace {

constexpr std::uint32_t kFaultMark = 0x100;
constexpr DWORD kPrivilegedInstruction = 0xC0000096;  // STATUS_PRIVILEGED_INSTRUCTION

LONG CALLBACK PortFaultFilter(EXCEPTION_POINTERS* info) {
  const DWORD code = info->ExceptionRecord->ExceptionCode;
  // Windows reports a denied in/out as a privileged instruction; other hosts have been seen
  // to raise an access violation or illegal instruction for the same thing.
  if (code != kPrivilegedInstruction && code != EXCEPTION_ACCESS_VIOLATION &&
      code != EXCEPTION_ILLEGAL_INSTRUCTION)
    return EXCEPTION_CONTINUE_SEARCH;
  CONTEXT* context = info->ContextRecord;
#if defined(__x86_64__)
  auto& pc = context->Rip;
  auto& accumulator = context->Rax;
#else
  auto& pc = context->Eip;
  auto& accumulator = context->Eax;
#endif
  const auto at = static_cast<std::uintptr_t>(pc);
  if (at != reinterpret_cast<std::uintptr_t>(OvalinkPortInInstruction) &&
      at != reinterpret_cast<std::uintptr_t>(OvalinkPortOutInstruction))
    return EXCEPTION_CONTINUE_SEARCH;
  pc += 1;  // inb %dx,%al (0xEC) and outb %al,%dx (0xEE) are one byte each
  accumulator |= kFaultMark;
  return EXCEPTION_CONTINUE_EXECUTION;
}

}  // namespace

Win32PortIo::Win32PortIo() : handler_(AddVectoredExceptionHandler(1, PortFaultFilter)) {}

Win32PortIo::~Win32PortIo() {
  if (handler_) RemoveVectoredExceptionHandler(handler_);
}

std::uint8_t Win32PortIo::ReadByte(std::uint16_t address) {
  const std::uint32_t result = OvalinkPortIn(address);
  if (result & kFaultMark) throw PortAccessFault();
  return static_cast<std::uint8_t>(result);
}

void Win32PortIo::WriteByte(std::uint16_t address, std::uint8_t value) {
  if (OvalinkPortOut(address, value) & kFaultMark) throw PortAccessFault();
}

}  // namespace ovalink
