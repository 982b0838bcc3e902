#include "tray/tray_menu.h"

#include <atomic>

#include "ipc/pipe_rights.h"

namespace tray {
namespace {

std::uint32_t load_field(const std::uint32_t& field) {
  return std::atomic_ref<std::uint32_t>(const_cast<std::uint32_t&>(field)).load(std::memory_order_relaxed);
}

struct PowerRequest {
  unsigned id;
  std::uint32_t request;
};
// The same codes as the service host's command line sends.
constexpr PowerRequest kPowerRequests[] = {
    {kCmdShutdownTurnOff, 1}, {kCmdHibernateTurnOff, 2}, {kCmdReset, 3},
    {kCmdSuspend, 4},         {kCmdShutdownTurnOn, 5},   {kCmdHibernateTurnOn, 6},
};

MenuItem command(unsigned id, const char* text, bool checked = false, bool greyed = false) {
  return MenuItem{id, text, checked, greyed, false};
}

// A request item, greyed when the tray's user lacks what the service will ask of it.
MenuItem request(unsigned id, const char* text, std::uint32_t needed, std::uint32_t rights, bool checked = false) {
  return command(id, text, checked, ipc::missing_rights(needed, rights) != 0);
}

MenuItem power(unsigned id, const char* text, std::uint32_t rights) {
  for (const PowerRequest& known : kPowerRequests)
    if (known.id == id) return request(id, text, ipc::power_request_rights(known.request), rights);
  return command(id, text);
}

MenuChoice send(ipc::PipeMessage message) { return MenuChoice{MenuEffect::send_request, message}; }

MenuChoice toggle(std::uint32_t cmd, const std::uint32_t& field) {
  return send(ipc::make_pipe_message(cmd, load_field(field) != 0 ? 0 : 1));
}

}  // namespace

TrayMenu build_tray_menu(const ipc::UpsSharedBlock& block, std::uint32_t rights) {
  TrayMenu menu;
  menu.power = {
      request(kCmdBlockAction, "Блокировать действие", ipc::kSwitchRights, rights,
              load_field(block.action_blocked) != 0),
      request(kCmdBlockTurnOff, "Блокировать выкл. ИБП", ipc::kSwitchRights, rights,
              load_field(block.turn_off_blocked) != 0),
      MenuItem{},
      power(kCmdShutdownTurnOff, "Выключить (Power OFF) + выкл. ИБП", rights),
      power(kCmdHibernateTurnOff, "Спать (Hibernate) + выкл. ИБП", rights),
      MenuItem{},
      power(kCmdShutdownTurnOn, "Выключить (Power OFF) + вкл. ИБП", rights),
      power(kCmdHibernateTurnOn, "Спать (Hibernate) + вкл. ИБП", rights),
      MenuItem{},
      power(kCmdReset, "Сброс (Reset)", rights),
      power(kCmdSuspend, "Ждать (Suspend)", rights),
  };
  MenuItem power_entry = command(0, "Питание");
  power_entry.opens_power_menu = true;
  menu.main = {
      command(kCmdSettings, "Настройки"),
      command(kCmdStatistics, "Статистика"),
      power_entry,
      command(kCmdClose, "Закрыть"),
  };
  return menu;
}

MenuChoice carry_out_menu_command(unsigned id, const ipc::UpsSharedBlock& block, bool restricted) {
  switch (id) {
    case kCmdSettings:
      return {restricted ? MenuEffect::elevate_settings : MenuEffect::open_settings, {}};
    case kCmdStatistics:
      return {restricted ? MenuEffect::elevate_statistics : MenuEffect::open_statistics, {}};
    case kCmdClose:
      return {MenuEffect::close, {}};
    case kCmdBlockAction:
      return toggle(ipc::MSG_BLOCK_ACTION, block.action_blocked);
    case kCmdBlockTurnOff:
      return toggle(ipc::MSG_BLOCK_TURN_OFF, block.turn_off_blocked);
    default:
      break;
  }
  for (const PowerRequest& known : kPowerRequests)
    if (known.id == id) return send(ipc::make_pipe_message(ipc::MSG_POWER_ACTION, known.request - 1));
  return {};
}

}  // namespace tray
