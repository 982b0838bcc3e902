// Fuzz target: a client's bytes through a whole server connection, as the socket layer drives it:
// the input's first byte sets the size of each read, the second how many bytes each send may take;
// time moves on by a tenth of a second a turn. Whatever the client sends, the connection keeps at
// most one answer, reads nothing while one waits, never holds an answer past the longest pause, and
// ends after LOGOUT or an overlong line once its answer has left.
#include <cstddef>
#include <cstdint>
#include <string_view>

#include "nut/server_connection.h"
#include "nut/test_server_world.h"

namespace {

using Milliseconds = std::chrono::milliseconds;

void check(bool condition) {
  if (!condition) __builtin_trap();
}

// The longest answer: LIST VAR of the test world, far below this.
constexpr std::size_t kLongestAnswer = 4096;

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  if (size < 2) return 0;
  const std::size_t piece = 1 + data[0] % 64;
  const std::size_t send_room = 1 + data[1] % 32;
  std::string_view stream(reinterpret_cast<const char*>(data + 2), size - 2);

  nut::TestServerWorld world;
  nut::ServerConnection connection(world.shared, 1, "10.1.2.3", Milliseconds{0});
  Milliseconds now{0};
  Milliseconds held_since{-1};
  for (int turn = 0; turn < 100000 && !connection.finished(); ++turn) {
    if (connection.wants_to_read()) {
      if (stream.empty()) break;
      connection.received(stream.substr(0, piece), now);
      stream.remove_prefix(std::min(piece, stream.size()));
    }
    const std::string_view due = connection.to_send(now);
    check(due.size() <= kLongestAnswer);
    if (due.empty() && !connection.wants_to_read() && !connection.finished()) {
      // Held by the slowdown: never for longer than its longest pause.
      if (held_since < Milliseconds{0}) held_since = now;
      check(now - held_since <= nut::LoginSlowdown::kLongestPause + Milliseconds{100});
    } else {
      held_since = Milliseconds{-1};
    }
    if (!due.empty()) connection.sent(std::min(send_room, due.size()), now);
    now += Milliseconds{100};
    connection.tick(now);
  }
  check(world.logins.count() <= 1);
  return 0;
}
