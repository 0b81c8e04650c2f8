// Any bytes either parse as a .reg file or are refused; whatever parses is written back as
// text that parses again, and writing that once more changes nothing.

#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <string>

#include "platform/memory/reg_text.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  using namespace ovalink;
  const std::string bytes(reinterpret_cast<const char*>(data), size);
  RegistryNode parsed;
  RegTextError error;
  if (!ParseRegText(bytes, parsed, &error)) {
    if (error.message.empty()) std::abort();  // a refusal always says why
    return 0;
  }
  const std::string written = WriteRegText(parsed);
  RegistryNode again;
  if (!ParseRegText(written, again, &error)) std::abort();
  if (WriteRegText(again) != written) std::abort();
  return 0;
}
