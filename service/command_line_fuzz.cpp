// Fuzz target: a command line of arbitrary bytes. Whatever it holds, the run plays exactly one
// role, a power-action request is one the service understands, and a choice given for an
// unattended installation names a vendor, a model and a port the setup dialog lists.
#include <cstddef>
#include <cstdint>
#include <string>

#include "service/command_line.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  const std::string line(reinterpret_cast<const char*>(data), size);  // ends at the first NUL, as WinMain's does
  const service::HostCommand command = service::parse_command_line(line.c_str());
  const bool power_action = command.mode == service::HostMode::kPowerAction;
  if (power_action != (command.power_request >= 1 && command.power_request <= 6)) __builtin_trap();
  if (!power_action && command.power_request != 0) __builtin_trap();
  if (command.mode == service::HostMode::kInstallGiven) {
    const service::CommandLineChoice& choice = command.choice;
    const std::string& port = choice.port;
    const bool com = port.size() == 4 && port.compare(0, 3, "COM") == 0 && port[3] >= '1' && port[3] <= '9';
    if (choice.vendor.empty() || choice.model.empty() || !(com || port == "USB")) __builtin_trap();
  }
  return 0;
}
