#include "tools/demo/nut_watch_win.h"

#include <ws2tcpip.h>

#include "nut/client_protocol.h"

namespace demo {
namespace {

constexpr DWORD kAnswerWaitMs = 500;
constexpr char kIndent[] = "          > ";

}  // namespace

NutWatch::NutWatch(std::uint16_t port, std::string shutdown_file)
    : port_(port), shutdown_file_(std::move(shutdown_file)) {
  WSADATA data;
  WSAStartup(MAKEWORD(2, 2), &data);
}

NutWatch::~NutWatch() {
  disconnect();
  WSACleanup();
}

void NutWatch::disconnect() {
  if (socket_ != INVALID_SOCKET) closesocket(socket_);
  socket_ = INVALID_SOCKET;
  pending_.clear();
}

// One request and its one-line answer, connecting first when needed.
bool NutWatch::ask(const char* request, std::string& answer) {
  if (socket_ == INVALID_SOCKET) {
    socket_ = socket(AF_INET, SOCK_STREAM, IPPROTO_TCP);
    sockaddr_in address{};
    address.sin_family = AF_INET;
    address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    address.sin_port = htons(port_);
    DWORD wait = kAnswerWaitMs;
    setsockopt(socket_, SOL_SOCKET, SO_RCVTIMEO, reinterpret_cast<const char*>(&wait), sizeof wait);
    if (connect(socket_, reinterpret_cast<sockaddr*>(&address), sizeof address) != 0) {
      disconnect();
      return false;
    }
  }
  const std::string line = std::string(request) + "\n";
  if (send(socket_, line.data(), static_cast<int>(line.size()), 0) != static_cast<int>(line.size())) {
    disconnect();
    return false;
  }
  for (std::size_t end; (end = pending_.find('\n')) == std::string::npos;) {
    char bytes[1024];
    const int got = recv(socket_, bytes, sizeof bytes, 0);
    if (got <= 0) {
      disconnect();
      return false;
    }
    pending_.append(bytes, static_cast<std::size_t>(got));
  }
  const std::size_t end = pending_.find('\n');
  answer = pending_.substr(0, end);
  pending_.erase(0, end + 1);
  return true;
}

std::string NutWatch::news() {
  std::string lines;
  std::string status_line, logins_line, status;
  if (ask("GET VAR ups ups.status", status_line) && ask("GET NUMLOGINS ups", logins_line)) {
    served_ = true;
    const nut::Reply reply = nut::parse_reply(status_line);
    if (!nut::read_variable(reply, "ups", "ups.status", status)) status = reply.kind == nut::Reply::Kind::error ? reply.error : "?";
    const nut::Words logins = nut::parse_reply(logins_line).words;
    const std::string count = logins.size() == 3 && logins[0] == "NUMLOGINS" ? logins[2] : "?";
    const std::string seen = "the NUT server serves ups.status \"" + status + "\"; computers logged in: " + count;
    if (seen != last_seen_) lines += kIndent + seen + "\n";
    last_seen_ = seen;
  } else if (served_) {
    served_ = false;
    lines += std::string(kIndent) + "the NUT server has closed\n";
  }
  if (!shutdown_seen_ && GetFileAttributesA(shutdown_file_.c_str()) != INVALID_FILE_ATTRIBUTES) {
    shutdown_seen_ = true;
    lines += std::string(kIndent) + "the other computer ran its shutdown command\n";
  }
  return lines;
}

}  // namespace demo
