#include "setup/config_defaults.h"

#include "core/config_value_names.h"
#include "stats/stat_config.h"

namespace installation {
namespace {

using Kind = SettingDefault::Kind;
namespace core_value = core::config_value;
namespace stat_value = stats::config_value;

constexpr SettingDefault dword(const char* name, std::uint32_t value) { return {name, Kind::dword, value, ""}; }
constexpr SettingDefault text(const char* name, const char* value) { return {name, Kind::text, 0, value}; }

constexpr SettingDefault kServiceDefaults[] = {
    text("Port", ""),
    text("Description",
         "Управляет работой источника бесперебойного питания (ИБП), подключенного к компьютеру."),
};

constexpr SettingDefault kConfigDefaults[] = {
    dword("CriticalPowerAction", 0),
    dword("TurnUPSOffEnable", 0),
    dword(core_value::kTurnUpsOffWait, 180),
    dword("ShutdownOnBatteryEnable", 0),
    dword("ShutdownOnBatteryWait", 3),
    dword(core_value::kSignalEnable, 0),
    dword(core_value::kShutdownOnCapBatteryEnable, 0),
    dword(core_value::kShutdownOnCapBatteryWait, 0),
    dword(core_value::kShutdownOnUBatteryEnable, 0),
    dword(core_value::kShutdownOnUBatteryWait, 0),
    dword(core_value::kSignalTimeEnable, 0),
    dword(core_value::kTurnUpsOffEnable2, 0),
    dword(core_value::kTrayTempInfo, 0),
    dword("AltTrayInfo", 0),
    dword(core_value::kTurnUpsOnEnable, 0),
    dword(core_value::kTurnUpsOnWait, 1),
    dword(core_value::kKeyLedEnable, 0),
    dword(core_value::kKeyLedNum, 0),
    dword(stat_value::kStatOn, 0),
    dword(stat_value::kStatData, 0),
    dword(stat_value::kStatRate, 1),
    dword(stat_value::kStatFlushForce, 0),
    dword(core_value::kWaitBaEnable, 0),
    dword(core_value::kWaitBaWait, 0),
    text(core_value::kSignalTime, "00:00-00:00"),
    text(core_value::kVendor, ""),
    text(core_value::kModel, ""),
    text(stat_value::kStatPath, ""),
};

bool readable(core::ConfigStore& store, const SettingDefault& setting) {
  if (setting.kind == Kind::dword) {
    std::uint32_t value = 0;
    return store.read_dword(setting.name, value);
  }
  char buffer[kSettingTextBufferSize];
  return store.read_string(setting.name, buffer, sizeof buffer);
}

}  // namespace

std::span<const SettingDefault> service_defaults() { return kServiceDefaults; }
std::span<const SettingDefault> config_defaults() { return kConfigDefaults; }

void write_missing_defaults(core::ConfigStore& store, std::span<const SettingDefault> defaults) {
  for (const SettingDefault& setting : defaults) {
    if (readable(store, setting)) continue;
    if (setting.kind == Kind::dword)
      store.write_dword(setting.name, setting.number);
    else
      store.write_string(setting.name, setting.text);
  }
}

}  // namespace installation
