// The system's performance host played by the test: the provider found through its registered
// entries, loaded from the registered path, opened and collected from, while the monitoring core
// of the same library runs against the UPS simulator on COM1. Then the same object asked for
// through the system's own query path, reported as far as Wine provides it.
#include <gtest/gtest.h>
#include <windows.h>
#include <winperf.h>

#include <cstdio>
#include <cstring>
#include <fstream>
#include <string>
#include <vector>

#include "core/test_service_registry_win.h"
#include "ipc/shared_block.h"
#include "perf/counter_registration_win.h"
#include "perf/counter_values.h"
#include "perf/perf_registry.h"
#include "perf/test_perflib_win.h"
#include "platform/shared_memory_win.h"
#include "platform/system_function_win.h"
#include "platform/test_wine_env_win.h"

namespace perf {
namespace {

using platform::testing::env;
using platform::testing::wine_path;
using namespace perf::testing;

using OpenFunction = DWORD(WINAPI*)(LPWSTR);
using CollectFunction = DWORD(WINAPI*)(LPWSTR, LPVOID*, LPDWORD, LPDWORD);
using CloseFunction = DWORD(WINAPI*)();

// What one call of the collect export gave back, and the object as a consumer reads it.
struct Collection {
  DWORD result = 0;
  DWORD bytes = 0;
  DWORD objects = 0;
  std::size_t advanced = 0;  // how far the data pointer moved
  std::vector<unsigned char> data;

  const PERF_OBJECT_TYPE& object() const { return *reinterpret_cast<const PERF_OBJECT_TYPE*>(data.data()); }
  // Counter k (1..9), found through its definition.
  std::uint32_t counter(int k) const {
    const auto* definition =
        reinterpret_cast<const PERF_COUNTER_DEFINITION*>(data.data() + object().HeaderLength) + (k - 1);
    std::uint32_t value = 0;
    std::memcpy(&value, data.data() + object().DefinitionLength + definition->CounterOffset, sizeof value);
    return value;
  }
};

// The values the object must carry for `block`.
std::vector<std::uint32_t> expected_counters(const ipc::UpsSharedBlock& block) {
  const ups_link::UpsStatus& s = block.status;
  const auto on = [](bool set) { return set ? 100u : 0u; };
  return {static_cast<std::uint32_t>(tenths(s.input_voltage)),
          static_cast<std::uint32_t>(tenths(s.output_voltage)),
          static_cast<std::uint32_t>(s.load_percent),
          static_cast<std::uint32_t>(tenths(s.battery_voltage)),
          on(s.status_bits & ups_link::STATUS_AVR),
          static_cast<std::uint32_t>(truncated(s.temperature)),
          block.link_ok * 100u,
          on(s.status_bits & ups_link::STATUS_UTILITY_FAIL),
          0};
}

std::vector<std::uint32_t> counters_of(const Collection& c) {
  std::vector<std::uint32_t> values;
  for (int k = 1; k <= 9; ++k) values.push_back(c.counter(k));
  return values;
}

class PerformanceHost : public ::testing::Test {
 protected:
  static void SetUpTestSuite() {
    const std::string stat_dir = core::testing::temp_directory("orvik_perf_stats");
    core::testing::install_service_keys("COM1", stat_dir, stat_dir + "\\trace.txt");
    HMODULE installed = LoadLibraryA((wine_path(env("ORVIK_BIN_DIR")) + "\\orvik_dll.dll").c_str());
    ASSERT_NE(installed, nullptr) << GetLastError();
    ASSERT_EQ(register_counters(installed), 1);
    FreeLibrary(installed);
    load_provider_as_the_host_does();
  }

  static void TearDownTestSuite() {
    if (close_) close_();
    if (library_) FreeLibrary(library_);
    unregister_counters();
  }

  // The library named by "Library", its exports by the names under "Open", "Collect", "Close".
  static void load_provider_as_the_host_does() {
    library_ = LoadLibraryW(performance_text(kLibraryValue).c_str());
    ASSERT_NE(library_, nullptr) << GetLastError();
    using platform::find_system_function;
    open_ = find_system_function<OpenFunction>(library_, narrow(performance_text(kOpenValue)).c_str());
    collect_ = find_system_function<CollectFunction>(library_, narrow(performance_text(kCollectValue)).c_str());
    close_ = find_system_function<CloseFunction>(library_, narrow(performance_text(kCloseValue)).c_str());
    ups_init_ = find_system_function<DWORD(WINAPI*)()>(library_, "UPSInit");
    ups_stop_ = find_system_function<void(WINAPI*)()>(library_, "UPSStop");
    ASSERT_TRUE(open_ && collect_ && close_ && ups_init_ && ups_stop_);
  }

  static Collection collect(const wchar_t* value_name, DWORD offered) {
    Collection c;
    c.data.assign(offered, 0xCC);
    void* cursor = c.data.data();
    c.bytes = offered;
    std::wstring name = value_name;
    c.result = collect_(name.data(), &cursor, &c.bytes, &c.objects);
    c.advanced = static_cast<std::size_t>(static_cast<unsigned char*>(cursor) - c.data.data());
    return c;
  }

  static void simulator(const std::string& command) {
    std::ofstream control(wine_path(env("ORVIK_SIM_CONTROL")), std::ios::app | std::ios::binary);
    control << command << "\n";
  }

  // Polls the block until `ready` holds, for at most `timeout_ms`.
  template <typename Ready>
  static bool wait_for_block(const ipc::UpsSharedBlock& block, Ready ready, DWORD timeout_ms) {
    for (DWORD waited = 0; waited < timeout_ms; waited += 100) {
      if (ready(block)) return true;
      Sleep(100);
    }
    return ready(block);
  }

  static inline HMODULE library_ = nullptr;
  static inline OpenFunction open_ = nullptr;
  static inline CollectFunction collect_ = nullptr;
  static inline CloseFunction close_ = nullptr;
  static inline DWORD(WINAPI* ups_init_)() = nullptr;
  static inline void(WINAPI* ups_stop_)() = nullptr;
};

TEST_F(PerformanceHost, BeforeTheServiceRunsTheObjectHasNoCounters) {
  ASSERT_EQ(open_(nullptr), 0u);
  const Collection c = collect(L"Global", 464);
  ASSERT_EQ(c.result, 0u);
  EXPECT_EQ(c.bytes, 424u);
  EXPECT_EQ(c.advanced, 424u);
  EXPECT_EQ(c.objects, 1u);
  EXPECT_EQ(c.object().NumCounters, 0u);
  EXPECT_EQ(c.object().TotalByteLength, 424u);
  EXPECT_EQ(c.object().ObjectNameTitleIndex, performance_dword(kFirstCounterValue));
}

// Where our object lies in a performance data block: the offset of an object header with our
// title index, searched for rather than taken from the block, so that a misplaced one is found.
std::size_t find_our_object(const std::vector<BYTE>& buffer, DWORD size) {
  for (std::size_t offset = 0; offset + sizeof(PERF_OBJECT_TYPE) <= size; offset += 8) {
    const auto* object = reinterpret_cast<const PERF_OBJECT_TYPE*>(buffer.data() + offset);
    if (object->ObjectNameTitleIndex == performance_dword(kFirstCounterValue) &&
        object->HeaderLength == sizeof(PERF_OBJECT_TYPE))
      return offset;
  }
  return std::string::npos;
}

// What Wine's own query of the performance data gives for our object: whether its query path
// loads the registered provider, and where it puts what the provider delivered. Reported, not
// required; an object in its proper place must carry the block's values.
void report_system_query(const wchar_t* query, const ipc::UpsSharedBlock& block) {
  std::vector<BYTE> buffer(64 * 1024);
  DWORD size = static_cast<DWORD>(buffer.size());
  const LONG rc = RegQueryValueExW(HKEY_PERFORMANCE_DATA, query, nullptr, nullptr, buffer.data(), &size);
  RegCloseKey(HKEY_PERFORMANCE_DATA);
  const auto* data = reinterpret_cast<const PERF_DATA_BLOCK*>(buffer.data());
  std::string report = "query \"" + narrow(query) + "\": ";
  if (rc != ERROR_SUCCESS || size < sizeof(PERF_DATA_BLOCK) || std::memcmp(data->Signature, L"PERF", 8) != 0) {
    report += "error " + std::to_string(rc) + ", " + std::to_string(size) + " bytes";
  } else {
    report += std::to_string(size) + " bytes, " + std::to_string(data->NumObjectTypes) +
              " object(s) announced from offset " + std::to_string(data->HeaderLength);
    const std::size_t ours = find_our_object(buffer, size);
    if (ours == std::string::npos) {
      report += ", our object not found";
    } else {
      const auto* object = reinterpret_cast<const PERF_OBJECT_TYPE*>(buffer.data() + ours);
      report += ", our object (" + std::to_string(object->TotalByteLength) + " bytes, " +
                std::to_string(object->NumCounters) + " counters) found at offset " + std::to_string(ours);
      if (ours == data->HeaderLength && object->NumCounters == 9 && ours + object->TotalByteLength <= size) {
        Collection placed;
        placed.data.assign(buffer.data() + ours, buffer.data() + ours + object->TotalByteLength);
        EXPECT_EQ(counters_of(placed), expected_counters(block));
      }
    }
  }
  std::printf("Wine's own performance query path: %s\n", report.c_str());
  ::testing::Test::RecordProperty("system_query_" + narrow(query), report);
}

TEST_F(PerformanceHost, CountersFollowTheBlockWhileTheServiceRuns) {
  ASSERT_EQ(open_(nullptr), 0u);
  ASSERT_EQ(ups_init_(), 1u);
  platform::SharedMemory memory;
  ASSERT_TRUE(platform::open_shared_memory(memory, false, ipc::kSharedBlockBaseName, ipc::kSharedBlockSize));
  const auto& block = *static_cast<const ipc::UpsSharedBlock*>(memory.data());
  simulator("jitter off");
  simulator("input 229.9");
  simulator("temp 25.0");
  ASSERT_TRUE(wait_for_block(
      block,
      [](const ipc::UpsSharedBlock& b) {
        return b.link_ok == 1 && b.status.input_voltage == 229.9f && b.status.temperature == 25.0f;
      },
      15000));

  const Collection full = collect(L"Global", 464);
  ASSERT_EQ(full.result, 0u);
  EXPECT_EQ(full.bytes, 464u);
  EXPECT_EQ(full.advanced, 464u);
  EXPECT_EQ(full.objects, 1u);
  EXPECT_EQ(full.object().NumCounters, 9u);
  const std::vector<std::uint32_t> running = counters_of(full);
  EXPECT_EQ(running, expected_counters(block));
  EXPECT_EQ(running[0], 2299u) << "229.9 V";
  EXPECT_EQ(running[5], 25u) << "25.0 degrees";
  EXPECT_EQ(running[6], 100u) << "link up";

  const Collection short_buffer = collect(L"Global", 463);
  EXPECT_EQ(short_buffer.result, 234u);
  EXPECT_EQ(short_buffer.bytes, 0u);
  EXPECT_EQ(short_buffer.objects, 0u);
  EXPECT_EQ(short_buffer.advanced, 0u);

  const Collection costly = collect(L"Costly", 464);
  EXPECT_EQ(costly.bytes, 424u);
  EXPECT_EQ(costly.object().NumCounters, 0u);

  report_system_query(L"Global", block);
  report_system_query(std::to_wstring(performance_dword(kFirstCounterValue)).c_str(), block);

  simulator("silence on");
  ASSERT_TRUE(wait_for_block(
      block, [](const ipc::UpsSharedBlock& b) { return b.link_ok == 0; }, 30000));
  const std::vector<std::uint32_t> lost = counters_of(collect(L"Global", 464));
  EXPECT_EQ(lost[6], 0u) << "link lost";
  for (int i : {0, 1, 2, 3, 4, 5, 7, 8}) {
    EXPECT_EQ(lost[i], running[i]) << "counter " << i + 1 << " keeps the last record";
  }

  simulator("silence off");
  ups_stop_();
}

}  // namespace
}  // namespace perf
