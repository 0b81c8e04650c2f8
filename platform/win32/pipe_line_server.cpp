#include "platform/win32/pipe_line_server.h"

#include <exception>

namespace ovalink {

PipeLineServer::PipeLineServer(const std::string& name, Handler handler)
    : handler_(std::move(handler)), stop_(CreateEventA(nullptr, TRUE, FALSE, nullptr)) {
  pipe_.reset(CreateNamedPipeA(name.c_str(),
                               PIPE_ACCESS_DUPLEX | FILE_FLAG_OVERLAPPED | FILE_FLAG_FIRST_PIPE_INSTANCE,
                               PIPE_TYPE_MESSAGE | PIPE_READMODE_MESSAGE | PIPE_WAIT, 1, kMaxMessage,
                               kMaxMessage, 0, nullptr));
  if (pipe_ && stop_) thread_ = std::thread([this] { Serve(); });
}

PipeLineServer::~PipeLineServer() {
  if (!thread_.joinable()) return;
  SetEvent(stop_.get());
  thread_.join();
}

bool PipeLineServer::Complete(OVERLAPPED& overlapped, DWORD* bytes) {
  const HANDLE events[] = {overlapped.hEvent, stop_.get()};
  if (WaitForMultipleObjects(2, events, FALSE, INFINITE) != WAIT_OBJECT_0) {
    CancelIo(pipe_.get());
    GetOverlappedResult(pipe_.get(), &overlapped, bytes, TRUE);
    return false;
  }
  return true;
}

std::string PipeLineServer::Answer(const std::string& request) {
  try {
    return handler_(request);
  } catch (const std::exception& e) {
    return std::string("error: ") + e.what();
  } catch (...) {
    return "error: request failed";
  }
}

void PipeLineServer::Serve() {
  KernelHandle event(CreateEventA(nullptr, TRUE, FALSE, nullptr));
  if (!event) return;
  char buffer[kMaxMessage];
  for (;;) {
    OVERLAPPED overlapped{};
    overlapped.hEvent = event.get();
    ResetEvent(event.get());
    DWORD bytes = 0;
    if (!ConnectNamedPipe(pipe_.get(), &overlapped)) {
      const DWORD error = GetLastError();
      if (error == ERROR_IO_PENDING) {
        if (!Complete(overlapped, &bytes)) return;
      } else if (error != ERROR_PIPE_CONNECTED) {
        // A client that came and went before we got to it: start over.
        DisconnectNamedPipe(pipe_.get());
        continue;
      }
    }
    ResetEvent(event.get());
    bool ok = ReadFile(pipe_.get(), buffer, sizeof buffer, nullptr, &overlapped) != 0 ||
              GetLastError() == ERROR_IO_PENDING;
    if (ok) {
      if (!Complete(overlapped, &bytes)) return;
      ok = GetOverlappedResult(pipe_.get(), &overlapped, &bytes, FALSE) != 0;
    }
    if (ok) {
      std::string request(buffer, bytes);
      while (!request.empty() && (request.back() == '\n' || request.back() == '\r')) request.pop_back();
      std::string reply = Answer(request);
      if (reply.size() > kMaxMessage) reply.resize(kMaxMessage);
      ResetEvent(event.get());
      if (WriteFile(pipe_.get(), reply.data(), DWORD(reply.size()), nullptr, &overlapped) ||
          GetLastError() == ERROR_IO_PENDING) {
        if (!Complete(overlapped, &bytes)) return;
      }
      FlushFileBuffers(pipe_.get());
    }
    DisconnectNamedPipe(pipe_.get());
  }
}

bool CallPipeLine(const std::string& name, const std::string& request, std::string* reply,
                  DWORD timeoutMs) {
  // Elapsed time in 32-bit ticks: the difference stays right across the counter's wrap, and
  // GetTickCount64 would keep the program from loading on Windows XP.
  const DWORD start = GetTickCount();
  char buffer[PipeLineServer::kMaxMessage];
  for (;;) {
    DWORD bytes = 0;
    if (CallNamedPipeA(name.c_str(), const_cast<char*>(request.data()), DWORD(request.size()),
                       buffer, sizeof buffer, &bytes, 50)) {
      reply->assign(buffer, bytes);
      return true;
    }
    // Between two clients the single instance is briefly not listening: try again.
    if (GetTickCount() - start >= timeoutMs) return false;
    Sleep(5);
  }
}

}  // namespace ovalink
