#include "setup/setup_export.h"

#include "core/library_core_win.h"
#include "platform/registry_win.h"
#include "setup/config_defaults_win.h"
#include "setup/model_lists_win.h"
#include "setup/service_process_requests_win.h"
#include "setup/setup_dialog_win.h"
#include "setup/shared_block_requests_win.h"

namespace installation {
namespace {

// The dialog saves into the Config key: without write access to it there is no point showing it.
int run_dialog_if_config_writable(HWND parent) {
  if (!platform::open_key(platform::kConfigKeyPath)) return 0;
  return run_setup_dialog(parent);
}

int save_choice_if_config_writable(const GivenChoice* given) {
  if (!given || !given->vendor || !given->model || !given->port) return kResultNotSaved;
  if (!platform::open_key(platform::kConfigKeyPath)) return 0;
  const ServerLogin login{given->user ? given->user : L"", given->password ? given->password : L""};
  return save_given_choice(given->port, {given->vendor, given->model}, given->tray_autostart != 0, login);
}

}  // namespace
}  // namespace installation

extern "C" int WINAPI setup(std::uint32_t command, ULONG_PTR argument) {
  using namespace installation;
  switch (command) {
    case kWriteModelLists:
      write_model_lists();
      return 0;
    case kWriteDefaults:
      write_default_settings();
      return 0;
    case kRunSetupDialog:
      return run_dialog_if_config_writable(reinterpret_cast<HWND>(argument));
    case kRequestGuiExit:
      set_gui_exit_request(1);
      return 0;
    case kWithdrawGuiExit:
      set_gui_exit_request(0);
      return 0;
    case kForwardEndSession:
      forward_end_session();
      return 0;
    case kForwardPowerEvent:
      forward_power_event(static_cast<WPARAM>(argument));
      return 0;
    case kRecordEvent:
      record_event(reinterpret_cast<const EventRecord*>(argument));
      return 0;
    case kSaveGivenChoice:
      return save_choice_if_config_writable(reinterpret_cast<const GivenChoice*>(argument));
    case kLetNetworkClientsGoFirst:
      let_network_clients_go_first();
      return 0;
    case kRequestPowerAction:
      return request_power_action(static_cast<std::uint32_t>(argument)) ? 1 : 0;
    case kHoldNetworkSession:
      core::library_core().hold_network_session = true;
      return 0;
    case kEndNetworkSession:
      core::end_network_session(core::library_core(), true);
      return 0;
    case kKeepPipe:
      keep_pipe_with(reinterpret_cast<ipc::PipeKeeper*>(argument));
      return 0;
    default:
      return 0;
  }
}
