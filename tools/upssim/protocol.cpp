#include "tools/upssim/protocol.h"

#include <utility>

#include "tools/upssim/escape.h"

namespace upssim {
namespace {

// Longer than any command; what grows past it without a CR is noise.
constexpr std::size_t kLongestCommand = 64;

constexpr double kShortTestS = 10.0;
// A test "until low" has no time limit; the battery-low level or CT ends it.
constexpr double kUntilLowS = 0.0;

}  // namespace

ProtocolEngine::ProtocolEngine(UpsModel& model, LineFaults& faults, std::uint32_t seed, LogSink log)
    : model_(model), faults_(faults), rng_(seed), log_(std::move(log)), lines_('\r', kLongestCommand) {}

std::string ProtocolEngine::receive(std::string_view bytes) {
  if (faults_.silence || !model_.powered()) {
    lines_.clear();
    log_("rx lost (" + std::string(faults_.silence ? "line silent" : "UPS powered down") + "): " +
         printable(bytes));
    return {};
  }
  std::size_t overflows = lines_.overflows();
  std::string out;
  for (const std::string& line : lines_.feed(bytes)) {
    out += answer(line);
  }
  if (lines_.overflows() != overflows) {
    log_("rx discarded: no CR within " + std::to_string(kLongestCommand) + " bytes");
  }
  return out;
}

std::string ProtocolEngine::answer(const std::string& line) {
  log_("rx " + printable(line) + "\\r");
  std::string out = faults_.echo ? line + "\r" : std::string();
  UpsCommand command = parse_ups_command(line);
  switch (command.verb) {
    case UpsVerb::status_query:
      return out + status_answer();
    case UpsVerb::info_query:
      return out + information_line() + "\r";
    case UpsVerb::rating_query:
      return out + rating_line(model_.battery().levels().nominal_v, model_.conditions().frequency_hz) + "\r";
    case UpsVerb::unknown:
      log_("unknown command ignored");
      break;
    default:
      execute(command);
      break;
  }
  return faults_.cr_reply ? out + "\r" : out;
}

std::string ProtocolEngine::status_answer() {
  if (faults_.ignore_queries > 0) {
    --faults_.ignore_queries;
    log_("query ignored (" + std::to_string(faults_.ignore_queries) + " more to ignore)");
    return {};
  }
  std::string text = garbage(std::exchange(faults_.garbage_next, 0)) + format_status_line(model_.report());
  if (std::size_t length = std::exchange(faults_.overlong_next, 0); length > 0) {
    text.resize(length - 1, ' ');
  }
  return text + "\r";
}

void ProtocolEngine::execute(const UpsCommand& c) {
  switch (c.verb) {
    case UpsVerb::beeper_toggle:
      model_.toggle_beeper();
      break;
    case UpsVerb::test_short:
      model_.start_test(TestKind::timed, kShortTestS);
      break;
    case UpsVerb::test_minutes:
      model_.start_test(TestKind::timed, c.minutes * 60.0);
      break;
    case UpsVerb::test_until_low:
      model_.start_test(TestKind::until_low, kUntilLowS);
      break;
    case UpsVerb::test_cancel:
      model_.cancel_test();
      break;
    case UpsVerb::turn_off:
      model_.schedule_turn_off(c.minutes * 60.0, c.restore_minutes * 60.0);
      break;
    case UpsVerb::turn_off_cancel:
      model_.cancel_turn_off();
      break;
    default:
      break;
  }
}

// Printable, and never "(" or CR, so the status line that follows is still found where it starts.
std::string ProtocolEngine::garbage(std::size_t count) {
  std::uniform_int_distribution<int> pick('!', '~');
  std::string bytes;
  while (bytes.size() < count) {
    char c = static_cast<char>(pick(rng_));
    if (c != '(') {
      bytes += c;
    }
  }
  return bytes;
}

std::string ProtocolEngine::noise(std::size_t count) {
  std::uniform_int_distribution<int> pick(0, 255);
  std::string bytes(count, '\0');
  for (char& c : bytes) {
    c = static_cast<char>(pick(rng_));
  }
  return bytes;
}

}  // namespace upssim
