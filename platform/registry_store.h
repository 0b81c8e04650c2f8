#pragma once
// Registry store seam: the handful of registry primitives that RegKey rests on.
// Every back end mirrors the Win32 registry functions' contract, status codes included,
// so that RegKey behaves identically over advapi32, the Linux .reg file and memory.

#include <cstddef>
#include <cstdint>
#include <string>

namespace ovalink {

// Status codes are the Win32 ones; the core compares against these names only.
using RegStatus = long;
constexpr RegStatus kRegOk = 0;
constexpr RegStatus kRegNotFound = 2;       // ERROR_FILE_NOT_FOUND
constexpr RegStatus kRegAccessDenied = 5;   // ERROR_ACCESS_DENIED
constexpr RegStatus kRegInvalidHandle = 6;  // ERROR_INVALID_HANDLE
constexpr RegStatus kRegWriteFault = 29;    // ERROR_WRITE_FAULT: a change could not be kept
constexpr RegStatus kRegMoreData = 234;     // ERROR_MORE_DATA
constexpr RegStatus kRegNoMoreItems = 259;  // ERROR_NO_MORE_ITEMS

// Value types, numbered as the registry numbers them.
enum class RegType : std::uint32_t {
  None = 0,
  String = 1,   // REG_SZ
  Binary = 3,   // REG_BINARY
  Dword = 4,    // REG_DWORD (little-endian)
};

// Only the current user's hive is used by this program.
enum class RegRoot { CurrentUser };

// Opaque key handle; 0 is never a valid handle.
using RegHandle = std::uintptr_t;

// Thread-safe: the main thread and the worker (code store, training) open keys at the same
// time; each handle stays on the thread that opened it.
class RegistryStore {
 public:
  virtual ~RegistryStore() = default;

  // Opens the key at `path` (backslash-separated) under `root`, creating it and any
  // missing parents. On success stores a handle in *out; on failure *out is 0.
  virtual RegStatus CreateKey(RegRoot root, const std::string& path, RegHandle* out) = 0;

  // Opens the existing key at `path` with read access only: nothing is created, and every
  // change through the handle fails with kRegAccessDenied. A missing key: kRegNotFound.
  virtual RegStatus OpenKeyForReading(RegRoot root, const std::string& path, RegHandle* out) = 0;

  // Releases a handle from CreateKey or OpenKeyForReading. Handles are never shared between
  // threads.
  virtual RegStatus CloseKey(RegHandle key) = 0;

  // Reads a value. *size holds the buffer size on entry. When the data does not fit,
  // returns kRegMoreData with *size set to the size needed (type still reported);
  // otherwise copies the data and sets *size to its length. `data` may be null to ask
  // only for type and size. A missing value gives kRegNotFound.
  virtual RegStatus QueryValue(RegHandle key, const std::string& name, RegType* type,
                               std::uint8_t* data, std::uint32_t* size) = 0;

  // Creates or replaces a value with exactly `size` bytes of data. A change the store
  // cannot keep (CreateKey's creation, SetValue, DeleteValue) fails and changes nothing.
  virtual RegStatus SetValue(RegHandle key, const std::string& name, RegType type,
                             const std::uint8_t* data, std::uint32_t size) = 0;

  // Names the value at `index` in the store's own order. *nameCapacity is the buffer size
  // in characters including the terminating NUL; a name that does not fit fails with
  // kRegMoreData. Past the last value: kRegNoMoreItems. On success *nameCapacity is the
  // name's length without the NUL.
  virtual RegStatus EnumValue(RegHandle key, std::uint32_t index, char* name,
                              std::uint32_t* nameCapacity, RegType* type) = 0;

  // Removes a value; a missing one gives kRegNotFound.
  virtual RegStatus DeleteValue(RegHandle key, const std::string& name) = 0;
};

// The process-wide registry that every RegKey opens: the one installed, else the operating
// system's own. Tests and tools install theirs and reset it afterwards (nullptr restores the
// system's). Installation happens before other threads use the registry.
RegistryStore& ActiveRegistry();
void InstallRegistry(RegistryStore* store);

// The operating system's registry, created on first use; one definition per platform (the
// Win32 registry; on Linux the .reg file store at DefaultRegistryFilePath()).
RegistryStore& SystemRegistry();

}  // namespace ovalink
