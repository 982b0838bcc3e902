// Fuzz target: a server's answers to a client session, as a hostile or broken server could send
// them, in pieces and with pauses of the input's choosing. Whatever comes, every call returns
// within its budget, an answered cycle holds a bounded list, and the session ends closed.
#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "nut/client_session.h"
#include "nut/test_scripted_server.h"

namespace {

void check(bool condition) {
  if (!condition) __builtin_trap();
}

// Answers separated by two zero bytes, taken in turn by the requests.
std::vector<std::string> answers_in(std::string_view stream) {
  std::vector<std::string> answers;
  for (;;) {
    const std::size_t end = stream.find(std::string_view("\0\0", 2));
    answers.emplace_back(stream.substr(0, end));
    if (end == std::string_view::npos) return answers;
    stream.remove_prefix(end + 2);
  }
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  if (size < 2) return 0;
  const std::uint32_t piece_delay_ms = data[0] * 4u;
  const std::size_t piece_size = 1 + data[1];
  const std::vector<std::string> answers =
      answers_in(std::string_view(reinterpret_cast<const char*>(data) + 2, size - 2));

  nut::testing::FakeClock clock;
  nut::testing::ScriptedServer server(clock);
  std::size_t next = 0;
  server.respond = [&](std::string_view) {
    const std::string bytes = next < answers.size() ? answers[next++] : std::string();
    return nut::testing::Answer{bytes, piece_delay_ms, piece_size, false};
  };
  nut::ClientSession session(server, clock, {{"ups", "127.0.0.1", 3493}, "mon", "pw"});
  constexpr std::uint32_t kBudget = 1000;
  for (int cycle = 0; cycle < 3; ++cycle) {
    const std::uint32_t start = clock.now;
    const nut::CycleReading reading = session.read_variables(kBudget);
    check(clock.now - start <= kBudget);
    check(!reading.answered || reading.variables.size() <= nut::VariableListReader::kDefaultMaxVariables);
    check(reading.answered || !reading.problem.empty());
    clock.now += kBudget;
  }
  const std::uint32_t start = clock.now;
  session.run_instant_command("beeper.toggle", nullptr, kBudget);
  check(clock.now - start <= kBudget);
  session.log_out(kBudget);
  check(!session.connected() && !server.is_open());
  return 0;
}
