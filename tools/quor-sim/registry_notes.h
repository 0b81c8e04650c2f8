#pragma once
// What the engine will silently pass over in a registry: trained codes of the wrong size or
// type, codes without their second pattern, value names that are not a button's, value names
// too long to be enumerated.

#include <string>
#include <vector>

#include "platform/registry_store.h"

namespace ovalink::quorsim {

// One line per value the program ignores, naming the key and value; empty when none.
std::vector<std::string> IgnoredRegistryValues(RegistryStore& store);

}  // namespace ovalink::quorsim
