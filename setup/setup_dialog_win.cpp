#include "setup/setup_dialog_win.h"

#include <commctrl.h>

#include <algorithm>
#include <optional>
#include <string>
#include <vector>

#include "core/network_credentials_win.h"
#include "nut/login_credentials.h"
#include "nut/server_address.h"
#include "platform/debug_trace.h"
#include "platform/module_win.h"
#include "platform/registry_win.h"
#include "setup/centring.h"
#include "setup/network_entry.h"
#include "setup/port_list.h"
#include "setup/setup_dialog_ids.h"
#include "setup/setup_registry_win.h"
#include "setup/ups_choice.h"

namespace installation {
namespace {

constexpr const char* kRunKeyPath = "SOFTWARE\\Microsoft\\Windows\\CurrentVersion\\Run";
constexpr const char* kTrayAutostartValue = "UPS_UI";
constexpr wchar_t kSwitchOffEntry[] = L"Выключить";

// Registry budgets of the stored choice, terminator included (a server's address is as long as
// the service reads the port).
constexpr std::size_t kPortBytes = 255;
constexpr std::size_t kNameBytes = 512;
constexpr std::size_t kAutostartBytes = 512;
// The vendor and model fields are saved up to this many characters.
constexpr int kFieldChars = 255;

constexpr int kFieldIds[] = {IDC_SETUP_NUT_SERVER, IDC_SETUP_NUT_UPS, IDC_SETUP_NUT_USER, IDC_SETUP_NUT_PASSWORD};

std::string narrow(const std::wstring& text) {
  std::string bytes;
  for (const wchar_t c : text) bytes.push_back(c < 0x80 ? static_cast<char>(c) : '?');
  return bytes;
}

// The server's login is kept only for a server's port: a UPS on a cable needs no password lying
// around.
bool save_login(const std::wstring& port, const ServerLogin& login) {
  if (!nut::is_network_port(narrow(port)) || login.user.empty()) {
    core::delete_network_credentials();
    return true;
  }
  return core::write_network_credentials({narrow(login.user), narrow(login.password)});
}

// Writes the choice; every value is written even when incomplete, so that switching off clears it.
int save_choice(const std::wstring& port, const ChosenUps& chosen, bool autostart, const ServerLogin& login) {
  platform::UniqueKey service = platform::open_key(platform::kServiceKeyPath);
  if (!service) return kResultNotSaved;
  bool written = write_text_value(service.get(), L"Port", port);
  platform::UniqueKey config = platform::open_key(platform::kConfigKeyPath);
  if (!config) return kResultNotSaved;
  written = write_text_value(config.get(), L"Vendor", chosen.vendor) && written;
  written = write_text_value(config.get(), L"Model", chosen.model) && written;
  written = save_login(port, login) && written;
  if (!written) debug_trace("setup dialog: the choice could not be written completely");
  return dialog_result(written, port, chosen, autostart);
}

std::vector<std::wstring> dialog_ports() {
  std::vector<std::wstring> entries = port_entries();
  entries.push_back(kNetworkPortEntry);
  return entries;
}

// The modal dialog on which the administrator picks the UPS, its port and the tray autostart.
// Lives on the stack of run_setup_dialog's caller for one modal run; its thread only.
class CWndSetup {
 public:
  int run(HWND parent) {
    parent_ = parent;
    INT_PTR result = DialogBoxParamW(platform::this_module(), MAKEINTRESOURCEW(IDD_SETUP), parent, dialog_proc,
                                     reinterpret_cast<LPARAM>(this));
    if (result <= 0) {
      // The dialog never ran: -1 would read as a save with autostart to a caller that tests bits,
      // and 0 means "no Config key" to the callers of `setup`.
      debug_trace("setup dialog: cannot be shown (%ld, error %lu)", static_cast<long>(result), GetLastError());
      return kResultNotSaved;
    }
    return static_cast<int>(result);
  }

 private:
  static INT_PTR CALLBACK dialog_proc(HWND dialog, UINT message, WPARAM wparam, LPARAM lparam) {
    if (message == WM_INITDIALOG) SetWindowLongPtrW(dialog, DWLP_USER, lparam);
    auto* self = reinterpret_cast<CWndSetup*>(GetWindowLongPtrW(dialog, DWLP_USER));
    if (!self) return FALSE;
    if (message == WM_INITDIALOG) self->dialog_ = dialog;
    return self->handle(message, wparam, lparam);
  }

  INT_PTR handle(UINT message, WPARAM wparam, LPARAM lparam) {
    switch (message) {
      case WM_INITDIALOG:
        initialise();
        return TRUE;
      case WM_NOTIFY:
        if (reinterpret_cast<const NMHDR*>(lparam)->idFrom == IDC_SETUP_TREE) show_selection();
        return FALSE;
      case WM_COMMAND:
        if (LOWORD(wparam) == IDC_SETUP_PORT && HIWORD(wparam) == CBN_SELCHANGE) enable_network_fields();
        if (LOWORD(wparam) == IDOK) {
          if (std::optional<int> result = save()) EndDialog(dialog_, *result);
        }
        if (LOWORD(wparam) == IDCANCEL) EndDialog(dialog_, kResultNotSaved);
        return TRUE;
      default:
        return FALSE;
    }
  }

  void initialise() {
    tree_ = GetDlgItem(dialog_, IDC_SETUP_TREE);
    centre_on_parent();
    platform::UniqueKey service = platform::open_key(platform::kServiceKeyPath);
    platform::UniqueKey config = platform::open_key(platform::kConfigKeyPath);
    const std::optional<std::wstring> port = service.get() ? read_text_value(service.get(), L"Port", kPortBytes) : std::nullopt;
    fill_ports(port);
    fill_network_fields(narrow(port.value_or(L"")));
    fill_tree(service.get() ? read_service_providers(service.get()) : std::vector<VendorModels>{},
              config.get() ? read_text_value(config.get(), L"Vendor", kNameBytes) : std::nullopt,
              config.get() ? read_text_value(config.get(), L"Model", kNameBytes) : std::nullopt);
    CheckDlgButton(dialog_, IDC_SETUP_TRAY_UI, tray_autostart_registered() ? BST_CHECKED : BST_UNCHECKED);
  }

  void centre_on_parent() {
    RECT screen{};
    SystemParametersInfoW(SPI_GETWORKAREA, 0, &screen, 0);
    RECT over = screen;
    if (parent_ && IsWindowVisible(parent_) && !IsIconic(parent_)) GetWindowRect(parent_, &over);
    RECT own{};
    GetWindowRect(dialog_, &own);
    ScreenPoint origin = centred_origin({over.left, over.top, over.right, over.bottom}, own.right - own.left,
                                        own.bottom - own.top, {screen.left, screen.top, screen.right, screen.bottom});
    SetWindowPos(dialog_, nullptr, origin.x, origin.y, 0, 0, SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE);
  }

  void fill_ports(const std::optional<std::wstring>& stored) {
    HWND list = GetDlgItem(dialog_, IDC_SETUP_PORT);
    for (const std::wstring& entry : ports_)
      SendMessageW(list, CB_ADDSTRING, 0, reinterpret_cast<LPARAM>(entry.c_str()));
    std::optional<std::size_t> index = nut::is_network_port(narrow(stored.value_or(L"")))
                                           ? std::optional<std::size_t>(ports_.size() - 1)
                                           : preselected_port(port_entries(), stored.value_or(L""));
    if (index) SendMessageW(list, CB_SETCURSEL, *index, 0);
  }

  void fill_network_fields(const std::string& stored_port) {
    const core::NetworkCredentials login = core::read_network_credentials();
    const NetworkEntry entry = network_entry_from(stored_port, login.user, login.password);
    const std::wstring* texts[] = {&entry.server, &entry.ups, &entry.user, &entry.password};
    for (std::size_t i = 0; i < std::size(kFieldIds); ++i) SetDlgItemTextW(dialog_, kFieldIds[i], texts[i]->c_str());
    enable_network_fields();
  }

  bool network_selected() const { return selected_port() == kNetworkPortEntry; }

  void enable_network_fields() {
    for (const int id : kFieldIds) EnableWindow(GetDlgItem(dialog_, id), network_selected());
  }

  NetworkEntry network_entry() const {
    return {field(IDC_SETUP_NUT_SERVER), field(IDC_SETUP_NUT_UPS), field(IDC_SETUP_NUT_USER),
            field(IDC_SETUP_NUT_PASSWORD)};
  }

  HTREEITEM insert_entry(HTREEITEM parent, const std::wstring& text, TreeEntryKind kind) {
    TVINSERTSTRUCTW insert{};
    insert.hParent = parent;
    insert.hInsertAfter = TVI_LAST;
    insert.item.mask = TVIF_TEXT | TVIF_PARAM;
    insert.item.pszText = const_cast<wchar_t*>(text.c_str());
    insert.item.lParam = static_cast<LPARAM>(kind);
    return reinterpret_cast<HTREEITEM>(SendMessageW(tree_, TVM_INSERTITEMW, 0, reinterpret_cast<LPARAM>(&insert)));
  }

  void fill_tree(const std::vector<VendorModels>& vendors, const std::optional<std::wstring>& stored_vendor,
                 const std::optional<std::wstring>& stored_model) {
    insert_entry(TVI_ROOT, kSwitchOffEntry, TreeEntryKind::kSwitchOff);
    std::optional<ModelPosition> stored = find_model(vendors, stored_vendor.value_or(L""), stored_model.value_or(L""));
    HTREEITEM preselected = nullptr;
    for (std::size_t v = 0; v < vendors.size(); ++v) {
      HTREEITEM vendor = insert_entry(TVI_ROOT, vendors[v].vendor, TreeEntryKind::kVendor);
      for (std::size_t m = 0; m < vendors[v].models.size(); ++m) {
        HTREEITEM model = insert_entry(vendor, vendors[v].models[m], TreeEntryKind::kModel);
        if (stored && stored->vendor == v && stored->model == m) preselected = model;
      }
    }
    // Selecting notifies the dialog, which fills the two fields.
    if (preselected) SendMessageW(tree_, TVM_SELECTITEM, TVGN_CARET, reinterpret_cast<LPARAM>(preselected));
  }

  static bool tray_autostart_registered() {
    platform::UniqueKey run = platform::open_key(kRunKeyPath, KEY_READ);
    char command[kAutostartBytes];
    return run && platform::read_string_value(run.get(), kTrayAutostartValue, command, sizeof command);
  }

  // The entry's text and kind; the text is cut at the field length, as the field would cut it.
  std::optional<TreeSelection> entry(HTREEITEM item) const {
    if (!item) return std::nullopt;
    wchar_t text[kFieldChars + 1] = L"";
    TVITEMW query{};
    query.mask = TVIF_TEXT | TVIF_PARAM;
    query.hItem = item;
    query.pszText = text;
    query.cchTextMax = kFieldChars + 1;
    if (!SendMessageW(tree_, TVM_GETITEMW, 0, reinterpret_cast<LPARAM>(&query))) return std::nullopt;
    return TreeSelection{static_cast<TreeEntryKind>(query.lParam), text, L""};
  }

  void show_selection() {
    auto selected = reinterpret_cast<HTREEITEM>(SendMessageW(tree_, TVM_GETNEXTITEM, TVGN_CARET, 0));
    std::optional<TreeSelection> selection = entry(selected);
    if (selection && selection->kind == TreeEntryKind::kModel) {
      auto vendor = reinterpret_cast<HTREEITEM>(
          SendMessageW(tree_, TVM_GETNEXTITEM, TVGN_PARENT, reinterpret_cast<LPARAM>(selected)));
      if (std::optional<TreeSelection> parent = entry(vendor)) selection->parent_text = parent->text;
    }
    ChosenUps chosen = chosen_ups(selection);
    set_field(IDC_SETUP_VENDOR, chosen.vendor);
    set_field(IDC_SETUP_MODEL, chosen.model);
  }

  // Only on change: the tree notifies often (custom draw, hot tracking) and each set repaints.
  void set_field(int id, const std::wstring& text) {
    if (field(id) != text) SetDlgItemTextW(dialog_, id, text.c_str());
  }

  std::wstring field(int id) const {
    wchar_t text[kFieldChars + 1] = L"";
    GetDlgItemTextW(dialog_, id, text, kFieldChars + 1);
    return text;
  }

  std::wstring selected_port() const {
    LRESULT index = SendDlgItemMessageW(dialog_, IDC_SETUP_PORT, CB_GETCURSEL, 0, 0);
    if (index < 0 || static_cast<std::size_t>(index) >= ports_.size()) return L"";
    return ports_[index];
  }

  // The dialog's result; nothing while a field of the network entry is to be corrected.
  std::optional<int> save() const {
    bool autostart = IsDlgButtonChecked(dialog_, IDC_SETUP_TRAY_UI) == BST_CHECKED;
    const ChosenUps chosen{field(IDC_SETUP_VENDOR), field(IDC_SETUP_MODEL)};
    if (!network_selected()) return save_choice(selected_port(), chosen, autostart, {});
    const NetworkEntryCheck check = check_network_entry(network_entry());
    if (!check.port) {
      MessageBoxW(dialog_, check.message.c_str(), L"Ошибка", MB_OK | MB_ICONWARNING);
      SetFocus(GetDlgItem(dialog_, kFieldIds[static_cast<int>(check.field)]));
      return std::nullopt;
    }
    const std::wstring port(check.port->begin(), check.port->end());
    return save_choice(port, chosen, autostart,
                       {std::wstring(check.user.begin(), check.user.end()),
                        std::wstring(check.password.begin(), check.password.end())});
  }

  const std::vector<std::wstring> ports_ = dialog_ports();
  HWND parent_ = nullptr;
  HWND dialog_ = nullptr;
  HWND tree_ = nullptr;
};

void register_tree_class() {
  INITCOMMONCONTROLSEX controls{sizeof controls, ICC_TREEVIEW_CLASSES};
  InitCommonControlsEx(&controls);
}

// A listed port, or a server's address with a usable login.
bool offered_port(const std::wstring& port, const ServerLogin& login) {
  const std::vector<std::wstring> ports = port_entries();
  if (std::find(ports.begin(), ports.end(), port) != ports.end()) return login.user.empty() && login.password.empty();
  return nut::parse_server_address(narrow(port)).address &&
         nut::check_login_credentials(narrow(login.user), narrow(login.password)) == nut::CredentialsError::none;
}

}  // namespace

int run_setup_dialog(HWND parent) {
  register_tree_class();
  return CWndSetup().run(parent);
}

int save_given_choice(const std::wstring& port, const ChosenUps& chosen, bool tray_autostart, const ServerLogin& login) {
  bool offered = offered_port(port, login);
  platform::UniqueKey service = platform::open_key(platform::kServiceKeyPath);
  offered = offered && service && find_model(read_service_providers(service.get()), chosen.vendor, chosen.model);
  if (!offered) {
    debug_trace("setup: the given choice is not one the dialog offers; nothing written\n");
    return kResultNotSaved;
  }
  return save_choice(port, chosen, tray_autostart, login);
}

}  // namespace installation
