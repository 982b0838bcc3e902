// demo_watch: what the demo prints while the installed service protects the machine. Once a second
// it reads the service's shared status block and prints the time, the state, input and battery
// voltage, capacity, runtime and load, followed by the event lines the system wrote in that second
// (the day's event file, converted from Windows-1251). At each change of state (seen within a tenth
// of a second, so the battery-low picture is taken before the service stops), and when an awaited
// event came, it clicks the tray icon and photographs the desktop. It plays the tray's part where
// a scenario needs one (a battery test requested over the pipe) and ends when one of the awaited
// events was written, or at its time limit.
//
// With --nut it also follows the service's NUT server on 127.0.0.1 at that port (what it serves, how
// many other computers are logged in) and the other computer's shutdown command (its file).
//
//   demo_watch.exe --stats DIR [--until CODE[,CODE...]] [--linger S] [--limit S] [--battery-test-at S]
//                  [--pictures DIR] [--nut PORT --other-shutdown FILE]
//
// Exit code 0 when an awaited event came (or none was asked for), 1 at the time limit, 2 on bad use.
#include <windows.h>
#include <psapi.h>

#include <fcntl.h>
#include <io.h>

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <memory>
#include <set>
#include <string>

#include "core/event_texts.h"
#include "ipc/new_data_event_win.h"
#include "ipc/pipe_client_win.h"
#include "ipc/pipe_message.h"
#include "ipc/shared_block_win.h"
#include "platform/handles_win.h"
#include "link/ups_status.h"
#include "stats/archive_paths.h"
#include "stats/stat_presentation.h"
#include "stats/stat_summary.h"
#include "tools/demo/nut_watch_win.h"
#include "tools/demo/tray_photographer_win.h"

namespace {

struct Options {
  std::string stats_dir;
  std::set<int> until;
  int linger_s = 3;
  int limit_s = 170;
  int battery_test_at_s = -1;
  std::string pictures_dir;
  int nut_port = 0;
  std::string other_shutdown_file;
};

bool parse_codes(const char* text, std::set<int>& codes) {
  for (const char* p = text; *p;) {
    char* end = nullptr;
    long code = std::strtol(p, &end, 10);
    if (end == p || code < 0 || code > 99) return false;
    codes.insert(static_cast<int>(code));
    p = *end == ',' ? end + 1 : end;
    if (*end && *end != ',') return false;
  }
  return !codes.empty();
}

bool parse_options(int argc, char** argv, Options& options) {
  for (int i = 1; i + 1 < argc; i += 2) {
    std::string name = argv[i];
    const char* value = argv[i + 1];
    if (name == "--stats") options.stats_dir = value;
    else if (name == "--until") { if (!parse_codes(value, options.until)) return false; }
    else if (name == "--linger") options.linger_s = std::atoi(value);
    else if (name == "--limit") options.limit_s = std::atoi(value);
    else if (name == "--battery-test-at") options.battery_test_at_s = std::atoi(value);
    else if (name == "--pictures") options.pictures_dir = value;
    else if (name == "--nut") options.nut_port = std::atoi(value);
    else if (name == "--other-shutdown") options.other_shutdown_file = value;
    else return false;
  }
  return argc % 2 == 1 && !options.stats_dir.empty() && options.nut_port >= 0 && options.nut_port <= 65535;
}

void print(const std::string& text) {
  std::fwrite(text.data(), 1, text.size(), stdout);
  std::fflush(stdout);
}

std::string windows1251_to_utf8(const std::string& bytes) {
  if (bytes.empty()) return {};
  int wide_length = MultiByteToWideChar(1251, 0, bytes.data(), static_cast<int>(bytes.size()), nullptr, 0);
  std::wstring wide(wide_length, L'\0');
  MultiByteToWideChar(1251, 0, bytes.data(), static_cast<int>(bytes.size()), wide.data(), wide_length);
  int length = WideCharToMultiByte(CP_UTF8, 0, wide.data(), wide_length, nullptr, 0, nullptr, nullptr);
  std::string utf8(length, '\0');
  WideCharToMultiByte(CP_UTF8, 0, wide.data(), wide_length, utf8.data(), length, nullptr, nullptr);
  return utf8;
}

// The day's event file, followed as it grows (a new day starts a new file).
class EventFollower {
 public:
  explicit EventFollower(std::string root) : root_(std::move(root)) { skip_existing(); }

  // Whole lines written since the last call, as UTF-8.
  std::string new_lines() {
    std::string path = today_path();
    if (path != path_) {
      path_ = path;
      offset_ = 0;
    }
    std::string bytes = read_from(offset_);
    std::size_t end = bytes.rfind('\n');
    if (end == std::string::npos) return {};
    offset_ += end + 1;
    return windows1251_to_utf8(bytes.substr(0, end + 1));
  }

 private:
  void skip_existing() {
    path_ = today_path();
    offset_ = read_from(0).size();
  }

  std::string today_path() const {
    SYSTEMTIME now;
    GetLocalTime(&now);
    return stats::day_file_path(stats::month_prefix(root_, now.wYear, now.wMonth), now.wDay, stats::DayFile::kEvents);
  }

  std::string read_from(std::size_t offset) const {
    std::string bytes;
    FILE* file = std::fopen(path_.c_str(), "rb");
    if (!file) return bytes;
    if (std::fseek(file, static_cast<long>(offset), SEEK_SET) == 0) {
      char chunk[4096];
      for (std::size_t n; (n = std::fread(chunk, 1, sizeof chunk, file)) > 0;) bytes.append(chunk, n);
    }
    std::fclose(file);
    return bytes;
  }

  std::string root_;
  std::string path_;
  std::size_t offset_ = 0;
};

// "hh:mm:ss|cc|text": the code of an event line, -1 when the line has another form.
int event_code(const std::string& line) {
  if (line.size() < 12 || line[8] != '|' || line[11] != '|') return -1;
  return std::atoi(line.substr(9, 2).c_str());
}

const char* state_text(const ipc::UpsSharedBlock& block) {
  using namespace ups_link;
  if (!block.link_ok) return "NO LINK";
  std::uint32_t bits = block.status.status_bits;
  if (bits & STATUS_SHUTDOWN_ACTIVE) return "UPS OFF PENDING";
  if (bits & STATUS_TEST) return "BATTERY TEST";
  if (bits & STATUS_UTILITY_FAIL) return (bits & STATUS_BATTERY_LOW) ? "BATTERY LOW" : "ON BATTERY";
  if (bits & STATUS_AVR) return "MAINS (AVR)";
  return "MAINS";
}

std::string status_line(const ipc::UpsSharedBlock& block) {
  SYSTEMTIME now;
  GetLocalTime(&now);
  char line[200];
  std::snprintf(line, sizeof line,
                "%02d:%02d:%02d  %-15s in %5.1f V  battery %5.2f V  capacity %3.0f %%  runtime %5.1f min  load %4.0f VA\n",
                now.wHour, now.wMinute, now.wSecond, state_text(block), block.status.input_voltage,
                block.status.battery_voltage, block.capacity, block.runtime, block.load_va);
  return line;
}

// The block as the service last published it; false while there is no service.
class BlockReader {
 public:
  bool read(ipc::UpsSharedBlock& picture) {
    if (!attached_ && !attach()) return false;
    for (int attempt = 0; attempt < 20; ++attempt) {
      if (ipc::take_block_picture(event_.get(), *ipc::shared_block(memory_), picture)) return true;
      Sleep(25);
    }
    std::memcpy(&picture, ipc::shared_block(memory_), sizeof picture);  // a stopped service: as it stays
    return true;
  }

 private:
  bool attach() {
    event_ = ipc::open_new_data_event();
    attached_ = event_ && ipc::open_shared_block(memory_, false);
    return attached_;
  }

  platform::SharedMemory memory_;
  platform::UniqueHandle event_;
  bool attached_ = false;
};

// The service listens again on an instance a moment after its last client let it go.
bool connect_pipe(ipc::PipeClient& client) {
  for (int attempt = 0; attempt < 30; ++attempt, Sleep(100))
    if (client.connect()) return true;
  return false;
}

void request_battery_test() {
  ipc::PipeClient tray;
  bool sent = connect_pipe(tray) && tray.write(ipc::make_pipe_message(ipc::MSG_TEST_MINUTES, 1));
  print(sent ? "          > the tray asks for a one-minute battery test\n"
             : "          > the battery test could not be requested (no pipe)\n");
}

// Asks a running service to write its statistics out (as the tray does before it reads them) and
// waits up to two seconds for the answer; a stopped service has written them already.
void flush_statistics() {
  ipc::PipeClient tray;
  if (!connect_pipe(tray) || !tray.write(ipc::make_pipe_message(ipc::MSG_STAT_FLUSH))) return;
  for (int i = 0; i < 40; ++i) {
    if (tray.try_read() == ipc::PipeMessageReader::Result::message && tray.message().cmd == ipc::MSG_STAT_FLUSHED)
      return;
    Sleep(50);
  }
}

void print_day_totals(const std::string& root) {
  flush_statistics();
  SYSTEMTIME now;
  GetLocalTime(&now);
  std::string path =
      stats::day_file_path(stats::month_prefix(root, now.wYear, now.wMonth), now.wDay, stats::DayFile::kSummary);
  stats::StatSummary day;
  FILE* file = std::fopen(path.c_str(), "rb");
  bool whole = file && std::fread(&day, sizeof day, 1, file) == 1;
  if (file) std::fclose(file);
  if (!whole) {
    print("today's totals: none written yet (" + path + ")\n");
    return;
  }
  char text[400];
  std::snprintf(text, sizeof text,
                "today's totals (%s):\n  monitored %s, on battery %s, power failures %d, AVR engaged %d times (%s),\n"
                "  power actions %d, energy %.1f Wh\n",
                path.c_str(), stats::format_duration(static_cast<std::uint32_t>(day.monitored_seconds)).c_str(),
                stats::format_duration(static_cast<std::uint32_t>(day.on_battery_seconds)).c_str(), day.failures,
                day.avr_engagements, stats::format_duration(static_cast<std::uint32_t>(day.avr_seconds)).c_str(),
                day.actions, stats::consumption_wh(day.energy_va_minutes));
  print(text);
}

// The memory of the service "UPS" as the system counts it, while its process runs.
void print_service_memory() {
  platform::UniqueServiceHandle manager(OpenSCManagerA(nullptr, nullptr, SC_MANAGER_CONNECT));
  platform::UniqueServiceHandle service(manager ? OpenServiceA(manager.get(), "UPS", SERVICE_QUERY_STATUS) : nullptr);
  SERVICE_STATUS_PROCESS status{};
  DWORD needed = 0;
  if (!service || !QueryServiceStatusEx(service.get(), SC_STATUS_PROCESS_INFO, reinterpret_cast<BYTE*>(&status),
                                        sizeof status, &needed) || status.dwProcessId == 0) {
    print("service process: not running\n");
    return;
  }
  platform::UniqueHandle process(OpenProcess(PROCESS_QUERY_INFORMATION | PROCESS_VM_READ, FALSE, status.dwProcessId));
  PROCESS_MEMORY_COUNTERS counters{};
  counters.cb = sizeof counters;
  if (!process || !GetProcessMemoryInfo(process.get(), &counters, sizeof counters)) {
    print("service process: memory not available\n");
    return;
  }
  constexpr double kMiB = 1024.0 * 1024.0;
  char text[160];
  std::snprintf(text, sizeof text, "service process: working set %.1f MiB (peak %.1f MiB), private %.1f MiB\n",
                counters.WorkingSetSize / kMiB, counters.PeakWorkingSetSize / kMiB, counters.PagefileUsage / kMiB);
  print(text);
}

// Clicks the tray icon at a change of state, so its balloon tells the state the service has just
// published: at the critical point the service stops monitoring a moment later.
class StateWatch {
 public:
  StateWatch(BlockReader& reader, demo::TrayPhotographer& photographer, demo::NutWatch* nut)
      : reader_(reader), photographer_(photographer), nut_(nut) {}

  void seen(const ipc::UpsSharedBlock& block) {
    if (state_text(block) != last_state_ && photographer_.click_and_photograph(state_text(block)))
      last_state_ = state_text(block);
  }

  // The rest of a second, looking at the block (and the NUT server) every 100 ms.
  void follow_for_a_second() {
    for (int tenth = 0; tenth < 10; ++tenth, Sleep(100)) {
      photographer_.tick();
      ipc::UpsSharedBlock block{};
      if (reader_.read(block)) seen(block);
      if (nut_) print(nut_->news());
    }
  }

 private:
  BlockReader& reader_;
  demo::TrayPhotographer& photographer_;
  demo::NutWatch* nut_;
  std::string last_state_;
};

// What the tray is photographed for when an awaited event came.
const char* awaited_event_picture(int code) {
  return code == core::event::kLinkRestored.code ? "link restored" : "monitoring stopped";
}

int watch(const Options& options, demo::TrayPhotographer& photographer) {
  EventFollower events(options.stats_dir);
  BlockReader reader;
  std::unique_ptr<demo::NutWatch> nut;
  if (options.nut_port != 0)
    nut = std::make_unique<demo::NutWatch>(static_cast<std::uint16_t>(options.nut_port), options.other_shutdown_file);
  StateWatch states(reader, photographer, nut.get());
  int lingering = -1;
  for (int second = 0; second < options.limit_s; ++second) {
    if (second == options.battery_test_at_s) request_battery_test();
    ipc::UpsSharedBlock block{};
    const bool read = reader.read(block);
    print(read ? status_line(block) : "          waiting for the service\n");
    if (read) states.seen(block);
    std::string lines = events.new_lines();
    for (std::size_t start = 0; start < lines.size();) {
      std::size_t end = lines.find('\n', start);
      std::string line = lines.substr(start, end - start);
      start = end + 1;
      if (line.empty()) continue;
      print("          > event " + line + "\n");
      if (lingering < 0 && options.until.count(event_code(line))) {
        lingering = options.linger_s;
        photographer.click_and_photograph(awaited_event_picture(event_code(line)));
      }
    }
    if (lingering == 0) return 0;
    if (lingering > 0) --lingering;
    states.follow_for_a_second();
  }
  return options.until.empty() ? 0 : 1;
}

}  // namespace

int main(int argc, char** argv) {
  _setmode(_fileno(stdout), _O_BINARY);  // UTF-8 bytes and "\n" as they are
  Options options;
  if (!parse_options(argc, argv, options)) {
    std::fputs("usage: demo_watch.exe --stats DIR [--until CODE[,CODE...]] [--linger S] [--limit S] "
               "[--battery-test-at S] [--pictures DIR] [--nut PORT --other-shutdown FILE]\n", stderr);
    return 2;
  }
  demo::TrayPhotographer photographer(options.pictures_dir);
  int result = watch(options, photographer);
  const std::string statistics = photographer.photograph_statistics();
  if (!statistics.empty()) print("          > " + statistics + "\n");
  print_day_totals(options.stats_dir);
  print_service_memory();
  return result;
}
