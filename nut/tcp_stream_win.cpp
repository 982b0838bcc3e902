#include "nut/tcp_stream_win.h"

#include <windows.h>
#include <ws2tcpip.h>

#include <algorithm>
#include <climits>

namespace nut {
namespace {

enum class Wait { connected, readable, writable };
enum class Ready { yes, timed_out, failed };

Ready wait_until(SOCKET socket, Wait wait, std::uint32_t budget_ms) {
  fd_set ready;
  FD_ZERO(&ready);
  FD_SET(socket, &ready);
  fd_set failed;
  FD_ZERO(&failed);
  FD_SET(socket, &failed);
  timeval limit{static_cast<long>(budget_ms / 1000), static_cast<long>((budget_ms % 1000) * 1000)};
  const bool reading = wait == Wait::readable;
  // Only a connection under way reports its failure among the exceptions.
  const int count = select(0, reading ? &ready : nullptr, reading ? nullptr : &ready,
                           wait == Wait::connected ? &failed : nullptr, &limit);
  if (count < 0) return Ready::failed;
  if (count == 0) return Ready::timed_out;
  if (wait == Wait::connected && FD_ISSET(socket, &failed)) return Ready::failed;
  return Ready::yes;
}

int pending_error(SOCKET socket) {
  int error = 0;
  int size = sizeof error;
  if (getsockopt(socket, SOL_SOCKET, SO_ERROR, reinterpret_cast<char*>(&error), &size) != 0) return WSAGetLastError();
  return error;
}

std::string error_words(int error) {
  switch (error) {
    case WSAECONNREFUSED: return "connection refused";
    case WSAETIMEDOUT: return "no answer";
    case WSAENETDOWN:
    case WSAENETUNREACH: return "network unreachable";
    case WSAEHOSTUNREACH: return "host unreachable";
    case WSAECONNRESET:
    case WSAECONNABORTED: return "connection reset";
    case WSAHOST_NOT_FOUND: return "no such host";
    case WSATRY_AGAIN: return "the name server did not answer";
    case WSANO_DATA: return "the name has no address";
    default: return "error " + std::to_string(error);
  }
}

int chunk(std::size_t size) { return static_cast<int>(std::min<std::size_t>(size, INT_MAX)); }

}  // namespace

std::uint32_t SystemSessionClock::now_ms() { return GetTickCount(); }

void SystemSessionClock::sleep_ms(std::uint32_t ms) { Sleep(ms); }

void TcpStream::fail(const char* what, int error) {
  problem_ = *what ? std::string(what) + ": " + error_words(error) : error_words(error);
}

bool TcpStream::start_winsock() {
  if (winsock_started_) return true;
  WSADATA data;
  const int error = WSAStartup(MAKEWORD(2, 2), &data);
  if (error != 0) {
    fail("Winsock", error);
    return false;
  }
  winsock_started_ = true;
  return true;
}

bool TcpStream::connect_to(const SocketAddress& address, std::uint32_t budget_ms) {
  const SOCKET candidate = socket(address.address.ss_family, SOCK_STREAM, IPPROTO_TCP);
  if (candidate == INVALID_SOCKET) {
    fail("no socket", WSAGetLastError());
    return false;
  }
  socket_ = candidate;
  SetHandleInformation(reinterpret_cast<HANDLE>(candidate), HANDLE_FLAG_INHERIT, 0);
  u_long non_blocking = 1;
  ioctlsocket(candidate, FIONBIO, &non_blocking);
  // Requests are single short lines, each awaited: nothing is gained by holding them back.
  BOOL no_delay = TRUE;
  setsockopt(candidate, IPPROTO_TCP, TCP_NODELAY, reinterpret_cast<const char*>(&no_delay), sizeof no_delay);
  if (connect(candidate, reinterpret_cast<const sockaddr*>(&address.address), address.length) == 0) return true;
  int error = WSAGetLastError();
  if (error == WSAEWOULDBLOCK) {
    const Ready ready = wait_until(candidate, Wait::connected, budget_ms);
    if (ready == Ready::yes) return true;
    error = ready == Ready::timed_out ? WSAETIMEDOUT : pending_error(candidate);
  }
  fail("", error);  // the session says what it was trying
  close();
  return false;
}

ServerStream::OpenResult TcpStream::open(const ServerAddress& address, std::uint32_t budget_ms) {
  close();
  problem_.clear();
  if (!start_winsock()) return OpenResult::failed;
  const DWORD start = GetTickCount();
  LookupResult found;
  if (!numeric_address(address.host, address.port, found)) {
    found = lookup_.lookup(address.host, address.port, budget_ms);
    if (found.state == LookupResult::State::pending) {
      problem_ = "looking up " + address.host;
      return OpenResult::pending;
    }
    if (found.state == LookupResult::State::failed) {
      fail("no address for the server's name", found.error);
      return OpenResult::failed;
    }
  }
  // Every address of the name in turn (IPv6 and IPv4), while the budget lasts.
  for (const SocketAddress& candidate : found.addresses) {
    const DWORD spent = GetTickCount() - start;
    if (spent >= budget_ms) break;
    if (connect_to(candidate, budget_ms - spent)) return OpenResult::connected;
  }
  if (problem_.empty()) fail("", WSAETIMEDOUT);
  return OpenResult::failed;
}

bool TcpStream::send(std::string_view bytes, std::uint32_t budget_ms) {
  if (socket_ == INVALID_SOCKET) {
    problem_ = "not connected";
    return false;
  }
  const DWORD start = GetTickCount();
  while (!bytes.empty()) {
    const int sent = ::send(socket_, bytes.data(), chunk(bytes.size()), 0);
    if (sent > 0) {
      bytes.remove_prefix(static_cast<std::size_t>(sent));
      continue;
    }
    const int error = WSAGetLastError();
    if (error != WSAEWOULDBLOCK) {
      fail("cannot send", error);
      return false;
    }
    const DWORD spent = GetTickCount() - start;
    if (spent >= budget_ms || wait_until(socket_, Wait::writable, budget_ms - spent) != Ready::yes) {
      problem_ = "the server takes nothing more";
      return false;
    }
  }
  return true;
}

ServerStream::Received TcpStream::receive(char* buffer, std::size_t room, std::uint32_t budget_ms) {
  if (socket_ == INVALID_SOCKET) return {0, true};
  const Ready ready = wait_until(socket_, Wait::readable, budget_ms);
  if (ready == Ready::timed_out) return {};
  if (ready == Ready::failed) {
    fail("the connection broke", WSAGetLastError());
    return {0, true};
  }
  const int got = recv(socket_, buffer, chunk(room), 0);
  if (got > 0) return {static_cast<std::size_t>(got), false};
  if (got == 0) {
    problem_ = "the server closed the connection";
    return {0, true};
  }
  const int error = WSAGetLastError();
  if (error == WSAEWOULDBLOCK) return {};
  fail("the connection broke", error);
  return {0, true};
}

void TcpStream::close() {
  if (socket_ == INVALID_SOCKET) return;
  closesocket(socket_);
  socket_ = INVALID_SOCKET;
}

void TcpStream::release() {
  close();
  if (winsock_started_) WSACleanup();
  winsock_started_ = false;
}

}  // namespace nut
