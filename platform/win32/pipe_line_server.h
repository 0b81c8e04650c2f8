#pragma once
// A request-line server on a named pipe (message mode): a client writes one request and reads
// one reply, as CallNamedPipe does. One client at a time, on a thread of its own that the
// destructor ends and joins.

#include <windows.h>

#include <functional>
#include <string>
#include <thread>

#include "platform/win32/unique_handle.h"

namespace ovalink {

class PipeLineServer {
 public:
  // Called on the server's thread; an exception it lets out is answered "error: ...".
  using Handler = std::function<std::string(const std::string& request)>;
  static constexpr DWORD kMaxMessage = 4096;

  // `name` as \\.\pipe\NAME. When another process already serves that name, Serving() is
  // false and nothing runs.
  PipeLineServer(const std::string& name, Handler handler);
  ~PipeLineServer();
  PipeLineServer(const PipeLineServer&) = delete;
  PipeLineServer& operator=(const PipeLineServer&) = delete;

  bool Serving() const { return thread_.joinable(); }

 private:
  void Serve();
  // Waits for an overlapped operation; false once a stop has been asked for.
  bool Complete(OVERLAPPED& overlapped, DWORD* bytes);
  std::string Answer(const std::string& request);

  Handler handler_;
  KernelHandle stop_;
  KernelHandle pipe_;
  std::thread thread_;
};

// One request and its reply; false when no server answered within `timeoutMs` (the pipe
// does not exist, or stays busy).
bool CallPipeLine(const std::string& name, const std::string& request, std::string* reply,
                  DWORD timeoutMs);

}  // namespace ovalink
