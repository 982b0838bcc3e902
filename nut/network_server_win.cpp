// Winsock's select() takes at most FD_SETSIZE sockets a set: every client and every listener fit.
#define FD_SETSIZE 1040
#include <winsock2.h>
#include <ws2tcpip.h>

#include "nut/network_server_win.h"

#include <algorithm>
#include <chrono>
#include <string>

#include "nut/login_registry.h"
#include "nut/login_slowdown.h"
#include "nut/server_connection.h"
#include "platform/debug_trace.h"

static_assert(FD_SETSIZE >= nut::kMaxClientsLimit + 8, "every client and the listeners fit in one select()");

namespace nut {
namespace {

using Milliseconds = std::chrono::milliseconds;

constexpr int kReadPiece = 4096;
// A client that pipelines requests and reads fast gets this many answers a turn, then the others
// have theirs: no connection keeps the thread to itself.
constexpr int kSendsPerTurn = 8;

Milliseconds monotonic_now() {
  return std::chrono::duration_cast<Milliseconds>(std::chrono::steady_clock::now().time_since_epoch());
}

// A socket closed when its owner goes.
class Socket {
 public:
  Socket() = default;
  explicit Socket(SOCKET s) : socket_(s) {}
  ~Socket() { reset(); }
  Socket(Socket&& other) noexcept : socket_(other.socket_) { other.socket_ = INVALID_SOCKET; }
  Socket& operator=(Socket&& other) noexcept {
    if (this != &other) {
      reset();
      socket_ = other.socket_;
      other.socket_ = INVALID_SOCKET;
    }
    return *this;
  }
  SOCKET get() const { return socket_; }
  explicit operator bool() const { return socket_ != INVALID_SOCKET; }
  void reset() {
    if (socket_ != INVALID_SOCKET) closesocket(socket_);
    socket_ = INVALID_SOCKET;
  }

 private:
  SOCKET socket_ = INVALID_SOCKET;
};

bool make_non_blocking(SOCKET s) {
  u_long on = 1;
  return ioctlsocket(s, FIONBIO, &on) == 0;
}

void set_option(SOCKET s, int level, int name, int value) {
  setsockopt(s, level, name, reinterpret_cast<const char*>(&value), sizeof value);
}

// The address as text, numbers only (the login slowdown and LIST CLIENT key on it).
std::string peer_text(const sockaddr_storage& peer, int length) {
  char host[NI_MAXHOST] = {};
  if (getnameinfo(reinterpret_cast<const sockaddr*>(&peer), length, host, sizeof host, nullptr, 0, NI_NUMERICHOST) != 0)
    return "?";
  return host;
}

Socket open_listener(const ListenLine& line, int& error) {
  addrinfo hints{};
  hints.ai_flags = AI_NUMERICHOST | AI_PASSIVE;
  hints.ai_socktype = SOCK_STREAM;
  hints.ai_protocol = IPPROTO_TCP;
  addrinfo* found = nullptr;
  const std::string port = std::to_string(line.port);
  error = getaddrinfo(line.address.c_str(), port.c_str(), &hints, &found);
  if (error != 0 || !found) return {};
  Socket listener(socket(found->ai_family, SOCK_STREAM, IPPROTO_TCP));
  if (listener) {
    // No other program may take over the port beside us, and "::" leaves IPv4 to its own line.
    set_option(listener.get(), SOL_SOCKET, SO_EXCLUSIVEADDRUSE, 1);
    if (found->ai_family == AF_INET6) set_option(listener.get(), IPPROTO_IPV6, IPV6_V6ONLY, 1);
    if (bind(listener.get(), found->ai_addr, static_cast<int>(found->ai_addrlen)) != 0 ||
        listen(listener.get(), SOMAXCONN) != 0 || !make_non_blocking(listener.get()))
      listener.reset();
  }
  error = listener ? 0 : WSAGetLastError();
  freeaddrinfo(found);
  return listener;
}

struct Client {
  Client(ServerShared& shared, ConnectionId id, Socket s, std::string address, Milliseconds now)
      : socket(std::move(s)), connection(shared, id, std::move(address), now) {}
  Socket socket;
  ServerConnection connection;
};

}  // namespace

// Everything the server's thread owns.
struct NetworkServer::Loop {
  Loop(ServerSetup server_setup, SnapshotSource& snapshots, RequestSink& requests,
       std::atomic<std::size_t>& published_logins, std::atomic<std::size_t>& published_connections)
      : setup(std::move(server_setup)),
        shared{setup.identity, snapshots, setup.users, requests, logins, slowdown},
        logged_in(published_logins),
        connection_count(published_connections) {}

  void run(const std::atomic<bool>& stopping);
  void turn();
  void publish_counts();
  void accept_clients(SOCKET listener, Milliseconds now);
  void receive(Client& client, Milliseconds now);
  void send_due(Client& client, Milliseconds now);

  ServerSetup setup;
  LoginRegistry logins;
  LoginSlowdown slowdown;
  ServerShared shared;
  std::vector<Socket> listeners;
  std::vector<std::unique_ptr<Client>> clients;
  ConnectionId next_id = 1;
  std::size_t traced_logins = 0;
  std::atomic<std::size_t>& logged_in;
  std::atomic<std::size_t>& connection_count;
};

void NetworkServer::Loop::run(const std::atomic<bool>& stopping) {
  while (!stopping) {
    turn();
    publish_counts();
    if (logins.count() != traced_logins) {
      traced_logins = logins.count();
      debug_trace("UPS::NUT logged-in clients: %u\n", static_cast<unsigned>(traced_logins));
    }
  }
  clients.clear();
  listeners.clear();
  publish_counts();
}

void NetworkServer::Loop::publish_counts() {
  logged_in = logins.count();
  connection_count = clients.size();
}

// One select() over every socket that has something to do, then each of them served.
void NetworkServer::Loop::turn() {
  fd_set readable;
  fd_set writable;
  FD_ZERO(&readable);
  FD_ZERO(&writable);
  Milliseconds now = monotonic_now();
  Milliseconds wake = now + Milliseconds{kTurnLengthMs};
  for (const Socket& listener : listeners) FD_SET(listener.get(), &readable);
  for (const auto& client : clients) {
    if (client->connection.wants_to_read()) FD_SET(client->socket.get(), &readable);
    if (!client->connection.to_send(now).empty()) FD_SET(client->socket.get(), &writable);
    wake = std::min(wake, client->connection.next_deadline());
  }
  const long wait_ms = static_cast<long>(std::max<std::int64_t>(0, (wake - now).count()));
  timeval timeout{wait_ms / 1000, (wait_ms % 1000) * 1000};
  if (select(0, &readable, writable.fd_count ? &writable : nullptr, nullptr, &timeout) == SOCKET_ERROR)
    Sleep(kTurnLengthMs);

  now = monotonic_now();
  for (const auto& client : clients) {
    if (FD_ISSET(client->socket.get(), &readable)) receive(*client, now);
    // Before any answer leaves: a client told "OK" to its LOGIN is already counted.
    publish_counts();
    client->connection.tick(now);
    send_due(*client, now);
  }
  std::erase_if(clients, [](const auto& client) { return client->connection.finished(); });
  for (const Socket& listener : listeners)
    if (FD_ISSET(listener.get(), &readable)) accept_clients(listener.get(), now);
}

void NetworkServer::Loop::accept_clients(SOCKET listener, Milliseconds now) {
  for (;;) {
    sockaddr_storage peer{};
    int length = sizeof peer;
    Socket accepted(accept(listener, reinterpret_cast<sockaddr*>(&peer), &length));
    if (!accepted) return;
    if (!make_non_blocking(accepted.get())) continue;
    if (clients.size() >= setup.max_clients) {
      send(accepted.get(), kTooManyClientsAnswer.data(), static_cast<int>(kTooManyClientsAnswer.size()), 0);
      continue;
    }
    set_option(accepted.get(), IPPROTO_TCP, TCP_NODELAY, 1);
    clients.push_back(std::make_unique<Client>(shared, next_id++, std::move(accepted), peer_text(peer, length), now));
  }
}

void NetworkServer::Loop::receive(Client& client, Milliseconds now) {
  char bytes[kReadPiece];
  const int got = recv(client.socket.get(), bytes, sizeof bytes, 0);
  if (got > 0) {
    client.connection.received(std::string_view(bytes, static_cast<std::size_t>(got)), now);
  } else if (got == 0 || WSAGetLastError() != WSAEWOULDBLOCK) {
    client.connection.hung_up();
  }
}

// As much of the due answers as the socket takes now, within the turn's share; the rest waits.
void NetworkServer::Loop::send_due(Client& client, Milliseconds now) {
  for (int sends = 0; sends < kSendsPerTurn; ++sends) {
    const std::string_view due = client.connection.to_send(now);
    if (due.empty()) return;
    const int sent = send(client.socket.get(), due.data(), static_cast<int>(due.size()), 0);
    if (sent <= 0) {
      if (sent == 0 || WSAGetLastError() != WSAEWOULDBLOCK) client.connection.hung_up();
      return;
    }
    client.connection.sent(static_cast<std::size_t>(sent), now);
  }
}

NetworkServer::NetworkServer(ServerSetup setup, SnapshotSource& snapshots, RequestSink& requests)
    : loop_(std::make_unique<Loop>(std::move(setup), snapshots, requests, logged_in_, connection_count_)) {}

NetworkServer::~NetworkServer() { stop(); }

bool NetworkServer::start() {
  WSADATA data;
  if (WSAStartup(MAKEWORD(2, 2), &data) != 0) {
    debug_trace("UPS::NUT Winsock could not be started\n");
    return false;
  }
  winsock_started_ = true;
  for (const ListenLine& line : loop_->setup.listen) {
    int error = 0;
    Socket listener = open_listener(line, error);
    if (!listener) {
      debug_trace("UPS::NUT cannot listen on %s (error %d)\n", listen_line_text(line).c_str(), error);
      failed_lines_.push_back(line);
      continue;
    }
    debug_trace("UPS::NUT listening on %s\n", listen_line_text(line).c_str());
    loop_->listeners.push_back(std::move(listener));
  }
  if (loop_->listeners.empty()) return false;
  thread_ = CreateThread(nullptr, 0, thread_entry, this, 0, nullptr);
  if (!thread_) loop_->listeners.clear();
  return thread_ != nullptr;
}

DWORD WINAPI NetworkServer::thread_entry(void* parameter) {
  auto* server = static_cast<NetworkServer*>(parameter);
  server->loop_->run(server->stopping_);
  return 0;
}

bool NetworkServer::stop() {
  stopping_ = true;
  if (thread_) {
    if (WaitForSingleObject(thread_, kStopWaitMs) != WAIT_OBJECT_0) {
      debug_trace("UPS::NUT server thread did not end\n");
      return false;
    }
    CloseHandle(thread_);
    thread_ = nullptr;
  }
  loop_->listeners.clear();
  if (winsock_started_) WSACleanup();
  winsock_started_ = false;
  return true;
}

}  // namespace nut
