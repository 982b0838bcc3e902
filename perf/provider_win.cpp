// The performance-data provider exports: the system's performance host (in a process of its own,
// not the service's) opens the provider once and then collects from its threads. The provider's
// only link to the service is the shared status block, attached at the first collection after the
// service created it and kept for the life of the host process.
#include <windows.h>

#include <mutex>

#include "ipc/shared_block.h"
#include "perf/collect.h"
#include "perf/perf_image.h"
#include "perf/perf_registry.h"
#include "perf/system_layout_check_win.h"
#include "platform/debug_trace.h"
#include "platform/privilege_win.h"
#include "platform/registry_win.h"
#include "platform/shared_memory_win.h"

namespace perf {
namespace {

// The host's value name is UTF-16 text.
static_assert(sizeof(wchar_t) == sizeof(char16_t));

// The provider of this host process. The lock serialises the host's threads around the lazy
// attach; the block itself is read without one (its fields are single words, each of one writer).
struct Provider {
  std::mutex lock;
  PerfImage image = prepare_image(0, 0);
  bool disabled = true;  // until OpenPD has read the indexes
  platform::SharedMemory memory;
};

Provider& provider() {
  static Provider instance;
  return instance;
}

bool read_first_indexes(std::uint32_t& first_counter, std::uint32_t& first_help) {
  platform::UniqueKey key = platform::open_key(kPerformanceKeyPath, KEY_READ);
  return key && platform::read_dword_value(key.get(), kFirstCounterValue, first_counter) &&
         platform::read_dword_value(key.get(), kFirstHelpValue, first_help);
}

// The block when the provider is enabled and the service has created it; a failed attach is
// tried again at the next collection.
const ipc::UpsSharedBlock* source_block(Provider& p) {
  if (p.disabled) return nullptr;
  if (!p.memory.data()) platform::open_shared_memory(p.memory, false, ipc::kSharedBlockBaseName, ipc::kSharedBlockSize);
  return static_cast<const ipc::UpsSharedBlock*>(p.memory.data());
}

}  // namespace
}  // namespace perf

extern "C" {

DWORD WINAPI OpenPD(LPWSTR /*device_names*/) {
  perf::Provider& p = perf::provider();
  std::lock_guard guard(p.lock);
  // Lets the host read the provider's registry values whatever their protection.
  platform::enable_privilege("SeBackupPrivilege");
  std::uint32_t first_counter = 0;
  std::uint32_t first_help = 0;
  p.disabled = !perf::read_first_indexes(first_counter, first_help);
  if (p.disabled) {
    debug_trace("UPS::error::RegistryWMI::getFirstIndex\n");
    return 0;
  }
  p.image = perf::prepare_image(first_counter, first_help);
  return 0;
}

DWORD WINAPI CollectPD(LPWSTR value_name, LPVOID* data, LPDWORD byte_count, LPDWORD object_count) {
  perf::Provider& p = perf::provider();
  std::lock_guard guard(p.lock);
  const perf::CollectResult r = perf::collect_object(p.image, perf::source_block(p),
                                                     reinterpret_cast<const char16_t*>(value_name), *data, *byte_count);
  *data = static_cast<BYTE*>(*data) + r.bytes;
  *byte_count = r.bytes;
  *object_count = r.objects;
  return r.result;
}

DWORD WINAPI ClosePD() { return 0; }

}  // extern "C"
