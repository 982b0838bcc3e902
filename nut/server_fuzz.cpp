// Fuzz target: a client's bytes through the server's line reader and its sessions. The input's
// first byte sets how the stream is cut into reads; the rest is what the client sent.
#include <cstddef>
#include <cstdint>
#include <string_view>

#include "nut/line_reader.h"
#include "nut/server_session.h"
#include "nut/test_server_world.h"

namespace {

void check(bool condition) {
  if (!condition) __builtin_trap();
}

// Every answer is whole lines, only LOGOUT closes the connection, and a client that waits for each
// answer is never held longer than the longest pause.
void check_answer(const nut::ServerSession::Answer& answer, const nut::ServerSession& session) {
  check(answer.text.empty() || answer.text.back() == '\n');
  check(answer.close == session.closed() || answer.text.empty());
  check(answer.hold <= nut::LoginSlowdown::kLongestPause);
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  if (size == 0) return 0;
  const std::size_t piece = 1 + data[0] % 64;
  std::string_view stream(reinterpret_cast<const char*>(data + 1), size - 1);

  nut::TestServerWorld world;
  world.snapshot.stale = (data[0] & 0x80) != 0;
  auto session = world.session();
  nut::LineReader reader(nut::kMaxRequestLength);
  std::chrono::milliseconds now{0};
  while (!stream.empty() && !session->closed() && !reader.overlong()) {
    reader.feed(stream.substr(0, piece));
    stream.remove_prefix(std::min(piece, stream.size()));
    while (std::optional<std::string> line = reader.next_line()) {
      check(line->size() <= nut::kMaxRequestLength);
      const nut::ServerSession::Answer answer = session->handle_line(*line, now);
      check_answer(answer, *session);
      now += answer.hold + std::chrono::milliseconds(100);
    }
  }
  check(world.logins.count() <= 1);
  session.reset();
  check(world.logins.count() == 0);
  return 0;
}
