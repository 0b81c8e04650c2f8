#pragma once
// The registry a lab command works on: a .reg file that persists between runs, or a fresh
// one in memory.

#include <functional>
#include <iosfwd>
#include <memory>
#include <string>

#include "platform/registry_store.h"

namespace ovalink::quorsim {

class LabRegistry {
 public:
  // Empty path: in memory. Otherwise the file (created when missing); throws CommandError,
  // one line, when the file cannot be kept. What loading did to a damaged file is noted on
  // `notes` as "quor-sim: note: ..." lines.
  LabRegistry(const std::string& path, std::ostream& notes);

  RegistryStore& Store() { return *store_; }
  // Notes the values the engine will pass over without a word (wrong sizes, names too long).
  void NoteIgnoredValues();
  // Throws CommandError when a change during the run could not be saved.
  void ConfirmSaved() const;

 private:
  std::unique_ptr<RegistryStore> store_;
  std::ostream& notes_;
  std::function<std::string()> saveFailure_;  // empty in memory
};

// Where train and press keep their registry without --registry.
std::string DefaultLabRegistryPath();

}  // namespace ovalink::quorsim
