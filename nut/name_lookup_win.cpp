#include "nut/name_lookup_win.h"

#include <windows.h>

#include <cstring>

#include "platform/handles_win.h"

namespace nut {

struct NameLookup::Shared {
  std::string host;
  std::uint16_t port = 0;
  platform::UniqueHandle done;  // set once `result` is written
  LookupResult result;
};

// What the thread owns: its share of the lookup and its hold on the module.
struct NameLookup::ThreadStart {
  std::shared_ptr<Shared> shared;
  HMODULE module;
};

namespace {

LookupResult resolve(const char* host, std::uint16_t port, int flags) {
  addrinfo hints{};
  hints.ai_family = AF_UNSPEC;
  hints.ai_socktype = SOCK_STREAM;
  hints.ai_protocol = IPPROTO_TCP;
  hints.ai_flags = flags;
  addrinfo* list = nullptr;
  LookupResult result;
  result.error = getaddrinfo(host, std::to_string(port).c_str(), &hints, &list);
  if (result.error != 0) {
    result.state = LookupResult::State::failed;
    return result;
  }
  for (const addrinfo* entry = list; entry != nullptr; entry = entry->ai_next) {
    if (entry->ai_addrlen == 0 || entry->ai_addrlen > sizeof(sockaddr_storage)) continue;
    SocketAddress address;
    std::memcpy(&address.address, entry->ai_addr, entry->ai_addrlen);
    address.length = static_cast<int>(entry->ai_addrlen);
    result.addresses.push_back(address);
  }
  freeaddrinfo(list);
  result.state = result.addresses.empty() ? LookupResult::State::failed : LookupResult::State::found;
  return result;
}

LookupResult failed_with(DWORD error) { return {LookupResult::State::failed, {}, static_cast<int>(error)}; }

}  // namespace

bool numeric_address(const std::string& host, std::uint16_t port, LookupResult& result) {
  result = resolve(host.c_str(), port, AI_NUMERICHOST);
  return result.state == LookupResult::State::found;
}

DWORD WINAPI NameLookup::run(void* parameter) {
  HMODULE module = nullptr;
  {
    std::unique_ptr<ThreadStart> start(static_cast<ThreadStart*>(parameter));
    module = start->module;
    Shared& shared = *start->shared;
    WSADATA data;
    const bool started = WSAStartup(MAKEWORD(2, 2), &data) == 0;
    shared.result = resolve(shared.host.c_str(), shared.port, 0);
    if (started) WSACleanup();
    SetEvent(shared.done.get());
  }
  FreeLibraryAndExitThread(module, 0);
}

bool NameLookup::start(const std::string& host, std::uint16_t port, LookupResult& failure) {
  auto shared = std::make_shared<Shared>();
  shared->host = host;
  shared->port = port;
  shared->done.reset(CreateEventW(nullptr, TRUE, FALSE, nullptr));
  HMODULE module = nullptr;
  // The thread holds the module until it ends, so an unload cannot pull its code away.
  if (!shared->done ||
      !GetModuleHandleExW(GET_MODULE_HANDLE_EX_FLAG_FROM_ADDRESS, reinterpret_cast<LPCWSTR>(&NameLookup::run), &module)) {
    failure = failed_with(GetLastError());
    return false;
  }
  auto* start = new ThreadStart{shared, module};
  HANDLE thread = CreateThread(nullptr, 0, run, start, 0, nullptr);
  if (!thread) {
    failure = failed_with(GetLastError());
    delete start;
    FreeLibrary(module);
    return false;
  }
  CloseHandle(thread);
  running_ = std::move(shared);
  return true;
}

LookupResult NameLookup::lookup(const std::string& host, std::uint16_t port, std::uint32_t budget_ms) {
  if (!running_ || running_->host != host || running_->port != port) {
    LookupResult failure;
    if (!start(host, port, failure)) return failure;
  }
  if (WaitForSingleObject(running_->done.get(), budget_ms) != WAIT_OBJECT_0) return {};
  LookupResult result = std::move(running_->result);
  running_.reset();
  return result;
}

}  // namespace nut
