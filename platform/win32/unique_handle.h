#pragma once
// Move-only owners of Win32 handles. Each closes what it holds on destruction and on
// move-assignment; the traits say how a kind of handle is closed.

#include <windows.h>

#include <utility>

namespace ovalink {

template <typename Traits>
class UniqueHandle {
 public:
  using Handle = typename Traits::Handle;

  UniqueHandle() = default;
  explicit UniqueHandle(Handle handle) : handle_(Traits::Normalise(handle)) {}
  ~UniqueHandle() { reset(); }

  UniqueHandle(const UniqueHandle&) = delete;
  UniqueHandle& operator=(const UniqueHandle&) = delete;
  UniqueHandle(UniqueHandle&& other) noexcept : handle_(other.release()) {}
  UniqueHandle& operator=(UniqueHandle&& other) noexcept {
    if (this != &other) reset(other.release());
    return *this;
  }

  Handle get() const { return handle_; }
  explicit operator bool() const { return handle_ != nullptr; }

  Handle release() { return std::exchange(handle_, nullptr); }
  void reset(Handle handle = nullptr) {
    Handle old = std::exchange(handle_, Traits::Normalise(handle));
    if (old) Traits::Close(old);
  }

 private:
  Handle handle_ = nullptr;
};

namespace handle_traits {
template <typename H>
struct Plain {
  using Handle = H;
  static H Normalise(H handle) { return handle; }
};

struct Kernel : Plain<HANDLE> {
  // CreateFile fails with INVALID_HANDLE_VALUE, CreateMutex with null: both mean "none".
  static HANDLE Normalise(HANDLE handle) { return handle == INVALID_HANDLE_VALUE ? nullptr : handle; }
  static void Close(HANDLE handle) { ::CloseHandle(handle); }
};
struct Service : Plain<SC_HANDLE> {
  static void Close(SC_HANDLE handle) { ::CloseServiceHandle(handle); }
};
}  // namespace handle_traits

using KernelHandle = UniqueHandle<handle_traits::Kernel>;
using ServiceHandle = UniqueHandle<handle_traits::Service>;

}  // namespace ovalink
