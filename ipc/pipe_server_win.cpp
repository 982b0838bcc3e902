#include "ipc/pipe_server_win.h"

#include "platform/debug_trace.h"
#include "platform/security_win.h"
#include "platform/system_version_win.h"

namespace ipc {
namespace {

// Not defined by every SDK; the flag exists from Vista on and is refused before.
constexpr DWORD kRejectRemoteClients = 0x00000008;

DWORD pipe_mode() {
  const DWORD mode = PIPE_TYPE_BYTE | PIPE_READMODE_BYTE | PIPE_NOWAIT;
  return platform::system_before_vista() ? mode : mode | kRejectRemoteClients;
}

}  // namespace

// The pipe as the reader sees it: each read returns at once with what is there.
class PipeServer::Source final : public ByteSource {
 public:
  explicit Source(PipeServer& server) : server_(server) {}
  bool read(unsigned char* into, std::size_t length, std::size_t& got) override {
    DWORD count = 0;
    if (!ReadFile(server_.pipe_.get(), into, static_cast<DWORD>(length), &count, nullptr)) {
      server_.last_read_error_ = GetLastError();
      return false;
    }
    got = count;
    return true;
  }

 private:
  PipeServer& server_;
};

bool PipeServer::create() {
  disconnect();
  platform::ObjectSecurity security(platform::SystemObject::pipe);
  pipe_.reset(CreateNamedPipeA(name_.c_str(), PIPE_ACCESS_DUPLEX | FILE_FLAG_FIRST_PIPE_INSTANCE, pipe_mode(), 1,
                               kPipeBufferSize, kPipeBufferSize, 0, security.attributes()));
  if (!pipe_) {
    debug_trace("UPS::CreateNamedPipe error: %u\n", static_cast<unsigned>(GetLastError()));
    return false;
  }
  reader_.restart();
  return true;
}

// No flush before disconnecting: flushing waits until the client has read everything, and a hung
// tray would then hold up the polling thread or UPSStop on the way to a critical shutdown.
void PipeServer::disconnect() {
  if (!pipe_) return;
  DisconnectNamedPipe(pipe_.get());
  pipe_.reset();
}

PipeMessageReader::Result PipeServer::try_read() {
  if (!pipe_) return PipeMessageReader::Result::nothing;
  Source source(*this);
  return reader_.read_from(source);
}

bool PipeServer::write(const PipeMessage& message) {
  if (!pipe_ || message.size < kPipeHeaderSize || message.size > kPipeBufferSize) return false;
  DWORD written = 0;
  return WriteFile(pipe_.get(), &message, message.size, &written, nullptr) && written == message.size;
}

void PipeServer::poll(PipeCommandHandler& handler) {
  switch (try_read()) {
    case PipeMessageReader::Result::message:
      execute(handler);
      return;
    case PipeMessageReader::Result::rejected:
      debug_trace("UPS::Msg size:%u rejected\n", static_cast<unsigned>(message().size));
      recreate();
      return;
    case PipeMessageReader::Result::failed:
      if (last_read_error_ == ERROR_BROKEN_PIPE) recreate();
      return;
    case PipeMessageReader::Result::nothing:
      return;
  }
}

void PipeServer::execute(PipeCommandHandler& handler) {
  const PipeMessage& received = message();
  debug_trace("UPS::Msg size:%d cmd:%d\n", static_cast<int>(received.size), static_cast<int>(received.cmd));
  if (execute_pipe_message(received, handler) == PipeReply::stat_flushed) write(make_pipe_message(MSG_STAT_FLUSHED));
}

void PipeServer::recreate() {
  debug_trace("UPS::IPC recreated:%d\n", listen_again() ? 1 : 0);
}

// A no-wait instance answers ConnectNamedPipe at once: listening, or already connected again.
bool PipeServer::listen_again() {
  if (!pipe_) return false;
  DisconnectNamedPipe(pipe_.get());
  reader_.restart();
  if (ConnectNamedPipe(pipe_.get(), nullptr)) return true;
  const DWORD error = GetLastError();
  return error == ERROR_PIPE_LISTENING || error == ERROR_PIPE_CONNECTED;
}

}  // namespace ipc
