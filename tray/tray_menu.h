// The tray icon's pop-up menu: its items from the shared block's switches, and what a chosen
// command does. The power-action requests and the two switches are written straight into the
// shared block (single aligned 32-bit stores) for the service to take.
//
// GUI thread only. The block is shared memory any local process may write: a switch that is
// neither 0 nor 1 shows as checked and toggles to 0.
#pragma once

#include <cstdint>
#include <vector>

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

TrayMenu build_tray_menu(const ipc::UpsSharedBlock& block, bool restricted);

// What a command leaves to the window after the block was written.
enum class MenuEffect { none, open_settings, open_statistics, close };

// Carries out a chosen command: toggles a switch or writes a power-action request (1..6) into the
// block, or names the window's part. Unknown identifiers (0: nothing chosen) do nothing.
MenuEffect carry_out_menu_command(unsigned id, ipc::UpsSharedBlock& block, bool restricted);

}  // namespace tray
