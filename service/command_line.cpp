#include "service/command_line.h"

#include <cstring>

namespace service {
namespace {

struct Switch {
  const char* text;
  HostCommand command;
};

// Tried in this order; the first whole-line match wins.
constexpr Switch kSwitches[] = {
    {"/setup", {HostMode::kReconfigure, 0}},
    {"/installGUI", {HostMode::kInstallGui, 0}},
    {"/uninstallGUI", {HostMode::kUninstallGui, 0}},
    {"/install", {HostMode::kInstall, 0}},
    {"/uninstall", {HostMode::kUninstall, 0}},
    {"/gui", {HostMode::kGui, 0}},
    {"/app", {HostMode::kApp, 0}},
    {"/shutdownUPS", {HostMode::kPowerAction, 1}},
    {"/hibernateUPS", {HostMode::kPowerAction, 2}},
    {"/shutdown", {HostMode::kPowerAction, 5}},
    {"/hibernate", {HostMode::kPowerAction, 6}},
    {"/reset", {HostMode::kPowerAction, 3}},
    {"/suspend", {HostMode::kPowerAction, 4}},
};

}  // namespace

HostCommand parse_command_line(const char* arguments) {
  if (!arguments) return {};
  for (const Switch& s : kSwitches)
    if (std::strcmp(arguments, s.text) == 0) return s.command;
  return {};
}

}  // namespace service
