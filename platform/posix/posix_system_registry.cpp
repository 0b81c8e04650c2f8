#include "platform/posix/reg_file_store.h"
#include "platform/registry_store.h"

namespace ovalink {

RegistryStore& SystemRegistry() {
  static RegFileStore store(DefaultRegistryFilePath());
  return store;
}

}  // namespace ovalink
