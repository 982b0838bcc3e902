// The tray icon's pop-up menu: its items from the shared block's switches and the rights of the
// tray's user, and what a chosen command does. Power-action requests and the two switches are
// requests to the service over the pipe: the block is read-only for users, and the service decides
// by the caller's own token whether it may ask.
//
// GUI thread only. The block is shared memory: a switch that is neither 0 nor 1 shows as checked
// and toggles to 0.
#pragma once

#include <cstdint>
#include <vector>

#include "ipc/pipe_message.h"
#include "ipc/shared_block.h"

namespace tray {

// Command identifiers of the menu items.
enum MenuCommand : unsigned {
  kCmdSettings = 32512,
  kCmdStatistics = 32513,
  kCmdClose = 32514,
  kCmdShutdownTurnOff = 32515,
  kCmdHibernateTurnOff = 32516,
  kCmdReset = 32517,
  kCmdSuspend = 32518,
  kCmdShutdownTurnOn = 32519,
  kCmdHibernateTurnOn = 32520,
  kCmdBlockTurnOff = 32521,
  kCmdBlockAction = 32522,
};

// One item; a separator has id 0 and no text; the main menu's "Питание" entry opens the power
// sub-menu and has id 0 as well.
struct MenuItem {
  unsigned id = 0;
  const char* text = nullptr;  // UTF-8
  bool checked = false;
  bool greyed = false;
  bool opens_power_menu = false;
  bool separator() const { return text == nullptr; }
};

struct TrayMenu {
  std::vector<MenuItem> power;  // the "Питание" sub-menu
  std::vector<MenuItem> main;
};

// `rights` are what this tray may ask of the service (pipe_rights.h): its user's rights while it
// uses the pipe, none without it. A request needing more is greyed.
TrayMenu build_tray_menu(const ipc::UpsSharedBlock& block, std::uint32_t rights);

// What a command leaves to the window. A restricted tray (no write access to the settings) opens
// the sheets in an elevated start of the service host instead of its own.
enum class MenuEffect {
  none,
  open_settings,
  open_statistics,
  elevate_settings,
  elevate_statistics,
  close,
  send_request
};

struct MenuChoice {
  MenuEffect effect = MenuEffect::none;
  ipc::PipeMessage request;  // with send_request: a power action or a switch's new value
};

// A chosen command: a power-action request (1..6) or a switch's toggle as a message for the
// service, or the window's part. Unknown identifiers (0: nothing chosen) do nothing.
MenuChoice carry_out_menu_command(unsigned id, const ipc::UpsSharedBlock& block, bool restricted);

}  // namespace tray
