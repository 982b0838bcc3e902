#include "nut/test_loopback_server_native.h"

#include <arpa/inet.h>
#include <netinet/in.h>
#include <poll.h>
#include <sys/socket.h>
#include <unistd.h>

#include <stdexcept>

#include "nut/line_reader.h"

namespace nut {
namespace {

using Milliseconds = std::chrono::milliseconds;

Milliseconds monotonic_now() {
  return std::chrono::duration_cast<Milliseconds>(std::chrono::steady_clock::now().time_since_epoch());
}

bool send_all(int socket, std::string_view bytes) {
  while (!bytes.empty()) {
    const ssize_t sent = ::send(socket, bytes.data(), bytes.size(), MSG_NOSIGNAL);
    if (sent <= 0) return false;
    bytes.remove_prefix(static_cast<std::size_t>(sent));
  }
  return true;
}

}  // namespace

struct LoopbackServer::Connection {
  Connection(ServerShared& shared, ConnectionId id, int fd, std::string address)
      : socket(fd), session(shared, id, std::move(address)) {}
  ~Connection() { ::close(socket); }

  int socket;
  LineReader reader{kMaxRequestLength};
  ServerSession session;
  std::string pending;           // an answer held back by the slowdown
  Milliseconds send_at{0};
  bool close_after_send = false;
  bool closing = false;
};

LoopbackServer::LoopbackServer() {
  listener_ = ::socket(AF_INET, SOCK_STREAM, 0);
  sockaddr_in address{};
  address.sin_family = AF_INET;
  address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
  socklen_t length = sizeof address;
  if (listener_ < 0 || ::bind(listener_, reinterpret_cast<sockaddr*>(&address), sizeof address) != 0 ||
      ::listen(listener_, 16) != 0 || ::getsockname(listener_, reinterpret_cast<sockaddr*>(&address), &length) != 0) {
    throw std::runtime_error("loopback listener");
  }
  port_ = ntohs(address.sin_port);
  thread_ = std::thread([this] { serve(); });
}

LoopbackServer::~LoopbackServer() {
  stopping_ = true;
  thread_.join();
  connections_.clear();
  ::close(listener_);
}

void LoopbackServer::with_world(const std::function<void(TestServerWorld&)>& use) {
  const std::lock_guard<std::mutex> guard(lock_);
  use(world_);
}

void LoopbackServer::serve() {
  while (!stopping_) {
    std::vector<pollfd> watched{{listener_, POLLIN, 0}};
    for (const auto& connection : connections_) {
      const bool held = !connection->pending.empty();
      watched.push_back({connection->socket, static_cast<short>(held ? 0 : POLLIN), 0});
    }
    ::poll(watched.data(), watched.size(), 20);  // short, so that a stop and held answers are seen soon
    const std::lock_guard<std::mutex> guard(lock_);
    const Milliseconds now = monotonic_now();
    for (std::size_t i = 0; i < connections_.size(); ++i) {
      Connection& connection = *connections_[i];
      if (watched[i + 1].revents & (POLLIN | POLLHUP | POLLERR)) receive(connection);
      answer(connection, now);
    }
    std::erase_if(connections_, [](const auto& connection) { return connection->closing; });
    if (watched[0].revents & POLLIN) accept_client();
  }
}

void LoopbackServer::accept_client() {
  sockaddr_in peer{};
  socklen_t length = sizeof peer;
  const int fd = ::accept(listener_, reinterpret_cast<sockaddr*>(&peer), &length);
  if (fd < 0) return;
  char text[INET_ADDRSTRLEN] = {};
  ::inet_ntop(AF_INET, &peer.sin_addr, text, sizeof text);
  connections_.push_back(std::make_unique<Connection>(world_.shared, world_.next_connection++, fd, text));
}

void LoopbackServer::receive(Connection& connection) {
  char bytes[4096];
  const ssize_t got = ::recv(connection.socket, bytes, sizeof bytes, 0);
  if (got <= 0) {
    connection.closing = true;
    return;
  }
  connection.reader.feed(std::string_view(bytes, static_cast<std::size_t>(got)));
}

// Sends a held answer once it is due, then handles the lines waiting behind it until the next hold.
void LoopbackServer::answer(Connection& connection, Milliseconds now) {
  if (!connection.pending.empty()) {
    if (now < connection.send_at) return;
    if (!send_all(connection.socket, connection.pending) || connection.close_after_send) connection.closing = true;
    connection.pending.clear();
  }
  while (!connection.closing) {
    const std::optional<std::string> line = connection.reader.next_line();
    if (!line) break;
    const ServerSession::Answer answer = connection.session.handle_line(*line, now);
    if (answer.hold > Milliseconds{0}) {
      connection.pending = answer.text;
      connection.send_at = now + answer.hold;
      connection.close_after_send = answer.close;
      return;
    }
    if (!send_all(connection.socket, answer.text) || answer.close) connection.closing = true;
  }
  if (!connection.closing && connection.reader.overlong()) {
    send_all(connection.socket, kOverlongLineAnswer);
    connection.closing = true;
  }
}

}  // namespace nut
