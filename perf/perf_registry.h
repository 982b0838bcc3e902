// Where the provider and its texts are made known to the system (all under the local-machine
// hive), and the names of the values there.
#pragma once

namespace perf {

inline constexpr const char* kServicesKeyPath = "System\\CurrentControlSet\\Services";
// The provider entries and the indexes the registration allocated.
inline constexpr const char* kPerformanceKeyName = "Performance";
inline constexpr const char* kPerformanceKeyPath = "System\\CurrentControlSet\\Services\\UPS\\Performance";
// An older place of the provider entries, removed when found.
inline constexpr const char* kOlderProviderKeyName = "UPSperf";
inline constexpr const char* kOlderPerformanceKeyPath = "System\\CurrentControlSet\\Services\\UPSperf\\Performance";
// The performance library: the highest indexes in use, and a subkey per language text base.
inline constexpr const char* kPerflibKeyPath = "Software\\Microsoft\\Windows NT\\CurrentVersion\\Perflib";

inline constexpr const char* kFirstCounterValue = "First Counter";
inline constexpr const char* kFirstHelpValue = "First Help";
inline constexpr const char* kLastCounterValue = "Last Counter";
inline constexpr const char* kLastHelpValue = "Last Help";
inline constexpr const char* kCounterBaseValue = "Counter";
inline constexpr const char* kHelpBaseValue = "Help";

// The provider entries: the library's path and the names of its three exports.
inline constexpr const char* kLibraryValue = "Library";
inline constexpr const char* kOpenValue = "Open";
inline constexpr const char* kCloseValue = "Close";
inline constexpr const char* kCollectValue = "Collect";
inline constexpr const char* kOpenExport = "OpenPD";
inline constexpr const char* kCloseExport = "ClosePD";
inline constexpr const char* kCollectExport = "CollectPD";

}  // namespace perf
