// demo_host: a host of the driver library for the demo. It installs the service's registry keys
// for a UPS on COM1, starts the monitoring through the library's exports exactly as a service
// host does, follows the state with UPSWaitForStateChange and, at the critical point of a power
// failure (battery low, here by the capacity threshold), turns the UPS off and stops monitoring.
// Meanwhile it prints one line a second from the shared status block and each new event line.
//
//   demo_host STAT_DIR TRACE_FILE [SECONDS]
#include <windows.h>

#include <atomic>
#include <cstdio>
#include <cstdlib>
#include <string>

#include "core/ups_state.h"
#include "ipc/shared_block.h"
#include "platform/registry_win.h"
#include "platform/shared_memory_win.h"
#include "platform/system_function_win.h"

namespace {

using namespace core;

struct Exports {
  DWORD(WINAPI* init)();
  void(WINAPI* stop)();
  DWORD(WINAPI* get_state)();
  void(WINAPI* wait)(DWORD, DWORD);
  void(WINAPI* turn_off)(DWORD);
};

constexpr char kModel[] = "Varnelo 600";
constexpr char kModelEntry[] = "VA:600\0UMIN:10.5\0UMAX:13.5\0MOD:1\0T0VA:60\0T150VA:30\0T300VA:15\0T600VA:5\0";
constexpr std::uint32_t kCapacityThreshold = 40;
constexpr DWORD kTurnOffDelaySeconds = 60;

platform::UniqueKey create_key(const std::string& path) {
  platform::UniqueKey key;
  RegCreateKeyExA(HKEY_LOCAL_MACHINE, path.c_str(), 0, nullptr, 0, platform::kKeyReadWrite, nullptr, key.receive(),
                  nullptr);
  return key;
}

// What an installation writes for this UPS, with statistics and the trace in the demo's folder.
void install_keys(const std::string& stat_dir, const std::string& trace_file) {
  const std::string service_path = platform::kServiceKeyPath;
  platform::UniqueKey service = create_key(service_path);
  platform::write_string_value(service.get(), "Port", "COM1");
  platform::UniqueKey config = create_key(platform::kConfigKeyPath);
  platform::write_string_value(config.get(), "Model", kModel);
  platform::write_string_value(config.get(), "Vendor", "Orvik");
  platform::write_dword_value(config.get(), "ShutdownOnCapBatteryEnable", 1);
  platform::write_dword_value(config.get(), "ShutdownOnCapBatteryWait", kCapacityThreshold);
  platform::write_dword_value(config.get(), "TurnUPSOnEnable", 1);
  platform::write_dword_value(config.get(), "TurnUPSOnWait", 1);
  platform::write_dword_value(config.get(), "stat_on", 1);
  platform::write_dword_value(config.get(), "stat_data", 1);
  platform::write_dword_value(config.get(), "stat_rate", 1);
  platform::write_string_value(config.get(), "stat_path", stat_dir.c_str());
  platform::write_string_value(config.get(), "DebugTraceFile", trace_file.c_str());
  platform::UniqueKey db = create_key(service_path + "\\db");
  RegSetValueExA(db.get(), kModel, 0, REG_MULTI_SZ, reinterpret_cast<const BYTE*>(kModelEntry), sizeof kModelEntry);
  create_key(service_path + "\\Status");
}

const char* state_name(DWORD state) {
  switch (state) {
    case UPS_ONLINE: return "on mains";
    case UPS_ONBATTERY: return "ON BATTERY";
    case UPS_LOWBATTERY: return "BATTERY LOW";
    case UPS_NOCOMM: return "no link";
    default: return "starting";
  }
}

// The event file's new lines since the last call, as UTF-8 for the terminal.
class EventFollower {
 public:
  explicit EventFollower(std::string stat_dir) : stat_dir_(std::move(stat_dir)) {}
  std::string new_lines() {
    SYSTEMTIME now;
    GetLocalTime(&now);
    std::string path = stat_dir_ + "\\" + std::to_string(now.wYear) + "\\" + std::to_string(now.wMonth) + "\\" +
                       std::to_string(now.wDay) + "_log.dat";
    platform::UniqueHandle file(CreateFileA(path.c_str(), GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr,
                                            OPEN_EXISTING, 0, nullptr));
    if (!file) return "";
    SetFilePointer(file.get(), static_cast<LONG>(offset_), nullptr, FILE_BEGIN);
    char bytes[4096];
    DWORD read = 0;
    if (!ReadFile(file.get(), bytes, sizeof bytes, &read, nullptr) || read == 0) return "";
    offset_ += read;
    return to_utf8(std::string(bytes, read));
  }

 private:
  static std::string to_utf8(const std::string& cp1251) {
    std::wstring wide(cp1251.size(), L'\0');
    int n = MultiByteToWideChar(1251, 0, cp1251.data(), static_cast<int>(cp1251.size()), wide.data(),
                                static_cast<int>(wide.size()));
    std::string utf8(static_cast<std::size_t>(n) * 4, '\0');
    int m = WideCharToMultiByte(CP_UTF8, 0, wide.data(), n, utf8.data(), static_cast<int>(utf8.size()), nullptr, nullptr);
    utf8.resize(static_cast<std::size_t>(m));
    return utf8;
  }
  std::string stat_dir_;
  std::size_t offset_ = 0;
};

std::atomic<bool> g_done{false};
Exports g_exports{};

// The host's loop: wait for each change; at battery low, the critical point.
DWORD WINAPI host_thread(void*) {
  DWORD state = g_exports.get_state();
  while (!g_done) {
    g_exports.wait(state, 1000);
    state = g_exports.get_state();
    if (state != UPS_LOWBATTERY) continue;
    std::printf(">>> critical point: battery low by the capacity threshold; UPS turn-off in %lu s, monitoring stops\n",
                static_cast<unsigned long>(kTurnOffDelaySeconds));
    std::fflush(stdout);
    g_exports.turn_off(kTurnOffDelaySeconds);
    g_exports.stop();
    g_done = true;
  }
  return 0;
}

void print_events(const std::string& lines) {
  std::size_t start = 0;
  while (start < lines.size()) {
    std::size_t end = lines.find('\n', start);
    if (end == std::string::npos) end = lines.size();
    if (end > start) std::printf("      event  %s\n", lines.substr(start, end - start).c_str());
    start = end + 1;
  }
}

void print_status_line(const ipc::UpsSharedBlock* block, DWORD state, DWORD elapsed_s) {
  std::printf("%4lus  %-11s  in %5.1f V  out %5.1f V  battery %4.1f V  capacity %5.1f %%  runtime %5.1f min  load %3ld %%\n",
              static_cast<unsigned long>(elapsed_s), state_name(state), block->status.input_voltage,
              block->status.output_voltage, block->status.battery_voltage, block->capacity, block->runtime,
              static_cast<long>(block->status.load_percent));
}

}  // namespace

int main(int argc, char** argv) {
  if (argc < 3) {
    std::fprintf(stderr, "usage: demo_host STAT_DIR TRACE_FILE [SECONDS]\n");
    return 2;
  }
  const std::string stat_dir = argv[1];
  const DWORD limit_s = argc > 3 ? static_cast<DWORD>(std::strtoul(argv[3], nullptr, 10)) : 120;
  install_keys(stat_dir, argv[2]);

  HMODULE library = LoadLibraryA("orvik_dll.dll");
  if (!library) {
    std::fprintf(stderr, "demo_host: orvik_dll.dll not found\n");
    return 1;
  }
  using platform::find_system_function;
  g_exports = {find_system_function<DWORD(WINAPI*)()>(library, "UPSInit"),
               find_system_function<void(WINAPI*)()>(library, "UPSStop"),
               find_system_function<DWORD(WINAPI*)()>(library, "UPSGetState"),
               find_system_function<void(WINAPI*)(DWORD, DWORD)>(library, "UPSWaitForStateChange"),
               find_system_function<void(WINAPI*)(DWORD)>(library, "UPSTurnOff")};

  std::printf("starting the monitoring (UPS on COM1, model %s)...\n", kModel);
  std::fflush(stdout);
  DWORD result = g_exports.init();
  if (result != UPS_INITOK) {
    std::printf("UPSInit failed with result %lu\n", static_cast<unsigned long>(result));
    return 1;
  }
  platform::SharedMemory memory;
  platform::open_shared_memory(memory, false, ipc::kSharedBlockBaseName, ipc::kSharedBlockSize);
  const auto* block = static_cast<const ipc::UpsSharedBlock*>(memory.data());
  EventFollower events(stat_dir);
  HANDLE host = CreateThread(nullptr, 0, host_thread, nullptr, 0, nullptr);

  for (DWORD second = 0; !g_done && second < limit_s; ++second) {
    print_status_line(block, g_exports.get_state(), second);
    print_events(events.new_lines());
    std::fflush(stdout);
    Sleep(1000);
  }
  print_events(events.new_lines());
  if (!g_done) {
    g_done = true;
    WaitForSingleObject(host, INFINITE);
    g_exports.stop();
  }
  WaitForSingleObject(host, INFINITE);
  CloseHandle(host);
  return 0;
}
