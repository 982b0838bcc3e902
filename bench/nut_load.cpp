// nut_load: many NUT clients at once against one server, for bench/nut_server_bench.sh. Each of the
// --clients connections asks "GET VAR ups ups.status" once a second, at its own moment of the
// second; one more connection asks "LIST VAR ups" again as soon as each whole list has come. It
// prints the answer times (from the request's send to its last byte) and what failed. Linux only.
//
//   nut_load --port P [--host 127.0.0.1] [--clients 200] [--seconds 60] [--hold-seconds S] [--list-loop 0|1]
// --hold-seconds keeps the connections open, without requests, that long after the load (the
// script samples the server's memory meanwhile).
#include <arpa/inet.h>
#include <netinet/in.h>
#include <netinet/tcp.h>
#include <poll.h>
#include <sys/socket.h>
#include <unistd.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>
#include <thread>
#include <vector>

namespace {

using Clock = std::chrono::steady_clock;
using Micros = std::chrono::microseconds;

struct Options {
  std::string host = "127.0.0.1";
  int port = 0;
  int clients = 200;
  int seconds = 60;
  int hold_seconds = 0;
  bool list_loop = true;
};

struct Client {
  int socket = -1;
  bool list = false;        // the LIST VAR loop
  bool waiting = false;     // a request is out
  Clock::time_point sent_at;
  Clock::time_point next_at;
  std::string pending;
};

bool parse(int argc, char** argv, Options& o) {
  for (int i = 1; i + 1 < argc; i += 2) {
    const std::string name = argv[i];
    const char* value = argv[i + 1];
    if (name == "--host") o.host = value;
    else if (name == "--port") o.port = std::atoi(value);
    else if (name == "--clients") o.clients = std::atoi(value);
    else if (name == "--seconds") o.seconds = std::atoi(value);
    else if (name == "--hold-seconds") o.hold_seconds = std::atoi(value);
    else if (name == "--list-loop") o.list_loop = std::atoi(value) != 0;
    else return false;
  }
  return argc % 2 == 1 && o.port > 0 && o.clients >= 0 && o.seconds > 0;
}

int connect_to(const Options& o) {
  const int s = ::socket(AF_INET, SOCK_STREAM, 0);
  sockaddr_in address{};
  address.sin_family = AF_INET;
  address.sin_port = htons(static_cast<std::uint16_t>(o.port));
  ::inet_pton(AF_INET, o.host.c_str(), &address.sin_addr);
  if (s < 0 || ::connect(s, reinterpret_cast<sockaddr*>(&address), sizeof address) != 0) {
    if (s >= 0) ::close(s);
    return -1;
  }
  int on = 1;
  ::setsockopt(s, IPPROTO_TCP, TCP_NODELAY, &on, sizeof on);
  return s;
}

double percentile(std::vector<double> values, double p) {
  if (values.empty()) return 0;
  std::sort(values.begin(), values.end());
  const std::size_t at = std::min(values.size() - 1, static_cast<std::size_t>(p * static_cast<double>(values.size())));
  return values[at];
}

void report(const char* what, const std::vector<double>& ms, int seconds) {
  std::printf("%s: %zu answers (%.1f a second), p50 %.2f ms, p99 %.2f ms, slowest %.2f ms\n", what, ms.size(),
              static_cast<double>(ms.size()) / seconds, percentile(ms, 0.50), percentile(ms, 0.99),
              ms.empty() ? 0.0 : *std::max_element(ms.begin(), ms.end()));
}

class Load {
 public:
  explicit Load(const Options& o) : o_(o) {}

  bool open_all() {
    const int connections = o_.clients + (o_.list_loop ? 1 : 0);
    for (int i = 0; i < connections; ++i) {
      Client client;
      client.socket = connect_to(o_);
      if (client.socket < 0) {
        std::fprintf(stderr, "nut_load: connection %d failed\n", i);
        return false;
      }
      client.list = i == o_.clients;
      clients_.push_back(client);
    }
    // Spread over the second from now on, each at its own moment: requests that all fell due while
    // the connections were made would keep coming in one burst a second.
    const Clock::time_point start = Clock::now();
    for (std::size_t i = 0; i < clients_.size(); ++i)
      clients_[i].next_at = start + std::chrono::milliseconds(1000LL * static_cast<long long>(i) / std::max(1, o_.clients));
    return true;
  }

  void run() {
    const Clock::time_point end = Clock::now() + std::chrono::seconds(o_.seconds);
    std::vector<pollfd> watched(clients_.size());
    while (Clock::now() < end) {
      const Clock::time_point now = Clock::now();
      for (Client& client : clients_)
        if (!client.waiting && now >= client.next_at) send_request(client, now);
      for (std::size_t i = 0; i < clients_.size(); ++i) watched[i] = {clients_[i].socket, POLLIN, 0};
      ::poll(watched.data(), watched.size(), 2);
      for (std::size_t i = 0; i < clients_.size(); ++i)
        if (watched[i].revents & (POLLIN | POLLHUP | POLLERR)) receive(clients_[i]);
    }
  }

  void print() const {
    report("GET VAR ups ups.status", get_ms_, o_.seconds);
    report("LIST VAR ups (one client, back to back)", list_ms_, o_.seconds);
    std::printf("failures: %d (errors, closed connections); unanswered at the end: %d\n", failures_, unanswered());
  }

  void close_all() {
    for (Client& client : clients_)
      if (client.socket >= 0) ::close(client.socket);
  }

 private:
  void send_request(Client& client, Clock::time_point now) {
    const char* request = client.list ? "LIST VAR ups\n" : "GET VAR ups ups.status\n";
    if (client.socket < 0) return;
    if (::send(client.socket, request, std::strlen(request), MSG_NOSIGNAL) <= 0) ++failures_;
    client.waiting = true;
    client.sent_at = now;
  }

  void receive(Client& client) {
    char bytes[8192];
    const ssize_t got = ::recv(client.socket, bytes, sizeof bytes, 0);
    if (got <= 0) {
      ++failures_;
      ::close(client.socket);
      client.socket = -1;  // poll() skips it from now on
      client.waiting = false;
      client.next_at = Clock::time_point::max();
      return;
    }
    client.pending.append(bytes, static_cast<std::size_t>(got));
    const std::string end = client.list ? "END LIST VAR ups\n" : "\n";
    const std::size_t at = client.pending.find(end);
    if (at == std::string::npos) return;
    const double ms = std::chrono::duration_cast<Micros>(Clock::now() - client.sent_at).count() / 1000.0;
    if (client.pending.compare(0, 4, "ERR ") == 0) ++failures_;
    (client.list ? list_ms_ : get_ms_).push_back(ms);
    client.pending.erase(0, at + end.size());
    client.waiting = false;
    client.next_at = client.list ? Clock::now() : client.sent_at + std::chrono::seconds(1);
  }

  int unanswered() const {
    return static_cast<int>(std::count_if(clients_.begin(), clients_.end(), [](const Client& c) { return c.waiting; }));
  }

  Options o_;
  std::vector<Client> clients_;
  std::vector<double> get_ms_;
  std::vector<double> list_ms_;
  int failures_ = 0;
};

}  // namespace

int main(int argc, char** argv) {
  Options options;
  if (!parse(argc, argv, options)) {
    std::fputs("usage: nut_load --port P [--host 127.0.0.1] [--clients 200] [--seconds 60] [--hold-seconds S] "
               "[--list-loop 0|1]\n",
               stderr);
    return 2;
  }
  Load load(options);
  if (!load.open_all()) return 1;
  std::printf("connected: %d clients and one LIST VAR loop\n", options.clients);
  std::fflush(stdout);
  load.run();
  load.print();
  std::fflush(stdout);
  std::this_thread::sleep_for(std::chrono::seconds(options.hold_seconds));
  load.close_all();
  return 0;
}
