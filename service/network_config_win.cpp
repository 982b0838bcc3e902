#include "service/network_config_win.h"

#include <windows.h>

#include "nut/network_key_win.h"
#include "platform/multi_string_win.h"
#include "platform/registry_win.h"
#include "service/console_output_win.h"
#include "service/firewall_rule_win.h"

namespace service {
namespace {

class RegistryNetworkStore final : public NetworkStore {
 public:
  std::optional<nut::NetworkValues> read() override {
    const nut::NetworkKeyRead key = nut::read_network_key();
    switch (key.state) {
      case nut::NetworkKeyState::absent: return nut::NetworkValues{};
      case nut::NetworkKeyState::readable: return key.values;
      default: return std::nullopt;
    }
  }
  bool set_number(const char* name, std::uint32_t value) override {
    platform::UniqueKey key = nut::open_network_key_for_change();
    return key && platform::write_dword_value(key.get(), name, value);
  }
  bool set_text(const char* name, const std::string& value) override {
    platform::UniqueKey key = nut::open_network_key_for_change();
    return key && platform::write_string_value(key.get(), name, value.c_str());
  }
  bool set_list(const char* name, const std::vector<std::string>& items) override {
    platform::UniqueKey key = nut::open_network_key_for_change();
    return key && platform::write_multi_string_value(key.get(), name, items);
  }
  bool remove_value(const char* name) override {
    platform::UniqueKey key = nut::open_network_key_for_change();
    if (!key) return false;
    const LONG rc = RegDeleteValueA(key.get(), name);
    return rc == ERROR_SUCCESS || rc == ERROR_FILE_NOT_FOUND;
  }
  bool write_user(const nut::UserSettings& user) override {
    platform::UniqueKey network = nut::open_network_key_for_change();
    if (!network) return false;
    platform::UniqueKey key = nut::open_user_key_for_change(network.get(), user.name);
    namespace value = nut::network_value;
    return key && platform::write_string_value(key.get(), value::kPassword, user.password.c_str()) &&
           platform::write_string_value(key.get(), value::kUpsmon, user.upsmon.c_str()) &&
           platform::write_multi_string_value(key.get(), value::kActions, user.actions) &&
           platform::write_multi_string_value(key.get(), value::kInstcmds, user.instcmds);
  }
  bool remove_user(const std::string& name) override {
    platform::UniqueKey network = nut::open_network_key_for_change();
    return network && nut::delete_user_key(network.get(), name);
  }
};

bool changes_what_reaches_the_network(NetworkAction action) {
  return action == NetworkAction::enable || action == NetworkAction::disable || action == NetworkAction::listen;
}

void apply_firewall_rule_of_key() {
  const nut::NetworkKeyRead key = nut::read_network_key();
  if (key.state == nut::NetworkKeyState::readable) apply_firewall_rule(nut::read_network_settings(key.values).settings);
}

}  // namespace

int run_network_switch(const NetworkCommand& command) {
  RegistryNetworkStore store;
  const SwitchOutcome outcome = apply_network_command(command, store);
  if (outcome.exit_code == kNetworkSwitchDone && changes_what_reaches_the_network(command.action))
    apply_firewall_rule_of_key();
  if (!outcome.output.empty()) write_output(outcome.output);
  if (!outcome.error.empty()) write_error(outcome.error);
  return outcome.exit_code;
}

void take_over_network_key() {
  if (nut::read_network_key().state == nut::NetworkKeyState::absent) return;
  nut::open_network_key_for_change();
  apply_firewall_rule_of_key();
}

void remove_firewall_rule() { apply_firewall_rule(nut::NetworkSettings{}); }

}  // namespace service
