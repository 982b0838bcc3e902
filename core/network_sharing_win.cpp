#include "core/network_sharing_win.h"

#include <chrono>

#include "core/config_value_names.h"
#include "core/event_texts.h"
#include "nut/departure_wait.h"
#include "nut/network_key_win.h"
#include "platform/debug_trace.h"
#include "platform/registry_win.h"
#include "stats/log_event.h"

namespace core {
namespace {

constexpr std::uint32_t kDefaultTurnOffDelaySeconds = 180;  // the installation's default
constexpr char kDriverName[] = "orvik";

const char* refusal(nut::NetworkKeyState state) {
  switch (state) {
    case nut::NetworkKeyState::open_to_others: return "раздел реестра Network могут изменять не только администраторы";
    case nut::NetworkKeyState::unreadable: return "раздел реестра Network не прочитан";
    default: return nullptr;
  }
}

std::uint32_t configured_turn_off_delay() {
  std::uint32_t seconds = kDefaultTurnOffDelaySeconds;
  if (platform::UniqueKey config = platform::open_key(platform::kConfigKeyPath))
    platform::read_dword_value(config.get(), config_value::kTurnUpsOffWait, seconds);
  return seconds;
}

nut::ServedSettings fixed_settings(const ServedUpsIdentity& identity, const ModelRecord& model,
                                   std::uint32_t turn_off_delay) {
  nut::ServedSettings settings;
  settings.vendor = identity.vendor;
  settings.model = identity.model;
  settings.model_valid = model.valid;
  settings.model_va = model.va;
  settings.model_u_min = model.u_min;
  settings.model_u_max = model.u_max;
  settings.turn_off_delay_seconds = turn_off_delay;
  settings.driver_name = kDriverName;
  settings.driver_version = ORVIK_VERSION_TEXT;
  return settings;
}

nut::ServerSetup server_setup(const nut::NetworkSettingsRead& read, const ServedUpsIdentity& identity) {
  nut::ServerSetup setup;
  setup.listen = read.settings.listen;
  setup.max_clients = read.settings.max_clients;
  setup.identity.ups_name = read.settings.ups_name;
  setup.identity.ups_description = nut::ups_description(identity.vendor, identity.model, identity.port);
  setup.identity.version_line = std::string("Orvik UPS service ") + ORVIK_VERSION_TEXT;
  setup.identity.server_version = ORVIK_VERSION_TEXT;
  setup.users = nut::UserTable(read.users);
  return setup;
}

// What the key said, when it says to serve.
std::optional<nut::NetworkSettingsRead> settings_to_serve() {
  const nut::NetworkKeyRead key = nut::read_network_key();
  if (const char* why = refusal(key.state)) {
    debug_trace("UPS::NUT server not started: the Network key is %s\n",
                key.state == nut::NetworkKeyState::open_to_others ? "open to others" : "unreadable");
    log_event(event::kNetworkServerNotStarted.code, event::kNetworkServerNotStarted.format, why);
    return std::nullopt;
  }
  nut::NetworkSettingsRead read = nut::read_network_settings(key.values);
  for (const std::string& problem : key.problems) debug_trace("UPS::NUT %s\n", problem.c_str());
  for (const std::string& problem : read.problems) debug_trace("UPS::NUT %s\n", problem.c_str());
  if (!read.settings.enabled) {
    debug_trace("UPS::NUT server off\n");
    return std::nullopt;
  }
  return read;
}

class ServerDepartures final : public nut::DepartureWatch {
 public:
  ServerDepartures(const nut::NetworkServer& server, nut::ServedUps& served) : server_(server), served_(served) {}
  std::size_t logged_in() override { return server_.logged_in(); }
  void tell() override { served_.raise_forced_shutdown(); }
  Milliseconds now() override {
    return std::chrono::duration_cast<Milliseconds>(std::chrono::steady_clock::now().time_since_epoch());
  }
  void pause(Milliseconds length) override { Sleep(static_cast<DWORD>(length.count())); }

 private:
  const nut::NetworkServer& server_;
  nut::ServedUps& served_;
};

}  // namespace

void NetworkSharing::start(const ServedUpsIdentity& identity, const ModelRecord& model,
                           const ipc::UpsSharedBlock& published, const CoreSettings& settings) {
  std::optional<nut::NetworkSettingsRead> read = settings_to_serve();
  if (!read) return;
  turn_off_delay_seconds_ = configured_turn_off_delay();
  host_sync_seconds_ = read->settings.host_sync_seconds;
  served_ = std::make_unique<nut::ServedUps>();
  cycle_ = std::make_unique<ServedCycle>(fixed_settings(identity, model, turn_off_delay_seconds_));
  // The first contact has just been answered, though no polling cycle has said so in the block yet.
  ipc::UpsSharedBlock first = published;
  first.link_ok = 1;
  served_->publish(cycle_->variables(first, settings));
  server_ = std::make_unique<nut::NetworkServer>(server_setup(*read, identity), *served_, *served_);
  if (!server_->start()) {
    log_event(event::kNetworkServerNotStarted.code, event::kNetworkServerNotStarted.format,
              "ни один адрес из Listen не открыт");
    stop();
    return;
  }
  debug_trace("UPS::NUT server started: %u users, at most %u clients, HostSync %u s\n",
              static_cast<unsigned>(read->users.size()), static_cast<unsigned>(read->settings.max_clients),
              static_cast<unsigned>(host_sync_seconds_));
}

void NetworkSharing::publish(const ipc::UpsSharedBlock& published, const CoreSettings& settings) {
  if (server_) served_->publish(cycle_->variables(published, settings));
}

std::optional<nut::ServedUps::Requester> NetworkSharing::take_client_forced_shutdown() {
  if (!server_) return std::nullopt;
  return served_->take_client_forced_shutdown();
}

std::vector<nut::ServedUps::Order> NetworkSharing::take_orders() {
  if (!server_) return {};
  return served_->take_orders();
}

void NetworkSharing::refuse_orders() {
  if (server_) served_->refuse_orders();
}

void NetworkSharing::let_clients_go_first() {
  if (!server_) return;
  debug_trace("UPS::NUT FSD for every client; waiting at most %u s for those logged in\n",
              static_cast<unsigned>(host_sync_seconds_));
  ServerDepartures watch(*server_, *served_);
  const nut::Departures departures = nut::wait_for_departures(watch, std::chrono::seconds(host_sync_seconds_));
  const double seconds = static_cast<double>(departures.waited.count()) / 1000.0;
  debug_trace("UPS::NUT clients told %u, gone %u, in %.1f s\n", static_cast<unsigned>(departures.told),
              static_cast<unsigned>(departures.gone), seconds);
  log_event(event::kNetworkClientsWait.code, event::kNetworkClientsWait.format, static_cast<int>(departures.told),
            static_cast<int>(departures.gone), seconds);
}

void NetworkSharing::stop() {
  if (server_ && !server_->stop()) {
    // Its thread still uses both; they stay, and this process's next start makes new ones.
    server_.release();
    served_.release();
  }
  server_.reset();
  served_.reset();
  cycle_.reset();
}

}  // namespace core
