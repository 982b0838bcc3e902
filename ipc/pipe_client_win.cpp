#include "ipc/pipe_client_win.h"

#include "ipc/pipe_server_identity_win.h"
#include "platform/debug_trace.h"
#include "platform/security_win.h"

namespace ipc {
namespace {

constexpr DWORD kWriteWaitMs = 1000;

// Ends an overlapped operation that did not complete in time. The OVERLAPPED must not be reused
// before the system is done with it, and a read may have completed just before the cancel: its
// bytes count.
DWORD finish_overlapped(HANDLE pipe, OVERLAPPED& overlapped, DWORD wait_ms, bool& ok) {
  if (WaitForSingleObject(overlapped.hEvent, wait_ms) != WAIT_OBJECT_0) CancelIo(pipe);
  DWORD count = 0;
  ok = GetOverlappedResult(pipe, &overlapped, &count, TRUE);
  return count;
}

}  // namespace

// The pipe as the reader sees it: an overlapped read tested without waiting.
class PipeClient::Source final : public ByteSource {
 public:
  explicit Source(PipeClient& client) : client_(client) {}
  bool read(unsigned char* into, std::size_t length, std::size_t& got) override {
    OVERLAPPED overlapped{};
    overlapped.hEvent = client_.io_event_.get();
    if (!ReadFile(client_.pipe_.get(), into, static_cast<DWORD>(length), nullptr, &overlapped) &&
        GetLastError() != ERROR_IO_PENDING)
      return failed(GetLastError());
    bool ok = false;
    got = finish_overlapped(client_.pipe_.get(), overlapped, 0, ok);
    if (ok || GetLastError() == ERROR_OPERATION_ABORTED) return true;
    return failed(GetLastError());
  }

 private:
  bool failed(DWORD error) {
    client_.last_read_error_ = error;
    return false;
  }
  PipeClient& client_;
};

bool PipeClient::connect() {
  disconnect();
  // Exactly what users are granted (GENERIC_WRITE would ask for the right to create instances).
  // The service may only identify the caller, never act in its name.
  pipe_.reset(CreateFileA(name_.c_str(), platform::kPipeUserAccess, 0, nullptr, OPEN_EXISTING,
                          FILE_FLAG_OVERLAPPED | SECURITY_SQOS_PRESENT | SECURITY_IDENTIFICATION, nullptr));
  if (!pipe_) return connect_failed(GetLastError());
  if (!pipe_server_is_the_service(pipe_.get())) {
    pipe_.reset();
    return connect_failed(ERROR_ACCESS_DENIED);
  }
  io_event_.reset(CreateEventA(nullptr, TRUE, FALSE, nullptr));
  if (!io_event_) {
    pipe_.reset();
    return false;
  }
  reader_.restart();
  return true;
}

// An impostor met on the way is what the caller learns, whatever the last attempt found: its
// instance, once left, stays busy until its owner disconnects it.
bool PipeClient::connect_within(DWORD limit_ms) {
  const DWORD start = GetTickCount();
  bool impostor = false;
  while (!connect()) {
    impostor = impostor || last_connect_error_ == ERROR_ACCESS_DENIED;
    const DWORD waited = GetTickCount() - start;
    if (waited >= limit_ms) return connect_failed(impostor ? ERROR_ACCESS_DENIED : last_connect_error_);
    if (last_connect_error_ != ERROR_PIPE_BUSY || !WaitNamedPipeA(name_.c_str(), limit_ms - waited)) Sleep(50);
  }
  return true;
}

bool PipeClient::connect_failed(DWORD error) {
  last_connect_error_ = error;
  return false;
}

// No flush before closing: it would wait until the service has read everything, and the service
// reads one message per polling cycle. What was written stays readable after the close.
void PipeClient::disconnect() {
  pipe_.reset();
  io_event_.reset();
}

PipeMessageReader::Result PipeClient::try_read() {
  if (!pipe_) return PipeMessageReader::Result::nothing;
  Source source(*this);
  return reader_.read_from(source);
}

bool PipeClient::write(const PipeMessage& message) {
  if (!pipe_ || message.size < kPipeHeaderSize || message.size > kPipeBufferSize) return false;
  OVERLAPPED overlapped{};
  overlapped.hEvent = io_event_.get();
  if (!WriteFile(pipe_.get(), &message, message.size, nullptr, &overlapped) && GetLastError() != ERROR_IO_PENDING)
    return false;
  bool ok = false;
  const DWORD count = finish_overlapped(pipe_.get(), overlapped, kWriteWaitMs, ok);
  return ok && count == message.size;
}

bool PipeClient::poll(bool may_connect, PipeClientEvents& events) {
  if (!pipe_ && may_connect) debug_trace("UPS_UI::IPC connect %d\n", connect() ? 1 : 0);
  switch (try_read()) {
    case PipeMessageReader::Result::message:
      return handle_message(events);
    case PipeMessageReader::Result::failed:
      if (last_read_error_ != ERROR_BROKEN_PIPE && last_read_error_ != ERROR_PIPE_NOT_CONNECTED) return false;
      break;
    case PipeMessageReader::Result::rejected:
      break;
    case PipeMessageReader::Result::nothing:
      return false;
  }
  disconnect();
  debug_trace("UPS_UI::IPC closed by error\n");
  return true;
}

bool PipeClient::handle_message(PipeClientEvents& events) {
  debug_trace("UPS_UI::Msg size:%d cmd:%d\n", static_cast<int>(message().size), static_cast<int>(message().cmd));
  if (message().cmd == MSG_CLOSE) {
    disconnect();
    debug_trace("UPS_UI::IPC closed by command\n");
    return true;
  }
  if (message().cmd == MSG_STAT_FLUSHED) {
    debug_trace("UPS_UI::stat flushed\n");
    events.on_stat_flushed();
    return true;
  }
  if (message().cmd == MSG_ANSWER && message().size == kPipeAnswerSize) {
    events.on_answer(message().payload_word(0), message().payload_word(1));
    return true;
  }
  return false;
}

}  // namespace ipc
