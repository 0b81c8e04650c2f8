#pragma once
// The registry a lab command works on: a .reg file that persists between runs, or a fresh
// one in memory.

#include <memory>
#include <string>

#include "platform/registry_store.h"

namespace ovalink::quorsim {

// Empty path: in memory. Otherwise the file (created when missing); throws CommandError when
// the file cannot be used.
std::unique_ptr<RegistryStore> OpenLabRegistry(const std::string& path);
// Where train and press keep their registry without --registry.
std::string DefaultLabRegistryPath();

}  // namespace ovalink::quorsim
