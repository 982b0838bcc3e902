#include "ipc/pipe_instance_win.h"

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
class PipeInstance::Source final : public ByteSource {
 public:
  explicit Source(PipeInstance& instance) : instance_(instance) {}
  bool read(unsigned char* into, std::size_t length, std::size_t& got) override {
    DWORD count = 0;
    if (!ReadFile(instance_.pipe_.get(), into, static_cast<DWORD>(length), &count, nullptr)) {
      instance_.last_read_error_ = GetLastError();
      return false;
    }
    got = count;
    return true;
  }

 private:
  PipeInstance& instance_;
};

bool PipeInstance::create(const char* name, bool first) {
  close();
  platform::ObjectSecurity security(platform::SystemObject::pipe);
  const DWORD open_mode = PIPE_ACCESS_DUPLEX | (first ? FILE_FLAG_FIRST_PIPE_INSTANCE : 0);
  pipe_.reset(CreateNamedPipeA(name, open_mode, pipe_mode(), kPipeInstances, kPipeBufferSize, kPipeBufferSize, 0,
                               security.attributes()));
  reader_.restart();
  return pipe_.is_open();
}

bool PipeInstance::adopt(HANDLE handle) {
  close();
  pipe_.reset(handle);
  return listen_again();
}

// No flush before disconnecting: flushing waits until the client has read everything, and a hung
// tray would then hold up the polling thread or UPSStop on the way to a critical shutdown.
void PipeInstance::close() {
  if (!pipe_) return;
  DisconnectNamedPipe(pipe_.get());
  pipe_.reset();
}

PipeMessageReader::Result PipeInstance::try_read() {
  if (!pipe_) return PipeMessageReader::Result::nothing;
  Source source(*this);
  return reader_.read_from(source);
}

bool PipeInstance::write(const PipeMessage& message) {
  if (!pipe_ || message.size < kPipeHeaderSize || message.size > kPipeBufferSize) return false;
  DWORD written = 0;
  return WriteFile(pipe_.get(), &message, message.size, &written, nullptr) && written == message.size;
}

// A no-wait instance answers ConnectNamedPipe at once: listening, or already connected again.
bool PipeInstance::listen_again() {
  if (!pipe_) return false;
  DisconnectNamedPipe(pipe_.get());
  reader_.restart();
  if (ConnectNamedPipe(pipe_.get(), nullptr)) return true;
  const DWORD error = GetLastError();
  return error == ERROR_PIPE_LISTENING || error == ERROR_PIPE_CONNECTED;
}

}  // namespace ipc
