#include "nut/server_connection.h"

#include <algorithm>

namespace nut {

ServerConnection::ServerConnection(ServerShared& shared, ConnectionId id, std::string address, Milliseconds now)
    : address_(address), session_(shared, id, std::move(address)), last_progress_(now) {}

void ServerConnection::received(std::string_view bytes, Milliseconds now) {
  if (finished_) return;
  reader_.feed(bytes);
  answer_waiting_lines(now);
}

std::string_view ServerConnection::to_send(Milliseconds now) const {
  if (finished_ || now < release_at_) return {};
  return unsent_;
}

void ServerConnection::sent(std::size_t count, Milliseconds now) {
  if (count == 0) return;
  unsent_.erase(0, std::min(count, unsent_.size()));
  last_progress_ = now;
  if (answer_pending()) return;
  if (close_after_send_) {
    finished_ = true;
    return;
  }
  answer_waiting_lines(now);
}

void ServerConnection::tick(Milliseconds now) {
  if (finished_) return;
  // A held answer is not the client's delay: the idle count starts when it may be sent.
  if (now - std::max(last_progress_, release_at_) >= kIdleLimit) {
    finished_ = true;
    return;
  }
  answer_waiting_lines(now);
}

ServerConnection::Milliseconds ServerConnection::next_deadline() const {
  const Milliseconds idle_end = std::max(last_progress_, release_at_) + kIdleLimit;
  return answer_pending() ? std::min(release_at_, idle_end) : idle_end;
}

// One answer at a time: the next line waits until the previous answer has gone.
void ServerConnection::answer_waiting_lines(Milliseconds now) {
  while (!finished_ && !answer_pending()) {
    std::optional<std::string> line = reader_.next_line();
    if (!line) break;
    last_progress_ = now;
    ServerSession::Answer answer = session_.handle_line(*line, now);
    queue(std::move(answer.text), now + answer.hold, answer.close);
  }
  if (!finished_ && !answer_pending() && reader_.overlong()) queue(std::string(kOverlongLineAnswer), now, true);
}

void ServerConnection::queue(std::string text, Milliseconds release_at, bool close_after) {
  if (text.empty()) {
    finished_ = close_after;
    return;
  }
  unsent_ = std::move(text);
  release_at_ = release_at;
  close_after_send_ = close_after;
}

}  // namespace nut
