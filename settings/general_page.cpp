#include "settings/general_page.h"

#include <algorithm>
#include <cstdio>
#include <string>

#include "core/config_value_names.h"
#include "settings/page_values.h"
#include "settings/settings_ids.h"

namespace settings {
namespace {

using namespace detail;
namespace names = core::config_value;

constexpr char kCriticalPowerAction[] = "CriticalPowerAction";
constexpr char kShutdownOnBatteryEnable[] = "ShutdownOnBatteryEnable";
constexpr char kShutdownOnBatteryWait[] = "ShutdownOnBatteryWait";
constexpr char kTurnUpsOffEnable[] = "TurnUPSOffEnable";
// "22:30-7:5" needs 10 bytes; the core reads the value into 50.
constexpr std::size_t kSignalTimeBufferSize = 64;

enum class Kind { check, number, combo, window };
struct Control {
  int id;
  const char* name;
  Kind kind;
  const std::vector<const char*>* items = nullptr;  // a combo's
};

// The page's order, which is the order of the writes.
const std::vector<Control>& controls() {
  static const std::vector<Control> kControls = {
      {IDC_GEN_ACTION, kCriticalPowerAction, Kind::combo, &action_items()},
      {IDC_GEN_ON_BATTERY, kShutdownOnBatteryEnable, Kind::check},
      {IDC_GEN_ON_BATTERY_WAIT, kShutdownOnBatteryWait, Kind::number},
      {IDC_GEN_ON_CAPACITY, names::kShutdownOnCapBatteryEnable, Kind::check},
      {IDC_GEN_ON_CAPACITY_WAIT, names::kShutdownOnCapBatteryWait, Kind::number},
      {IDC_GEN_ON_VOLTAGE, names::kShutdownOnUBatteryEnable, Kind::check},
      {IDC_GEN_ON_VOLTAGE_WAIT, names::kShutdownOnUBatteryWait, Kind::number},
      {IDC_GEN_TURN_OFF, kTurnUpsOffEnable, Kind::check},
      {IDC_GEN_TURN_OFF_PC, names::kTurnUpsOffEnable2, Kind::check},
      {IDC_GEN_TURN_OFF_WAIT, names::kTurnUpsOffWait, Kind::number},
      {IDC_GEN_TURN_ON, names::kTurnUpsOnEnable, Kind::check},
      {IDC_GEN_TURN_ON_WAIT, names::kTurnUpsOnWait, Kind::number},
      {IDC_GEN_SIGNAL, names::kSignalEnable, Kind::check},
      {IDC_GEN_SIGNAL_WINDOW, names::kSignalTimeEnable, Kind::check},
      {IDC_GEN_SIGNAL_FROM, names::kSignalTime, Kind::window},
      {IDC_GEN_WAIT_BA, names::kWaitBaEnable, Kind::check},
      {IDC_GEN_WAIT_BA_WAIT, names::kWaitBaWait, Kind::number},
      {IDC_GEN_KEY_LED, names::kKeyLedEnable, Kind::check},
      {IDC_GEN_KEY_LED_NUM, names::kKeyLedNum, Kind::combo, &key_led_items()},
  };
  return kControls;
}

std::string time_text(const TimeOfDay& time) { return std::to_string(time.hour) + ':' + std::to_string(time.minute); }

// A picker always shows a time: one that does not parse counts as midnight.
TimeOfDay picker_time(const PageForm& form, int control) {
  const std::string text = field(form, control);
  std::string_view rest = text;
  return take_time(rest).value_or(TimeOfDay{});
}

int minute_of_day(const TimeOfDay& time) { return time.hour * 60 + time.minute; }

void load_window(core::ConfigStore& store, PageForm& form) {
  const std::string text = string_text(store, names::kSignalTime, kSignalTimeBufferSize);
  std::string_view rest = text;
  const auto start = take_time(rest);
  const bool dash = start && !rest.empty() && rest.front() == '-';
  if (dash) rest.remove_prefix(1);
  const auto end = dash ? take_time(rest) : std::nullopt;
  form[IDC_GEN_SIGNAL_FROM] = time_text(end ? *start : TimeOfDay{});
  form[IDC_GEN_SIGNAL_TO] = time_text(end.value_or(TimeOfDay{}));
}

bool save_window(const PageForm& form, core::ConfigStore& store) {
  const TimeOfDay from = picker_time(form, IDC_GEN_SIGNAL_FROM);
  const TimeOfDay to = picker_time(form, IDC_GEN_SIGNAL_TO);
  char text[32];
  std::snprintf(text, sizeof text, "%d:%d-%d:%d", from.hour, from.minute, to.hour, to.minute);
  return store.write_string(names::kSignalTime, text);
}

std::string combo_text(core::ConfigStore& store, const Control& control) {
  std::uint32_t index = 0;
  if (!store.read_dword(control.name, index) || index >= control.items->size()) return "";
  return std::to_string(index);
}

}  // namespace

const std::vector<const char*>& action_items() {
  static const std::vector<const char*> kItems = {"Выключить питание", "Перейти в спящий режим"};
  return kItems;
}

const std::vector<const char*>& key_led_items() {
  static const std::vector<const char*> kItems = {"Scroll Lock", "Num Lock", "Caps Lock"};
  return kItems;
}

PageForm load_general_page(core::ConfigStore& store) {
  PageForm form;
  for (const Control& control : controls()) {
    switch (control.kind) {
      case Kind::check: form[control.id] = check_text(store, control.name); break;
      case Kind::number: form[control.id] = number_text(store, control.name); break;
      case Kind::combo: form[control.id] = combo_text(store, control); break;
      case Kind::window: load_window(store, form); break;
    }
  }
  return form;
}

bool save_general_page(const PageForm& form, core::ConfigStore& store) {
  bool all_written = true;
  for (const Control& control : controls()) {
    bool written = true;
    switch (control.kind) {
      case Kind::check: written = write_check(store, control.name, form, control.id); break;
      case Kind::number:
      case Kind::combo: written = write_number(store, control.name, form, control.id); break;
      case Kind::window: written = save_window(form, store); break;
    }
    all_written = all_written && written;
  }
  return all_written;
}

std::vector<UpDownRange> general_page_ranges(std::string_view vendor) {
  return {
      {IDC_GEN_ON_BATTERY_WAIT, 1, 1000},
      {IDC_GEN_ON_CAPACITY_WAIT, 0, 100},
      {IDC_GEN_ON_VOLTAGE_WAIT, 50, 1000},
      {IDC_GEN_TURN_OFF_WAIT, 12, 600},
      // The turn-off command gives that vendor's UPS at most 255 restore minutes (link/turn_off_command.cpp).
      {IDC_GEN_TURN_ON_WAIT, 1, vendor == "Lunem" ? 255 : 9999},
      {IDC_GEN_WAIT_BA_WAIT, 0, 120},
  };
}

GeneralEnables general_page_enables(const PageForm& form, bool capacity_valid) {
  return {capacity_valid, checked(form, IDC_GEN_SIGNAL) != 0};
}

ipc::SettingsRecord settings_record_from_form(const PageForm& form) {
  const auto number = [&form](int control) { return typed_number(field(form, control)); };
  // A byte field must not wrap an absurd index round into a valid one.
  const auto byte = [&number](int control) { return static_cast<std::int8_t>(std::min<std::uint32_t>(number(control), 127)); };
  ipc::SettingsRecord record;
  record.shutdown_on_cap_battery_enable = checked(form, IDC_GEN_ON_CAPACITY);
  record.shutdown_on_cap_battery_wait = number(IDC_GEN_ON_CAPACITY_WAIT);
  record.shutdown_on_u_battery_enable = checked(form, IDC_GEN_ON_VOLTAGE);
  record.shutdown_on_u_battery_wait = number(IDC_GEN_ON_VOLTAGE_WAIT);
  record.signal_enable = checked(form, IDC_GEN_SIGNAL);
  record.signal_time_enable = checked(form, IDC_GEN_SIGNAL_WINDOW);
  record.signal_window_start = minute_of_day(picker_time(form, IDC_GEN_SIGNAL_FROM));
  record.signal_window_end = minute_of_day(picker_time(form, IDC_GEN_SIGNAL_TO));
  record.turn_ups_on_enable = checked(form, IDC_GEN_TURN_ON);
  record.turn_ups_on_wait = number(IDC_GEN_TURN_ON_WAIT);
  record.key_led_enable = static_cast<std::int8_t>(checked(form, IDC_GEN_KEY_LED));
  record.key_led_num = byte(IDC_GEN_KEY_LED_NUM);
  record.wait_ba_enable = static_cast<std::int8_t>(checked(form, IDC_GEN_WAIT_BA));
  record.wait_ba_wait = number(IDC_GEN_WAIT_BA_WAIT);
  return record;
}

}  // namespace settings
