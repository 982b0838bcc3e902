#include "perf/counter_registration_win.h"

#include <shlwapi.h>

#include <cstdint>
#include <string>

#include "perf/counter_texts.h"
#include "perf/perf_registry.h"
#include "perf/text_bases_win.h"
#include "perf/utf16.h"
#include "platform/debug_trace.h"
#include "platform/registry_win.h"

namespace perf {
namespace {

struct Indexes {
  std::uint32_t counter = 0;
  std::uint32_t help = 0;
};

bool key_exists(const char* path) { return static_cast<bool>(platform::open_key(path, KEY_READ)); }

bool read_indexes(HKEY key, const char* counter_name, const char* help_name, Indexes& indexes) {
  return platform::read_dword_value(key, counter_name, indexes.counter) &&
         platform::read_dword_value(key, help_name, indexes.help);
}

void write_indexes(HKEY key, const char* counter_name, const char* help_name, Indexes indexes) {
  platform::write_dword_value(key, counter_name, indexes.counter);
  platform::write_dword_value(key, help_name, indexes.help);
}

platform::UniqueKey open_or_create_performance(HKEY service) {
  platform::UniqueKey key;
  if (RegCreateKeyExA(service, kPerformanceKeyName, 0, nullptr, REG_OPTION_NON_VOLATILE, platform::kKeyReadWrite,
                      nullptr, key.receive(), nullptr) != ERROR_SUCCESS)
    key.release();
  return key;
}

// Through the wide call: the path may hold characters the ANSI code page lacks.
bool write_library_path(HKEY performance, HMODULE library) {
  wchar_t path[MAX_PATH];
  const DWORD length = GetModuleFileNameW(library, path, MAX_PATH);
  if (length == 0 || length >= MAX_PATH) return false;  // a cut path would name another file
  const std::u16string name = utf8_to_utf16(kLibraryValue);
  return RegSetValueExW(performance, reinterpret_cast<const wchar_t*>(name.c_str()), 0, REG_SZ,
                        reinterpret_cast<const BYTE*>(path), (length + 1) * sizeof(wchar_t)) == ERROR_SUCCESS;
}

bool write_provider_entries(HKEY performance, HMODULE library) {
  return write_library_path(performance, library) &&
         platform::write_string_value(performance, kOpenValue, kOpenExport) &&
         platform::write_string_value(performance, kCloseValue, kCloseExport) &&
         platform::write_string_value(performance, kCollectValue, kCollectExport);
}

// Every entry gets the indexes its offset lies above the first pair, the pair after `last`.
// Returns the last pair used.
Indexes add_all_texts(HKEY performance, HKEY perflib, Indexes last) {
  Indexes used = last;
  for (const CounterTextEntry& entry : kCounterTexts) {
    used = {last.counter + 2 + entry.offset, last.help + 2 + entry.offset};
    if (entry.offset == 0) write_indexes(performance, kFirstCounterValue, kFirstHelpValue, used);
    debug_trace(" WMI::add counter %d '%s' / %d '%s'\n", static_cast<int>(used.counter), entry.english.name,
                static_cast<int>(used.help), entry.english.help);
    add_to_all_bases(perflib, entry, used.counter, used.help);
  }
  return used;
}

// Clears the registered pairs from `first` on, within `last`, and at most as many as a
// registration adds: the indexes come from the registry and could be anything.
HighestIndexes clear_all_texts(HKEY perflib, Indexes first, Indexes last) {
  HighestIndexes remaining = clear_from_all_bases(perflib, first.counter, first.help);
  for (std::uint32_t offset = 2; offset < 2 * kTextEntryCount; offset += 2) {
    const std::uint64_t counter = std::uint64_t{first.counter} + offset;
    const std::uint64_t help = std::uint64_t{first.help} + offset;
    if (counter > last.counter || help > last.help) break;
    remaining = clear_from_all_bases(perflib, static_cast<std::uint32_t>(counter), static_cast<std::uint32_t>(help));
  }
  return remaining;
}

// The system's highest indexes become those the bases still use. No base read means nothing is
// known: the values stay, since 0 would hand out indexes the system uses.
void lower_system_indexes(HKEY perflib, HighestIndexes remaining) {
  if (remaining.counter != 0) platform::write_dword_value(perflib, kLastCounterValue, remaining.counter);
  if (remaining.help != 0) platform::write_dword_value(perflib, kLastHelpValue, remaining.help);
}

void remove_texts(HKEY performance, HKEY perflib) {
  Indexes first;
  Indexes last;
  if (!read_indexes(performance, kFirstCounterValue, kFirstHelpValue, first) ||
      !read_indexes(performance, kLastCounterValue, kLastHelpValue, last))
    return;
  const HighestIndexes remaining = clear_all_texts(perflib, first, last);
  for (const char* name : {kFirstCounterValue, kFirstHelpValue, kLastCounterValue, kLastHelpValue})
    RegDeleteValueA(performance, name);
  lower_system_indexes(perflib, remaining);
}

}  // namespace

int register_counters(HMODULE library) {
  debug_trace("WMI::reg\n");
  platform::UniqueKey service = platform::open_key(platform::kServiceKeyPath);
  if (!service) return 0;
  platform::UniqueKey performance = open_or_create_performance(service.get());
  if (!performance || !write_provider_entries(performance.get(), library)) {
    debug_trace("RegistryWMI::error writing the provider entries\n");
    return 0;
  }
  platform::UniqueKey perflib = platform::open_key(kPerflibKeyPath);
  if (!perflib) return 0;
  Indexes last;
  // Without the system's highest indexes any choice could take indexes the system uses.
  if (!read_indexes(perflib.get(), kLastCounterValue, kLastHelpValue, last)) {
    debug_trace("RegistryWMI::error no Last Counter / Last Help in Perflib\n");
    return 0;
  }
  const Indexes used = add_all_texts(performance.get(), perflib.get(), last);
  write_indexes(performance.get(), kLastCounterValue, kLastHelpValue, used);
  write_indexes(perflib.get(), kLastCounterValue, kLastHelpValue, used);
  debug_trace("WMI::reg() - OK\n");
  return 1;
}

int unregister_counters() {
  platform::UniqueKey performance = platform::open_key(kPerformanceKeyPath);
  platform::UniqueKey perflib = platform::open_key(kPerflibKeyPath);
  if (!performance || !perflib) return 0;
  remove_texts(performance.get(), perflib.get());
  performance.reset();
  platform::UniqueKey service = platform::open_key(platform::kServiceKeyPath);
  if (!service) return 0;
  SHDeleteKeyA(service.get(), kPerformanceKeyName);
  return 1;
}

int query_counters_state() {
  if (key_exists(kOlderPerformanceKeyPath)) {
    platform::UniqueKey services = platform::open_key(kServicesKeyPath);
    if (!services) return -1;
    SHDeleteKeyA(services.get(), kOlderProviderKeyName);
  }
  return key_exists(kPerformanceKeyPath) ? 1 : 0;
}

int ensure_counters_registered(HMODULE library) {
  if (key_exists(kPerformanceKeyPath)) return 0;
  unregister_counters();
  return register_counters(library);
}

}  // namespace perf
