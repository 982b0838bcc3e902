// The running monitoring core under Wine, against the UPS simulator on COM1, measured as a host
// sees it (bench/core_bench.sh starts it; figures only, nothing passes or fails):
//   - polling: the cycle period, the process's CPU time per cycle (GetProcessTimes over the
//     cycles, minus this program's own thread), its memory and the handles it holds after 10 and
//     after N cycles;
//   - reaction: from the simulator's mains cut (or return), at random moments of the polling
//     cycle, to the return of the host's UPSWaitForStateChange.
//
// core_bench.exe [--cycles N] [--failures M] [--seed S]
#include <windows.h>
#include <psapi.h>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <fstream>
#include <random>
#include <string>
#include <vector>

#include "core/test_minidriver_host_win.h"
#include "platform/test_handle_count_win.h"

namespace {

using namespace core::testing;
using core::UPS_INITOK;
using core::UPS_ONBATTERY;
using core::UPS_ONLINE;

struct Options {
  int cycles = 1000;
  int failures = 30;
  unsigned seed = 1;
};

bool parse(int argc, char** argv, Options& options) {
  for (int i = 1; i + 1 < argc; i += 2) {
    if (std::strcmp(argv[i], "--cycles") == 0) {
      options.cycles = std::atoi(argv[i + 1]);
    } else if (std::strcmp(argv[i], "--failures") == 0) {
      options.failures = std::atoi(argv[i + 1]);
    } else if (std::strcmp(argv[i], "--seed") == 0) {
      options.seed = static_cast<unsigned>(std::strtoul(argv[i + 1], nullptr, 10));
    } else {
      return false;
    }
  }
  return argc % 2 == 1 && options.cycles >= 20 && options.failures >= 1;
}

double seconds_now() {
  static LARGE_INTEGER frequency = [] {
    LARGE_INTEGER f;
    QueryPerformanceFrequency(&f);
    return f;
  }();
  LARGE_INTEGER now;
  QueryPerformanceCounter(&now);
  return static_cast<double>(now.QuadPart) / static_cast<double>(frequency.QuadPart);
}

double filetime_seconds(const FILETIME& time) {
  return static_cast<double>((static_cast<unsigned long long>(time.dwHighDateTime) << 32) | time.dwLowDateTime) * 1e-7;
}

// Kernel plus user time, in seconds.
double process_cpu_seconds() {
  FILETIME created, ended, kernel, user;
  GetProcessTimes(GetCurrentProcess(), &created, &ended, &kernel, &user);
  return filetime_seconds(kernel) + filetime_seconds(user);
}
double thread_cpu_seconds() {
  FILETIME created, ended, kernel, user;
  GetThreadTimes(GetCurrentThread(), &created, &ended, &kernel, &user);
  return filetime_seconds(kernel) + filetime_seconds(user);
}

// Polling cycles since `mark`: each one sends one status query. The record file's size is read
// without opening the file, so counting costs this program next to nothing.
class CycleCounter {
 public:
  CycleCounter() : path_(platform::testing::wine_path(platform::testing::env("ORVIK_SIM_RECORD"))) {}
  void mark() { mark_ = simulator::count(simulator::received(), "Q1\r"); }
  // Exact, from the record's content.
  std::size_t cycles() const { return simulator::count(simulator::received(), "Q1\r") - mark_; }
  // Waits until the record has grown by about `cycles` queries (3 bytes each) since `from_size`.
  void wait_for_bytes(std::size_t from_size, std::size_t cycles) const {
    while (size() < from_size + cycles * 3) Sleep(500);
  }
  std::size_t size() const {
    WIN32_FILE_ATTRIBUTE_DATA data{};
    if (!GetFileAttributesExA(path_.c_str(), GetFileExInfoStandard, &data)) return 0;
    return data.nFileSizeLow;
  }

 private:
  std::string path_;
  std::size_t mark_ = 0;
};

struct Handles {
  DWORD reported;  // GetProcessHandleCount
  DWORD listed;    // the system's handle list
};
Handles handles_now() { return {platform::testing::reported_handle_count(), platform::testing::listed_handle_count()}; }

void print_handles(const char* when, const Handles& h) {
  std::printf("  handles %-18s GetProcessHandleCount %lu, in the system's handle list %lu\n", when,
              static_cast<unsigned long>(h.reported), static_cast<unsigned long>(h.listed));
}

// What the process holds: the library, its threads and buffers, as in the service process.
void print_memory() {
  PROCESS_MEMORY_COUNTERS counters{};
  counters.cb = sizeof counters;
  if (!GetProcessMemoryInfo(GetCurrentProcess(), &counters, sizeof counters)) {
    std::printf("  memory              not available (%lu)\n", GetLastError());
    return;
  }
  constexpr double kMiB = 1024.0 * 1024.0;
  std::printf("  memory              working set %.1f MiB (peak %.1f MiB), private %.1f MiB\n",
              counters.WorkingSetSize / kMiB, counters.PeakWorkingSetSize / kMiB, counters.PagefileUsage / kMiB);
}

void measure_polling(int cycles) {
  CycleCounter counter;
  counter.mark();
  const std::size_t start_size = counter.size();
  counter.wait_for_bytes(start_size, 10);
  const Handles after_10 = handles_now();
  const std::size_t cycles_10 = counter.cycles();
  const double wall_10 = seconds_now(), cpu_10 = process_cpu_seconds(), own_10 = thread_cpu_seconds();

  std::printf("polling %d cycles (about %d s)...\n", cycles, cycles * 101 / 100);
  std::fflush(stdout);
  counter.wait_for_bytes(start_size, static_cast<std::size_t>(cycles));
  const double wall_n = seconds_now(), cpu_n = process_cpu_seconds(), own_n = thread_cpu_seconds();
  const std::size_t cycles_n = counter.cycles();
  const Handles after_n = handles_now();

  const double measured = static_cast<double>(cycles_n - cycles_10);
  std::printf("  cycle period        %.1f ms (%zu cycles over %.1f s)\n", (wall_n - wall_10) * 1000.0 / measured,
              cycles_n - cycles_10, wall_n - wall_10);
  // The system counts CPU time in steps of 10 ms or so: the totals show how coarse the figure is.
  std::printf("  CPU per cycle       %.2f ms for the process (%.0f ms in all), %.2f ms without this program's own"
              " thread (%.0f ms)\n",
              (cpu_n - cpu_10) * 1000.0 / measured, (cpu_n - cpu_10) * 1000.0,
              ((cpu_n - cpu_10) - (own_n - own_10)) * 1000.0 / measured, ((cpu_n - cpu_10) - (own_n - own_10)) * 1000.0);
  print_memory();
  print_handles("after 10 cycles:", after_10);
  char when[32];
  std::snprintf(when, sizeof when, "after %zu cycles:", cycles_n);
  print_handles(when, after_n);
  std::printf("  (%zu cycles at the first count)\n", cycles_10);
}

struct Reaction {
  std::vector<double> ms;
  int misses = 0;
};

// The host's thread waits in UPSWaitForStateChange while a second thread, after a random delay,
// switches the mains and notes when the simulator's state file shows it applied: the simulator
// reads its control file only every 50 ms, so the moment of writing would not do.
class MainsSwitch {
 public:
  MainsSwitch(bool on, DWORD delay_ms) : on_(on), delay_ms_(delay_ms) {
    thread_ = CreateThread(nullptr, 0, run, this, 0, nullptr);
  }
  ~MainsSwitch() { join(); }
  void join() {
    if (!thread_) return;
    WaitForSingleObject(thread_, INFINITE);
    CloseHandle(thread_);
    thread_ = nullptr;
  }
  double applied_at() const { return applied_at_; }

 private:
  static DWORD WINAPI run(void* parameter) {
    auto* self = static_cast<MainsSwitch*>(parameter);
    Sleep(self->delay_ms_);
    const std::string line = self->on_ ? "mains on" : "mains off";
    const std::string wanted = self->on_ ? "on" : "off";
    {
      std::ofstream control(platform::testing::wine_path(platform::testing::env("ORVIK_SIM_CONTROL")),
                            std::ios::app | std::ios::binary);
      control << line << "\n";
    }
    for (int i = 0; i < 5000 && simulator::state("mains") != wanted; ++i) Sleep(1);
    self->applied_at_ = seconds_now();
    return 0;
  }

  bool on_;
  DWORD delay_ms_;
  double applied_at_ = 0;
  HANDLE thread_ = nullptr;
};

void print_distribution(const char* what, Reaction& r) {
  std::sort(r.ms.begin(), r.ms.end());
  if (r.ms.empty()) {
    std::printf("  %-28s no samples (%d misses)\n", what, r.misses);
    return;
  }
  const std::size_t n = r.ms.size();
  const double median = n % 2 ? r.ms[n / 2] : (r.ms[n / 2 - 1] + r.ms[n / 2]) / 2.0;
  std::printf("  %-28s n=%zu  min %.0f ms  median %.0f ms  max %.0f ms", what, n, r.ms.front(), median, r.ms.back());
  if (r.misses) std::printf("  (%d waits ended in another state)", r.misses);
  std::printf("\n");
}

void measure_reaction(const MinidriverExports& exports, int failures, unsigned seed) {
  std::mt19937 random(seed);
  std::uniform_int_distribution<DWORD> delay(0, 999);
  Reaction cut, back;
  std::printf("reaction over %d failures...\n", failures);
  std::fflush(stdout);
  for (int i = 0; i < failures; ++i) {
    {
      MainsSwitch mains(false, delay(random));
      exports.wait(UPS_ONLINE, 15000);
      const double returned = seconds_now();
      mains.join();
      if (exports.get_state() == UPS_ONBATTERY) {
        cut.ms.push_back((returned - mains.applied_at()) * 1000.0);
      } else {
        ++cut.misses;
      }
    }
    {
      MainsSwitch mains(true, delay(random));
      exports.wait(UPS_ONBATTERY, 15000);
      const double returned = seconds_now();
      mains.join();
      if (exports.get_state() == UPS_ONLINE) {
        back.ms.push_back((returned - mains.applied_at()) * 1000.0);
      } else {
        ++back.misses;
      }
    }
    // Whatever happened, the next round starts on mains with the host having seen it.
    if (exports.get_state() != UPS_ONLINE) exports.wait(exports.get_state(), 15000);
  }
  print_distribution("mains cut -> wait returns:", cut);
  print_distribution("mains back -> wait returns:", back);
}

}  // namespace

int main(int argc, char** argv) {
  Options options;
  if (!parse(argc, argv, options)) {
    std::fprintf(stderr, "usage: core_bench.exe [--cycles N (>= 20)] [--failures M] [--seed S]\n");
    return 2;
  }
  if (platform::testing::env("ORVIK_SIM_CONTROL").empty()) {
    std::fprintf(stderr, "core_bench: no UPS simulator (run it through bench/core_bench.sh)\n");
    return 2;
  }
  CoreOutput output("orvik_core_bench");
  install_service_keys("COM1", output.dir(), output.trace_file());

  char own_path[MAX_PATH];
  GetModuleFileNameA(nullptr, own_path, sizeof own_path);
  std::string library_path = own_path;
  library_path = library_path.substr(0, library_path.find_last_of('\\') + 1) + "orvik_dll.dll";
  HMODULE library = LoadLibraryA(library_path.c_str());
  MinidriverExports exports;
  if (!library || !exports.bind(library)) {
    std::fprintf(stderr, "core_bench: cannot load %s (%lu)\n", library_path.c_str(), GetLastError());
    return 1;
  }

  const Handles before = handles_now();
  const double init_started = seconds_now();
  const DWORD result = exports.init();
  std::printf("UPSInit = %lu in %.0f ms\n", static_cast<unsigned long>(result),
              (seconds_now() - init_started) * 1000.0);
  if (result != UPS_INITOK) return 1;
  print_handles("before UPSInit:", before);

  measure_polling(options.cycles);
  measure_reaction(exports, options.failures, options.seed);

  exports.stop();
  print_handles("after UPSStop:", handles_now());
  FreeLibrary(library);
  return 0;
}
