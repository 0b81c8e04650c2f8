#pragma once
// The port and Enable: how the program stores them under the settings key and which UART it
// listens on. The main window (GetPort, SetPort, IsEnabled, SetEnabled), through it the
// settings dialog, and the lab all come here.

#include <cstdint>
#include <functional>

#include "port/port.h"

namespace ovalink {

// "Port": the stored base when it is a legacy one (kCandidateBases), else 0 (none chosen:
// detect). A missing value is written back as 0. Another stored value (a hand-edited
// address) reads as 0 too: programming whatever sits at that I/O address could harm the
// machine.
std::uint32_t ReadPortSetting();
// Stores a legacy base, or 0; any other value is not stored (false).
bool WritePortSetting(std::uint32_t base);

// "Enable" (default 1, written back when missing): non-zero delivers recognised presses.
std::uint32_t ReadEnableSetting();
void WriteEnableSetting(std::uint32_t value);

// Runs one UART operation of the caller's thread; the main window's tells the user of a
// PortAccessFault, the lab's lets it through.
using PortAccessGuard = std::function<void(const std::function<void()>&)>;

// The stored base selected and written back, without a probe; with none stored, one
// detected and stored, 0 included (so a start that found nothing probes again next time).
// Returns the base now selected, 0 when none.
std::uint32_t SelectStoredPort(Port& port, const PortAccessGuard& guard);

// A base chosen by the user: a legacy base is selected and stored; any other value changes
// nothing.
void SelectPort(Port& port, std::uint32_t base, const PortAccessGuard& guard);

}  // namespace ovalink
