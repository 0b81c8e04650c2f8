#include "platform/win32/win32_thread_termination.h"

#include <windows.h>
#include <pthread.h>

namespace ovalink {

bool TerminateWorkerThread(std::thread& worker) {
  if (!worker.joinable()) return false;
  // std::thread here is a winpthreads thread; its Win32 handle is kept by the library.
  const HANDLE handle = static_cast<HANDLE>(pthread_gethandle(worker.native_handle()));
  if (handle == nullptr) return false;
  if (!TerminateThread(handle, 1)) return false;
  WaitForSingleObject(handle, INFINITE);
  worker.detach();
  return true;
}

}  // namespace ovalink
