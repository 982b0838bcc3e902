#include "tray/tray_menu.h"

#include <atomic>

namespace tray {
namespace {

std::uint32_t load_field(const std::uint32_t& field) {
  return std::atomic_ref<std::uint32_t>(const_cast<std::uint32_t&>(field)).load(std::memory_order_relaxed);
}

void store_field(std::uint32_t& field, std::uint32_t value) {
  std::atomic_ref<std::uint32_t>(field).store(value, std::memory_order_relaxed);
}

struct PowerRequest {
  unsigned id;
  std::uint32_t request;
};
// The same codes as the service host's command line hands to the library.
constexpr PowerRequest kPowerRequests[] = {
    {kCmdShutdownTurnOff, 1}, {kCmdHibernateTurnOff, 2}, {kCmdReset, 3},
    {kCmdSuspend, 4},         {kCmdShutdownTurnOn, 5},   {kCmdHibernateTurnOn, 6},
};

MenuItem command(unsigned id, const char* text, bool checked = false, bool greyed = false) {
  return MenuItem{id, text, checked, greyed, false};
}

void toggle(std::uint32_t& field) { store_field(field, load_field(field) != 0 ? 0 : 1); }

}  // namespace

TrayMenu build_tray_menu(const ipc::UpsSharedBlock& block, bool restricted) {
  TrayMenu menu;
  menu.power = {
      command(kCmdBlockAction, "Блокировать действие", load_field(block.action_blocked) != 0),
      command(kCmdBlockTurnOff, "Блокировать выкл. ИБП", load_field(block.turn_off_blocked) != 0),
      MenuItem{},
      command(kCmdShutdownTurnOff, "Выключить (Power OFF) + выкл. ИБП"),
      command(kCmdHibernateTurnOff, "Спать (Hibernate) + выкл. ИБП"),
      MenuItem{},
      command(kCmdShutdownTurnOn, "Выключить (Power OFF) + вкл. ИБП"),
      command(kCmdHibernateTurnOn, "Спать (Hibernate) + вкл. ИБП"),
      MenuItem{},
      command(kCmdReset, "Сброс (Reset)"),
      command(kCmdSuspend, "Ждать (Suspend)"),
  };
  MenuItem power_entry = command(0, "Питание");
  power_entry.opens_power_menu = true;
  menu.main = {
      command(kCmdSettings, "Настройки"),
      command(kCmdStatistics, "Статистика", false, restricted),
      power_entry,
      command(kCmdClose, "Закрыть"),
  };
  return menu;
}

MenuEffect carry_out_menu_command(unsigned id, ipc::UpsSharedBlock& block, bool restricted) {
  switch (id) {
    case kCmdSettings:
      return MenuEffect::open_settings;
    case kCmdStatistics:
      return restricted ? MenuEffect::none : MenuEffect::open_statistics;
    case kCmdClose:
      return MenuEffect::close;
    case kCmdBlockAction:
      toggle(block.action_blocked);
      return MenuEffect::none;
    case kCmdBlockTurnOff:
      toggle(block.turn_off_blocked);
      return MenuEffect::none;
    default:
      break;
  }
  for (const PowerRequest& power : kPowerRequests)
    if (power.id == id) store_field(block.action_request, power.request);
  return MenuEffect::none;
}

}  // namespace tray
