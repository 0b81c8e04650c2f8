#include "tools/quor-sim/registry_notes.h"

#include <vector>

#include "app/button_value_name.h"
#include "app/registry_layout.h"
#include "commands/remote_command.h"
#include "engine/signal_code.h"
#include "platform/memory/registry_tree.h"

namespace ovalink::quorsim {

namespace {

// RegKey enumerates with a buffer of this many characters, the NUL included.
constexpr std::size_t kEnumerableNameChars = 999;
constexpr std::uint32_t kLongestName = 16384;  // the registry's own limit, with room

struct Entry {
  std::string name;
  RegType type = RegType::None;
  std::uint32_t size = 0;
};

// Every value of the key as the store holds it, long names included; nothing is created.
std::vector<Entry> ListValues(RegistryStore& store, const std::string& path) {
  std::vector<Entry> entries;
  RegHandle key = 0;
  if (store.CreateKey(RegRoot::CurrentUser, path, &key) != kRegOk) return entries;
  std::vector<char> name(kLongestName);
  for (std::uint32_t index = 0;; ++index) {
    std::uint32_t length = kLongestName;
    Entry entry;
    if (store.EnumValue(key, index, name.data(), &length, &entry.type) != kRegOk) break;
    entry.name.assign(name.data(), length);
    store.QueryValue(key, entry.name, &entry.type, nullptr, &entry.size);
    entries.push_back(std::move(entry));
  }
  store.CloseKey(key);
  return entries;
}

std::string Shown(const std::string& name) {
  return name.size() > 40 ? "\"" + name.substr(0, 40) + "...\"" : "\"" + name + "\"";
}

bool IsBinaryOf(const Entry& entry, std::uint32_t size) {
  return entry.type == RegType::Binary && entry.size == size;
}

const Entry* Named(const std::vector<Entry>& entries, const std::string& name) {
  for (const Entry& entry : entries) {
    if (EqualsIgnoreCase(entry.name, name)) return &entry;
  }
  return nullptr;
}

// The program's listing of a key ends at the first name too long for its buffer.
std::size_t EnumerableCount(const std::vector<Entry>& entries) {
  for (std::size_t i = 0; i < entries.size(); ++i) {
    if (entries[i].name.size() + 1 > kEnumerableNameChars) return i;
  }
  return entries.size();
}

}  // namespace

std::vector<std::string> IgnoredRegistryValues(RegistryStore& store) {
  constexpr auto kCodeBytes = static_cast<std::uint32_t>(kSlotCount);
  constexpr auto kCommandBytes = static_cast<std::uint32_t>(kRemoteCommandBytes);
  std::vector<std::string> notes;
  for (const char* key : {kSettingsKey, kCodes1Key, kCodes2Key, kCodeFlagsKey, kCommandsKey}) {
    const std::vector<Entry> entries = ListValues(store, key);
    const std::size_t seen = EnumerableCount(entries);
    if (seen == entries.size()) continue;
    notes.push_back("registry key " + std::string(key) + ": a value name of " +
                    std::to_string(entries[seen].name.size()) + " characters ends the listing; it and the " +
                    std::to_string(entries.size() - seen - 1) + " values after it are ignored");
  }
  struct ButtonKey {
    const char* path;
    const char* shown;
  };
  for (const ButtonKey key : {ButtonKey{kCodes1Key, "Codes1"}, ButtonKey{kCodes2Key, "Codes2"},
                              ButtonKey{kCodeFlagsKey, "CodeFlags"},
                              ButtonKey{kCommandsKey, "Commands"}}) {
    const std::vector<Entry> entries = ListValues(store, key.path);
    for (std::size_t i = 0; i < EnumerableCount(entries); ++i) {
      if (ButtonOfValueName(entries[i].name)) continue;
      notes.push_back("registry: " + std::string(key.shown) + " value " + Shown(entries[i].name) +
                      " is not named by a button (0 to 33, without leading zeros); it is ignored");
    }
  }
  const std::vector<Entry> codes1 = ListValues(store, kCodes1Key);
  const std::vector<Entry> codes2 = ListValues(store, kCodes2Key);
  for (std::size_t i = 0; i < EnumerableCount(codes1); ++i) {
    const Entry& code = codes1[i];
    if (!ButtonOfValueName(code.name)) continue;
    if (!IsBinaryOf(code, kCodeBytes)) {
      notes.push_back("registry: Codes1 value " + Shown(code.name) + " is " +
                      std::to_string(code.size) + " bytes of type " +
                      std::to_string(unsigned(code.type)) + ", not " + std::to_string(kCodeBytes) +
                      " bytes of binary; that code is ignored");
      continue;
    }
    const Entry* second = Named(codes2, code.name);
    if (!second || !IsBinaryOf(*second, kCodeBytes)) {
      notes.push_back("registry: Codes2 has no " + std::to_string(kCodeBytes) +
                      "-byte binary value " + Shown(code.name) + "; that code is ignored");
    }
  }
  const std::vector<Entry> commands = ListValues(store, kCommandsKey);
  for (std::size_t i = 0; i < EnumerableCount(commands); ++i) {
    if (ButtonOfValueName(commands[i].name) && !IsBinaryOf(commands[i], kCommandBytes)) {
      notes.push_back("registry: Commands value " + Shown(commands[i].name) + " is not " +
                      std::to_string(kCommandBytes) + " bytes of binary; that command is ignored");
    }
  }
  return notes;
}

}  // namespace ovalink::quorsim
