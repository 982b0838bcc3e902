// NameLookup: the addresses of a NUT server's host name, looked up on a thread of its own.
//
// The system's name lookup cannot be given a time limit, and a DNS server that does not answer
// (the network not up yet at boot, a computer just resumed) holds it for many seconds: that must
// never hold the polling thread. So lookup() waits at most its budget and otherwise reports the
// lookup as pending; a later call takes the answer once it is there. Each answer is taken once, so
// the next connection looks the name up afresh (a server whose address changed is found again).
//
// The thread owns what it shares with the caller and keeps the module loaded until it ends, so a
// lookup left running when monitoring stops (or the library is unloaded) harms nothing.
// Not thread-safe: one caller.
#pragma once

#include <winsock2.h>
#include <ws2tcpip.h>

#include <cstdint>
#include <memory>
#include <string>
#include <vector>

namespace nut {

struct SocketAddress {
  sockaddr_storage address{};
  int length = 0;
};

struct LookupResult {
  enum class State { pending, found, failed };
  State state = State::pending;
  std::vector<SocketAddress> addresses;
  int error = 0;  // the system's code when failed
};

// A host given as an IPv4 or IPv6 address needs no lookup: its address at once, or nothing.
bool numeric_address(const std::string& host, std::uint16_t port, LookupResult& result);

class NameLookup {
 public:
  NameLookup() = default;
  NameLookup(const NameLookup&) = delete;
  NameLookup& operator=(const NameLookup&) = delete;

  LookupResult lookup(const std::string& host, std::uint16_t port, std::uint32_t budget_ms);

 private:
  struct Shared;
  struct ThreadStart;
  static DWORD WINAPI run(void* parameter);
  bool start(const std::string& host, std::uint16_t port, LookupResult& failure);

  std::shared_ptr<Shared> running_;
};

}  // namespace nut
