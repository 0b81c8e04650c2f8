#include "platform/win32/xp/xp_tick_count64.h"

#include <atomic>

#include "platform/tick_widener.h"

namespace ovalink {
namespace {

using TickCount64Function = ULONGLONG(WINAPI*)();

ULONGLONG WINAPI WidenedTickCountEntry() { return WidenedTickCount(); }

TickCount64Function FindTickCount64() {
  // Looked up at run time: importing it would stop the program from loading on XP.
  const HMODULE kernel = GetModuleHandleA("kernel32.dll");
  const FARPROC found = kernel ? GetProcAddress(kernel, "GetTickCount64") : nullptr;
  return found ? reinterpret_cast<TickCount64Function>(reinterpret_cast<void*>(found))
               : &WidenedTickCountEntry;
}

}  // namespace

ULONGLONG WidenedTickCount() {
  static TickWidener widener;
  return widener.Widen(GetTickCount());
}

ULONGLONG TickCount64() {
  // Two threads may both look it up; they find the same function.
  static std::atomic<TickCount64Function> function{nullptr};
  TickCount64Function known = function.load(std::memory_order_acquire);
  if (!known) {
    known = FindTickCount64();
    function.store(known, std::memory_order_release);
  }
  return known();
}

}  // namespace ovalink

#if defined(__i386__)
// The 32-bit build links a copy of the thread library whose GetTickCount64 import was renamed
// to this one (cmake/xp-runtime.cmake): the import slot is a pointer to the function.
extern "C" ULONGLONG WINAPI OvalinkTickCount64() { return ovalink::TickCount64(); }
extern "C" ULONGLONG(WINAPI* const ovalink_tick_count64_slot)() __asm__(
    "__imp__OvalinkTickCount64@0") __attribute__((used)) = &OvalinkTickCount64;
#endif
