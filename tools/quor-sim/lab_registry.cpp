#include "tools/quor-sim/lab_registry.h"

#include <ostream>

#include "platform/memory/memory_registry_store.h"
#include "tools/quor-sim/cli.h"
#include "tools/quor-sim/registry_notes.h"

#ifndef _WIN32
#include "platform/posix/reg_file_store.h"
#endif

namespace ovalink::quorsim {

LabRegistry::LabRegistry(const std::string& path, std::ostream& notes) : notes_(notes) {
  if (path.empty()) {
    store_ = std::make_unique<MemoryRegistryStore>();
    return;
  }
#ifdef _WIN32
  throw CommandError("--registry: registry files are kept by the Linux build only");
#else
  auto file = std::make_unique<RegFileStore>(path, RegFileStore::Reporting::ToCaller);
  if (const std::string refusal = file->Refusal(); !refusal.empty()) throw CommandError(refusal);
  for (const std::string& notice : file->TakeNotices()) notes_ << "quor-sim: note: " << notice << "\n";
  saveFailure_ = [store = file.get()] { return store->FirstSaveFailure(); };
  store_ = std::move(file);
#endif
}

void LabRegistry::NoteIgnoredValues() {
  for (const std::string& note : IgnoredRegistryValues(*store_)) {
    notes_ << "quor-sim: note: " << note << "\n";
  }
}

void LabRegistry::ConfirmSaved() const {
  if (!saveFailure_) return;
  if (const std::string failure = saveFailure_(); !failure.empty()) {
    throw CommandError("cannot save the registry file (" + failure +
                       "); the file keeps what it held before that change");
  }
}

std::string DefaultLabRegistryPath() {
#ifdef _WIN32
  return "";
#else
  return DefaultRegistryFilePath();
#endif
}

}  // namespace ovalink::quorsim
