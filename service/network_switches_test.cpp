#include "service/network_switches.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <map>

#include "service/command_line.h"

namespace service {
namespace {

// The key in memory; `readable` and `writable` false play a user without administrator's rights.
class MemoryNetworkStore final : public NetworkStore {
 public:
  std::optional<nut::NetworkValues> read() override {
    if (!readable) return std::nullopt;
    return values;
  }
  bool set_number(const char* name, std::uint32_t value) override {
    if (!writable) return false;
    std::string n = name;
    (n == "Enable" ? values.enable : n == "MaxClients" ? values.max_clients : values.host_sync) = value;
    return true;
  }
  bool set_text(const char*, const std::string& value) override {
    if (writable) values.ups_name = value;
    return writable;
  }
  bool set_list(const char*, const std::vector<std::string>& items) override {
    if (writable) values.listen = items;
    return writable;
  }
  bool remove_value(const char*) override {
    if (writable) values.listen.reset();
    return writable;
  }
  bool write_user(const nut::UserSettings& user) override {
    if (!writable) return false;
    std::erase_if(values.users, [&](const nut::UserSettings& u) { return u.name == user.name; });
    values.users.push_back(user);
    return true;
  }
  bool remove_user(const std::string& name) override {
    if (!writable) return false;
    std::erase_if(values.users, [&](const nut::UserSettings& u) { return u.name == name; });
    return true;
  }
  const nut::UserSettings* user(const std::string& name) const {
    for (const nut::UserSettings& u : values.users)
      if (u.name == name) return &u;
    return nullptr;
  }

  nut::NetworkValues values;
  bool readable = true;
  bool writable = true;
};

SwitchOutcome run(const char* line, NetworkStore& store) {
  const HostCommand command = parse_command_line(line);
  EXPECT_EQ(command.mode, HostMode::kNetwork) << line;
  return apply_network_command(command.network, store);
}

TEST(NetworkSwitches, OnlyTheNetworkWordItselfSelectsThem) {
  for (const char* line : {"/network", "/network:on", "/network x", "/network:", "/network:bogus"})
    EXPECT_EQ(parse_command_line(line).mode, HostMode::kNetwork) << line;
  for (const char* line : {"/networks", "/Network", "/networkon", " /network"})
    EXPECT_EQ(parse_command_line(line).mode, HostMode::kService) << line;
}

TEST(NetworkSwitches, EachSettingIsWrittenAndTheListingShowsItWithoutPasswords) {
  MemoryNetworkStore store;
  for (const char* line :
       {"/network:on", "/network:listen \"0.0.0.0 3493\" \"::1 13493\"", "/network:upsname rack1",
        "/network:maxclients 256", "/network:hostsync 30",
        "/network:user mon /password:s3cret /upsmon:secondary",
        "/network:user admin \"/password:my \\\"pass\\\" word\" /upsmon:primary /actions:FSD,SET /instcmds:all"}) {
    const SwitchOutcome outcome = run(line, store);
    EXPECT_EQ(outcome.exit_code, kNetworkSwitchDone) << line << outcome.error;
    EXPECT_NE(outcome.output.find("следующем запуске"), std::string::npos) << line;
  }
  ASSERT_TRUE(store.user("admin"));
  EXPECT_EQ(store.user("admin")->password, "my \"pass\" word");

  const SwitchOutcome listed = run("/network", store);
  EXPECT_EQ(listed.exit_code, kNetworkSwitchDone);
  EXPECT_EQ(listed.output,
            "Enable 1\n"
            "Listen 0.0.0.0 3493\n"
            "Listen ::1 13493\n"
            "UpsName rack1\n"
            "MaxClients 256\n"
            "HostSync 30\n"
            "User mon upsmon=secondary actions= instcmds=\n"
            "User admin upsmon=primary actions=FSD,SET instcmds=all\n");
  EXPECT_EQ(listed.output.find("s3cret"), std::string::npos);

  EXPECT_EQ(run("/network:listen", store).exit_code, kNetworkSwitchDone);
  EXPECT_FALSE(store.values.listen) << "no lines: the loopback defaults";
  EXPECT_EQ(run("/network:off", store).exit_code, kNetworkSwitchDone);
  EXPECT_EQ(store.values.enable, 0u);
}

TEST(NetworkSwitches, ChangingAUserKeepsWhatIsNotGiven) {
  MemoryNetworkStore store;
  store.values.users = {{"mon", "s3cret", "secondary", {"FSD"}, {"test.battery.start.quick"}}};
  EXPECT_EQ(run("/network:user mon /upsmon:primary", store).exit_code, kNetworkSwitchDone);
  const nut::UserSettings expected{"mon", "s3cret", "primary", {"FSD"}, {"test.battery.start.quick"}};
  ASSERT_TRUE(store.user("mon"));
  EXPECT_EQ(store.user("mon")->password, expected.password);
  EXPECT_EQ(store.user("mon")->upsmon, expected.upsmon);
  EXPECT_EQ(store.user("mon")->actions, expected.actions);
  EXPECT_EQ(store.user("mon")->instcmds, expected.instcmds);
  EXPECT_EQ(run("/network:user mon /actions:none /instcmds:none /upsmon:none", store).exit_code, kNetworkSwitchDone);
  EXPECT_TRUE(store.user("mon")->actions.empty());
  EXPECT_TRUE(store.user("mon")->instcmds.empty());
  EXPECT_EQ(store.user("mon")->upsmon, "");
  EXPECT_EQ(run("/network:deluser mon", store).exit_code, kNetworkSwitchDone);
  EXPECT_FALSE(store.user("mon"));
}

TEST(NetworkSwitches, ABadValueRefusesTheLineNamingItAndWritesNothing) {
  const struct {
    const char* line;
    const char* named;  // in the message
  } cases[] = {
      {"/network:listen \"0.0.0.0 3493\" \"localhost 3493\"", "localhost 3493"},
      {"/network:listen 0.0.0.0:3493", "0.0.0.0:3493"},
      {"/network:upsname \"my ups\"", "my ups"},
      {"/network:maxclients 0", "MaxClients"},
      {"/network:maxclients 1001", "MaxClients"},
      {"/network:hostsync -1", "HostSync"},
      {"/network:hostsync 601", "HostSync"},
      {"/network:user new /upsmon:secondary", "/password:"},
      {"/network:user mon /upsmon:boss", "boss"},
      {"/network:user mon /actions:FSD,REBOOT", "REBOOT"},
      {"/network:user mon /instcmds:load.off", "load.off"},
      {"/network:user mon /password:", "пароль"},
      {"/network:user mon /password:пароль", "пароль нужен"},
      {"/network:user \"two words\" /password:x", "two words"},
      {"/network:deluser nobody", "nobody"},
      {"/network:on now", "/network:on, /network:off"},
      {"/network:user mon /password:a /password:b", "/network:user"},
      {"/network:user mon /port:COM1", "/network:user"},
      {"/network:maxclients", "/network:maxclients"},
      {"/network:reload", "/network:deluser"},
  };
  for (const auto& c : cases) {
    MemoryNetworkStore store;
    store.values.users = {{"mon", "s3cret", "secondary", {}, {}}};
    const nut::NetworkValues before = store.values;
    const SwitchOutcome outcome = run(c.line, store);
    EXPECT_EQ(outcome.exit_code, kNetworkSwitchRefused) << c.line;
    EXPECT_NE(outcome.error.find(c.named), std::string::npos) << c.line << "\n" << outcome.error;
    EXPECT_EQ(outcome.error.find("s3cret"), std::string::npos) << c.line;
    EXPECT_EQ(store.values.users.size(), before.users.size()) << c.line;
    EXPECT_EQ(store.user("mon")->upsmon, "secondary") << c.line;
    EXPECT_FALSE(store.values.enable || store.values.listen || store.values.max_clients || store.values.host_sync ||
                 store.values.ups_name)
        << c.line;
  }
}

TEST(NetworkSwitches, WithoutAdministratorsRightsNothingIsReadOrWrittenAndTheExitCodeSaysSo) {
  MemoryNetworkStore store;
  store.readable = false;
  store.writable = false;
  for (const char* line : {"/network", "/network:on", "/network:user a /password:b", "/network:deluser a",
                           "/network:listen", "/network:hostsync 5"}) {
    const SwitchOutcome outcome = run(line, store);
    EXPECT_EQ(outcome.exit_code, kNetworkSwitchFailed) << line;
    EXPECT_NE(outcome.error.find("администратора"), std::string::npos) << line;
  }
}

}  // namespace
}  // namespace service
