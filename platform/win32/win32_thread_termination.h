#pragma once
// The last resort for a worker thread that does not end when asked: TerminateThread.

#include <thread>

namespace ovalink {

// Terminates `worker` and leaves the std::thread unjoinable. Whatever the thread held (locks,
// memory) is lost, which is why the engine tries this only after its wait has run out; the
// program exits right afterwards. False when the thread's handle cannot be had.
bool TerminateWorkerThread(std::thread& worker);

}  // namespace ovalink
