// Names of the values under the service's Config key that the monitoring core reads.
// The settings pages of the tray application write the same names.
#pragma once

namespace core::config_value {

inline constexpr char kModel[] = "Model";
inline constexpr char kVendor[] = "Vendor";
inline constexpr char kSignalEnable[] = "SignalEnable";
inline constexpr char kShutdownOnCapBatteryEnable[] = "ShutdownOnCapBatteryEnable";
inline constexpr char kShutdownOnCapBatteryWait[] = "ShutdownOnCapBatteryWait";
inline constexpr char kShutdownOnUBatteryEnable[] = "ShutdownOnUBatteryEnable";
inline constexpr char kShutdownOnUBatteryWait[] = "ShutdownOnUBatteryWait";
inline constexpr char kSignalTimeEnable[] = "SignalTimeEnable";
inline constexpr char kTrayTempInfo[] = "TrayTempInfo";
inline constexpr char kSignalTime[] = "SignalTime";
inline constexpr char kTurnUpsOffEnable2[] = "TurnUPSOffEnable2";
inline constexpr char kTurnUpsOffWait[] = "TurnUPSOffWait";
inline constexpr char kTurnUpsOnEnable[] = "TurnUPSOnEnable";
inline constexpr char kTurnUpsOnWait[] = "TurnUPSOnWait";
inline constexpr char kWaitBaEnable[] = "WaitBAEnable";
inline constexpr char kWaitBaWait[] = "WaitBAWait";
inline constexpr char kKeyLedEnable[] = "KeyLedEnable";
inline constexpr char kKeyLedNum[] = "KeyLedNum";
// Non-zero: power actions are written down instead of done (the rehearsal of the settings).
inline constexpr char kPowerActionTestMode[] = "PowerActionTestMode";

}  // namespace core::config_value
