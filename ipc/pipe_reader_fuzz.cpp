// Fuzz target: the pipe server's reader and command table fed an arbitrary byte stream, cut into
// arbitrary pieces (the first input byte seeds how much each read gets, including nothing and a
// failed read, and which rights the caller holds). A message must stay inside the buffer, within
// 8..4096 bytes, and execute safely; nothing may be done for a caller lacking its rights.
#include <cstddef>
#include <cstdint>
#include <cstring>

#include "ipc/pipe_commands.h"
#include "ipc/pipe_message_reader.h"
#include "ipc/pipe_rights.h"

namespace {

class FuzzPipe : public ipc::ByteSource {
 public:
  FuzzPipe(const ipc::PipeMessageReader& reader, const std::uint8_t* data, std::size_t size, std::uint8_t seed)
      : buffer_(reinterpret_cast<const unsigned char*>(&reader.message())), data_(data), size_(size), seed_(seed) {}

  bool read(unsigned char* into, std::size_t length, std::size_t& got) override {
    if (into < buffer_ || into + length > buffer_ + sizeof(ipc::PipeMessage)) __builtin_trap();
    seed_ = static_cast<std::uint8_t>(seed_ * 37 + 11);
    const std::size_t limit = seed_ % 16;
    if (limit == 15) return false;
    got = length < limit ? length : limit;
    if (got > size_ - offset_) got = size_ - offset_;
    std::memcpy(into, data_ + offset_, got);
    offset_ += got;
    return true;
  }
  bool exhausted() const { return offset_ == size_; }

 private:
  const unsigned char* buffer_;
  const std::uint8_t* data_;
  std::size_t size_;
  std::size_t offset_ = 0;
  std::uint8_t seed_;
};

class NullCore : public ipc::PipeCommandHandler {
 public:
  // Whatever the record held, the times and thresholds stay in the settings pages' ranges.
  void replace_settings(const core::CoreSettings& s) override {
    if (s.wait_ba_wait > 120 || s.turn_ups_on_wait < 1 || s.turn_ups_on_wait > 9999 ||
        s.shutdown_on_cap_battery_wait > 100 || s.shutdown_on_u_battery_wait < 50 || s.shutdown_on_u_battery_wait > 1000 ||
        s.signal_window_start < 0 || s.signal_window_start > 1439 || s.signal_window_end < 0 || s.signal_window_end > 1439)
      __builtin_trap();
    done();
  }
  void reload_statistics_config() override { done(); }
  void flush_statistics() override { done(); }
  bool ups_link_up() override { return true; }
  void send_ups_command(const char* command) override {
    if (std::strlen(command) > 4) __builtin_trap();  // the longest is "T99\r"
    done();
  }
  void start_power_action(std::uint32_t) override { done(); }
  void set_action_blocked(bool) override { done(); }
  void set_turn_off_blocked(bool) override { done(); }
  void request_refused(const std::string&, std::uint32_t, std::uint32_t missing) override {
    if (missing == 0) __builtin_trap();
  }
  void pipe_unavailable(std::uint32_t) override {}
  // The message being served and the rights of its caller.
  const ipc::PipeMessage* serving = nullptr;
  std::uint32_t held = 0;

 private:
  void done() {
    if (serving && ipc::missing_rights(ipc::rights_needed(*serving), held) != 0) __builtin_trap();
  }
};

class FuzzCaller : public ipc::PipeCaller {
 public:
  explicit FuzzCaller(std::uint32_t rights) : rights_(rights) {}
  std::uint32_t held_rights() override { return rights_; }
  std::string account() override { return "fuzz"; }

 private:
  std::uint32_t rights_;
};

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  if (size == 0) return 0;
  ipc::PipeMessageReader reader;
  FuzzPipe pipe(reader, data + 1, size - 1, data[0]);
  NullCore core;
  core.held = data[0] & ipc::kAllRights;
  FuzzCaller caller(core.held);
  // Every read either takes bytes or is one of the few empty or failed ones the seed cycle allows.
  for (std::size_t polls = 0; !pipe.exhausted() && polls < 64 + 8 * size; ++polls) {
    if (reader.read_from(pipe) != ipc::PipeMessageReader::Result::message) continue;
    const ipc::PipeMessage& message = reader.message();
    if (message.size < ipc::kPipeHeaderSize || message.size > ipc::kPipeBufferSize) __builtin_trap();
    core.serving = &message;
    ipc::serve_pipe_message(message, caller, core);
  }
  return 0;
}
