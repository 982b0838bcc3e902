// The setup dialog as the service host runs it, through the library's `setup` export, answered
// by window messages from this process and by setup_answer from another one.
#include <windows.h>

#include <gtest/gtest.h>

#include <atomic>
#include <optional>
#include <string>
#include <thread>
#include <utility>
#include <vector>

#include "platform/key_security_win.h"
#include "platform/test_security_win.h"
#include "platform/test_wine_env_win.h"
#include "setup/setup_dialog_ids.h"
#include "setup/setup_export.h"
#include "setup/test_registry_snapshot_win.h"
#include "tools/setup_answer/setup_dialog_driver_win.h"

namespace installation {
namespace {

using setup_answer::SetupDialogDriver;

constexpr wchar_t kServicePath[] = L"SYSTEM\\CurrentControlSet\\Services\\UPS";
constexpr wchar_t kConfigPath[] = L"SYSTEM\\CurrentControlSet\\Services\\UPS\\Config";
constexpr wchar_t kProvidersPath[] = L"SYSTEM\\CurrentControlSet\\Services\\UPS\\ServiceProviders";
constexpr wchar_t kRunPath[] = L"SOFTWARE\\Microsoft\\Windows\\CurrentVersion\\Run";
constexpr wchar_t kLoginPath[] = L"SYSTEM\\CurrentControlSet\\Services\\UPS\\Network\\Client";
constexpr wchar_t kNetworkEntry[] = L"Сеть (NUT)";
constexpr int kNetworkFields[] = {IDC_SETUP_NUT_SERVER, IDC_SETUP_NUT_UPS, IDC_SETUP_NUT_USER, IDC_SETUP_NUT_PASSWORD};
constexpr wchar_t kSwitchOff[] = L"Выключить";
constexpr DWORD kDialogWaitMs = 15000;

using Providers = std::vector<std::pair<std::wstring, std::vector<std::wstring>>>;

const Providers kProviders = {
    {L"Orvik", {L"Varnelo 400", L"Varnelo 600", L"Other"}},
    {L"Tavrel", {L"Tessalyn 424 USB", L"Tessalyn 636 USB", L"Other"}},
    {L"Lunem", {L"Ombrinel 700", L"Other"}},
};

void set_text(const wchar_t* path, const wchar_t* name, const std::wstring& text) {
  platform::UniqueKey key;
  ASSERT_EQ(RegCreateKeyExW(HKEY_LOCAL_MACHINE, path, 0, nullptr, 0, KEY_ALL_ACCESS, nullptr, key.receive(), nullptr),
            ERROR_SUCCESS);
  RegSetValueExW(key.get(), name, 0, REG_SZ, reinterpret_cast<const BYTE*>(text.c_str()),
                 static_cast<DWORD>((text.size() + 1) * sizeof(wchar_t)));
}

// A stored string value; nothing when absent.
std::optional<std::wstring> stored(const wchar_t* path, const wchar_t* name) {
  wchar_t text[600] = L"";
  DWORD size = sizeof text - sizeof(wchar_t);
  DWORD type = 0;
  platform::UniqueKey key;
  if (RegOpenKeyExW(HKEY_LOCAL_MACHINE, path, 0, KEY_READ, key.receive()) != ERROR_SUCCESS) return std::nullopt;
  if (RegQueryValueExW(key.get(), name, nullptr, &type, reinterpret_cast<BYTE*>(text), &size) != ERROR_SUCCESS ||
      type != REG_SZ)
    return std::nullopt;
  return std::wstring(text);
}

void write_providers(const Providers& providers) {
  for (const auto& [vendor, models] : providers)
    for (const std::wstring& model : models)
      set_text((std::wstring(kProvidersPath) + L"\\" + vendor).c_str(), model.c_str(), L"0x0f;orvik_dll.dll");
}

// A window for the dialog to sit over. (Without a window manager, Wine waits two seconds for each
// visible window that goes away: the one destroyed unseen stays hidden.)
HWND make_parent_window(const RECT& where, bool visible = true) {
  WNDCLASSW window_class{};
  window_class.lpfnWndProc = DefWindowProcW;
  window_class.hInstance = GetModuleHandleW(nullptr);
  window_class.lpszClassName = L"OrvikSetupTestParent";
  RegisterClassW(&window_class);
  return CreateWindowExW(0, window_class.lpszClassName, L"parent", WS_OVERLAPPEDWINDOW | (visible ? WS_VISIBLE : 0),
                         where.left, where.top, where.right - where.left, where.bottom - where.top, nullptr, nullptr,
                         window_class.hInstance, nullptr);
}

// What the dialog sits over: a window made on the dialog's thread, or a handle used as it is.
struct DialogParent {
  std::optional<RECT> window;
  HWND handle;
};

// `setup` command 3 on a thread of its own, as the service host runs it on its main thread.
class DialogRun {
 public:
  explicit DialogRun(SetupFunction setup, DialogParent parent = DialogParent{std::nullopt, nullptr})
      : thread_([this, setup, parent] {
          HWND owner = parent.window ? make_parent_window(*parent.window) : parent.handle;
          result_ = setup(kRunSetupDialog, reinterpret_cast<ULONG_PTR>(owner));
          if (parent.window) DestroyWindow(owner);
          finished_ = true;
        }) {}

  // A test that failed half-way leaves the dialog open, or not yet open.
  ~DialogRun() {
    if (!thread_.joinable()) return;
    while (!finished_)
      if (std::optional<SetupDialogDriver> dialog = SetupDialogDriver::attach(200)) dialog->press(IDCANCEL);
    thread_.join();
  }

  int result() {
    thread_.join();
    return result_;
  }

 private:
  int result_ = -1;
  std::atomic<bool> finished_{false};
  std::thread thread_;
};

class SetupDialogTest : public ::testing::Test {
 protected:
  static void SetUpTestSuite() {
    library_ = LoadLibraryA("orvik_dll.dll");
    ASSERT_NE(library_, nullptr) << GetLastError();
    setup_ = reinterpret_cast<SetupFunction>(reinterpret_cast<void*>(GetProcAddress(library_, "setup")));
    ASSERT_NE(setup_, nullptr);
  }

  // The installation's keys as a fresh installation leaves them, without the vendor lists and
  // without a choice; the snapshots put back whatever was there.
  void SetUp() override {
    SHDeleteKeyW(HKEY_LOCAL_MACHINE, kLoginPath);
    set_text(kConfigPath, L"SignalTime", L"00:00-00:00");
    SHDeleteKeyW(HKEY_LOCAL_MACHINE, kProvidersPath);
    delete_value(kServicePath, L"Port");
    delete_value(kConfigPath, L"Vendor");
    delete_value(kConfigPath, L"Model");
    delete_value(kRunPath, L"UPS_UI");
  }

  static void delete_value(const wchar_t* path, const wchar_t* name) {
    platform::UniqueKey key;
    if (RegOpenKeyExW(HKEY_LOCAL_MACHINE, path, 0, KEY_ALL_ACCESS, key.receive()) == ERROR_SUCCESS)
      RegDeleteValueW(key.get(), name);
  }

  // The stored choice, as an earlier run of the dialog would have left it.
  static void store_choice(const std::wstring& port, const std::wstring& vendor, const std::wstring& model) {
    set_text(kServicePath, L"Port", port);
    set_text(kConfigPath, L"Vendor", vendor);
    set_text(kConfigPath, L"Model", model);
  }

  // Runs the dialog as `setup` command 3 and waits for it; false when it did not appear.
  bool open(DialogParent parent = DialogParent{std::nullopt, nullptr}) {
    run_.emplace(setup_, parent);
    dialog_ = SetupDialogDriver::attach(kDialogWaitMs);
    return dialog_.has_value();
  }

  // Presses the button; the dialog's result.
  int close_with(int button) {
    if (!dialog_->press(button)) ADD_FAILURE() << "the dialog did not take button " << button;
    return run_->result();
  }

  // Selects a vendor's entry, or with `model` the model's entry under it.
  bool choose(const std::wstring& vendor, const std::optional<std::wstring>& model = std::nullopt) {
    return dialog_->select_entry(dialog_->find_entry(vendor, model ? &*model : nullptr));
  }

  void expect_fields(const std::wstring& vendor, const std::wstring& model) {
    EXPECT_EQ(dialog_->control_text(IDC_SETUP_VENDOR), vendor);
    EXPECT_EQ(dialog_->control_text(IDC_SETUP_MODEL), model);
  }

  static void expect_stored(const std::wstring& port, const std::wstring& vendor, const std::wstring& model) {
    EXPECT_EQ(stored(kServicePath, L"Port"), port);
    EXPECT_EQ(stored(kConfigPath, L"Vendor"), vendor);
    EXPECT_EQ(stored(kConfigPath, L"Model"), model);
  }

  static inline HMODULE library_ = nullptr;
  static inline SetupFunction setup_ = nullptr;
  // Declared in the order of their making; they are put back in the reverse order.
  testing::KeyPresence service_key_{HKEY_LOCAL_MACHINE, kServicePath};
  testing::RegistrySnapshot config_{HKEY_LOCAL_MACHINE, kConfigPath};
  testing::RegistrySnapshot providers_{HKEY_LOCAL_MACHINE, kProvidersPath};
  testing::ValueSnapshot port_{HKEY_LOCAL_MACHINE, kServicePath, L"Port"};
  testing::ValueSnapshot tray_autostart_{HKEY_LOCAL_MACHINE, kRunPath, L"UPS_UI"};
  testing::RegistrySnapshot login_{HKEY_LOCAL_MACHINE, kLoginPath};
  // Closed (cancelled if still open) before the registry is put back.
  std::optional<DialogRun> run_;
  std::optional<SetupDialogDriver> dialog_;
};

TEST_F(SetupDialogTest, ChosenModelIsSavedWithItsPortAndTheTrayChoice) {
  write_providers(kProviders);
  ASSERT_TRUE(open());
  ASSERT_TRUE(choose(L"Orvik", L"Varnelo 400")) << "the first model of a vendor";
  expect_fields(L"Orvik", L"Varnelo 400");
  ASSERT_TRUE(dialog_->select_port(L"COM3"));
  dialog_->set_tray_box(false);
  EXPECT_EQ(close_with(IDOK), 1);
  expect_stored(L"COM3", L"Orvik", L"Varnelo 400");

  ASSERT_TRUE(open());
  ASSERT_TRUE(choose(L"Tavrel", L"Tessalyn 636 USB"));
  expect_fields(L"Tavrel", L"Tessalyn 636 USB");
  ASSERT_TRUE(dialog_->select_port(L"USB"));
  dialog_->set_tray_box(true);
  EXPECT_EQ(close_with(IDOK), 0x801);
  expect_stored(L"USB", L"Tavrel", L"Tessalyn 636 USB");
}

TEST_F(SetupDialogTest, StoredChoiceIsShownAgainUnderItsOwnVendor) {
  write_providers(kProviders);
  store_choice(L"USB", L"Tavrel", L"Other");
  set_text(kRunPath, L"UPS_UI", L"\"C:\\orvik_ups.exe\" /gui");
  ASSERT_TRUE(open());
  HTREEITEM selected = dialog_->selected_entry();
  const std::wstring other = L"Other";
  EXPECT_EQ(selected, dialog_->find_entry(L"Tavrel", &other)) << "not the \"Other\" of another vendor";
  EXPECT_EQ(dialog_->entry_text(selected), L"Other");
  expect_fields(L"Tavrel", L"Other");
  EXPECT_EQ(dialog_->selected_port(), L"USB");
  EXPECT_TRUE(dialog_->tray_box());
  EXPECT_EQ(close_with(IDOK), 0x801) << "an unchanged choice saves as it was";
  expect_stored(L"USB", L"Tavrel", L"Other");
}

TEST_F(SetupDialogTest, TreeHoldsSwitchingOffAndEveryVendorWithItsOwnModels) {
  write_providers(kProviders);
  ASSERT_TRUE(open());
  EXPECT_TRUE(dialog_->find_entry(kSwitchOff, nullptr));
  for (const auto& [vendor, models] : kProviders)
    for (const std::wstring& model : models) EXPECT_TRUE(dialog_->find_entry(vendor, &model)) << "a model is missing";
  const std::wstring orvik_model = L"Varnelo 600";
  EXPECT_FALSE(dialog_->find_entry(L"Tavrel", &orvik_model)) << "a model under a vendor it does not belong to";
  EXPECT_EQ(close_with(IDCANCEL), 2);
}

TEST_F(SetupDialogTest, SwitchingOffSavesAnEmptyChoiceThatDoesNotCount) {
  write_providers(kProviders);
  store_choice(L"COM2", L"Orvik", L"Varnelo 600");
  ASSERT_TRUE(open());
  expect_fields(L"Orvik", L"Varnelo 600");
  ASSERT_TRUE(choose(kSwitchOff));
  expect_fields(L"", L"");
  dialog_->set_tray_box(true);
  EXPECT_EQ(close_with(IDOK), 2);
  expect_stored(L"COM2", L"", L"");
}

TEST_F(SetupDialogTest, VendorWithoutModelIsSavedButDoesNotCount) {
  write_providers(kProviders);
  ASSERT_TRUE(open());
  ASSERT_TRUE(choose(L"Tavrel"));
  expect_fields(L"Tavrel", L"");
  EXPECT_EQ(close_with(IDOK), 2);
  expect_stored(L"COM1", L"Tavrel", L"");
}

TEST_F(SetupDialogTest, CancelWritesNothing) {
  write_providers(kProviders);
  store_choice(L"COM4", L"Lunem", L"Ombrinel 700");
  ASSERT_TRUE(open());
  ASSERT_TRUE(choose(L"Orvik", L"Varnelo 600"));
  ASSERT_TRUE(dialog_->select_port(L"COM7"));
  dialog_->set_tray_box(true);
  EXPECT_EQ(close_with(IDCANCEL), 2);
  expect_stored(L"COM4", L"Lunem", L"Ombrinel 700");
}

TEST_F(SetupDialogTest, FreshInstallationOffersPortOneAndOnlySwitchingOff) {
  ASSERT_TRUE(open());
  EXPECT_EQ(dialog_->selected_port(), L"COM1");
  EXPECT_FALSE(dialog_->tray_box());
  EXPECT_TRUE(dialog_->find_entry(kSwitchOff, nullptr));
  EXPECT_FALSE(dialog_->find_entry(L"Orvik", nullptr));
  expect_fields(L"", L"");
  EXPECT_EQ(close_with(IDOK), 2);
  expect_stored(L"COM1", L"", L"");
}

TEST_F(SetupDialogTest, StoredModelThatNoLongerExistsLeavesTheFieldsEmpty) {
  write_providers(kProviders);
  store_choice(L"COM1", L"Orvik", L"Varnelo 9000");
  ASSERT_TRUE(open());
  expect_fields(L"", L"");
  EXPECT_EQ(close_with(IDOK), 2);
  expect_stored(L"COM1", L"", L"");
}

TEST_F(SetupDialogTest, DialogIsCentredOnItsParent) {
  const RECT parent{100, 120, 900, 720};
  ASSERT_TRUE(open(DialogParent{parent, nullptr}));
  RECT own{};
  ASSERT_TRUE(GetWindowRect(dialog_->dialog(), &own));
  EXPECT_NEAR((own.left + own.right) / 2, (parent.left + parent.right) / 2, 1);
  EXPECT_NEAR((own.top + own.bottom) / 2, (parent.top + parent.bottom) / 2, 1);
  EXPECT_EQ(close_with(IDCANCEL), 2);
}

TEST_F(SetupDialogTest, DialogThatCannotBeShownReportsNothingSaved) {
  store_choice(L"COM2", L"Orvik", L"Varnelo 600");
  HWND gone = make_parent_window({0, 0, 100, 100}, false);
  ASSERT_TRUE(gone);
  DestroyWindow(gone);
  DialogRun run(setup_, DialogParent{std::nullopt, gone});
  EXPECT_EQ(run.result(), 2) << "the caller must not take a failure for a save";
  expect_stored(L"COM2", L"Orvik", L"Varnelo 600");
}

// The entry for a UPS that another computer serves.
class NetworkEntryTest : public SetupDialogTest {
 protected:
  void fill(const std::wstring& server, const std::wstring& ups, const std::wstring& user, const std::wstring& password) {
    const std::wstring* texts[] = {&server, &ups, &user, &password};
    for (std::size_t i = 0; i < std::size(kNetworkFields); ++i)
      EXPECT_TRUE(dialog_->set_field(kNetworkFields[i], *texts[i]));
  }
  bool fields_enabled() const {
    for (const int id : kNetworkFields)
      if (!dialog_->field_enabled(id)) return false;
    return true;
  }
  // As the service's installation keeps it: a login in a key others may read is not used.
  static void store_login(const std::wstring& user, const std::wstring& password) {
    ASSERT_TRUE(platform::create_admin_only_key("SYSTEM\\CurrentControlSet\\Services\\UPS\\Network\\Client"));
    set_text(kLoginPath, L"Username", user);
    set_text(kLoginPath, L"Password", password);
  }
  static std::optional<std::vector<platform::testing::AceEntry>> login_key_access() {
    platform::UniqueKey key;
    if (RegOpenKeyExW(HKEY_LOCAL_MACHINE, kLoginPath, 0, READ_CONTROL, key.receive()) != ERROR_SUCCESS)
      return std::nullopt;
    return platform::testing::dacl_entries(reinterpret_cast<HANDLE>(key.get()), SE_REGISTRY_KEY);
  }
};

TEST_F(NetworkEntryTest, ItsFieldsAreOpenOnlyWhileTheNetworkEntryIsChosen) {
  ASSERT_TRUE(open());
  EXPECT_FALSE(fields_enabled()) << "COM1 of a fresh installation";
  ASSERT_TRUE(dialog_->select_port(kNetworkEntry));
  EXPECT_TRUE(fields_enabled());
  ASSERT_TRUE(dialog_->select_port(L"USB"));
  EXPECT_FALSE(fields_enabled());
  EXPECT_EQ(close_with(IDCANCEL), 2);
}

TEST_F(NetworkEntryTest, AServedUpsIsSavedWithItsLoginInAKeyOnlySystemAndAdministratorsReach) {
  write_providers(kProviders);
  ASSERT_TRUE(open());
  ASSERT_TRUE(choose(L"Orvik", L"Varnelo 600"));
  ASSERT_TRUE(dialog_->select_port(kNetworkEntry));
  fill(L"192.168.1.10:3494", L"ups", L"orvik", L"s3cret pw");
  ASSERT_TRUE(dialog_->press_ok(kDialogWaitMs).closed);
  EXPECT_EQ(run_->result(), 1);
  expect_stored(L"NUT:ups@192.168.1.10:3494", L"Orvik", L"Varnelo 600");
  EXPECT_EQ(stored(kLoginPath, L"Username"), L"orvik");
  EXPECT_EQ(stored(kLoginPath, L"Password"), L"s3cret pw");
  using platform::testing::AceEntry;
  EXPECT_EQ(login_key_access(), (std::vector<AceEntry>{{"A", platform::testing::kSystemSid, KEY_ALL_ACCESS},
                                                        {"A", platform::testing::kAdministratorsSid, KEY_ALL_ACCESS}}));
}

TEST_F(NetworkEntryTest, AStoredServedUpsIsShownAgainAndSavedUnchanged) {
  write_providers(kProviders);
  store_choice(L"NUT:ups@[::1]:40000", L"Orvik", L"Other");
  store_login(L"orvik", L"pw");
  ASSERT_TRUE(open());
  EXPECT_EQ(dialog_->selected_port(), kNetworkEntry);
  EXPECT_TRUE(fields_enabled());
  EXPECT_EQ(dialog_->control_text(IDC_SETUP_NUT_SERVER), L"[::1]:40000");
  EXPECT_EQ(dialog_->control_text(IDC_SETUP_NUT_UPS), L"ups");
  EXPECT_EQ(dialog_->control_text(IDC_SETUP_NUT_USER), L"orvik");
  ASSERT_TRUE(dialog_->press_ok(kDialogWaitMs).closed);
  EXPECT_EQ(run_->result(), 1);
  expect_stored(L"NUT:ups@[::1]:40000", L"Orvik", L"Other");
  EXPECT_EQ(stored(kLoginPath, L"Password"), L"pw");
}

TEST_F(NetworkEntryTest, EachMistakeIsNamedAndNothingIsSavedUntilItIsCorrected) {
  write_providers(kProviders);
  store_choice(L"COM2", L"Orvik", L"Varnelo 600");
  ASSERT_TRUE(open());
  ASSERT_TRUE(dialog_->select_port(kNetworkEntry));
  struct Case {
    const wchar_t* server;
    const wchar_t* ups;
    const wchar_t* user;
    const wchar_t* password;
    const wchar_t* message;
  };
  const Case cases[] = {
      // One of the server's and one of the login's; every message is checked natively.
      {L"::1", L"ups", L"", L"", L"квадратных скобках"},
      {L"nas", L"ups", L"orvik", L"", L"укажите пароль"},
  };
  for (const Case& c : cases) {
    fill(c.server, c.ups, c.user, c.password);
    const SetupDialogDriver::Outcome outcome = dialog_->press_ok(kDialogWaitMs);
    EXPECT_FALSE(outcome.closed);
    EXPECT_NE(outcome.refusal.find(c.message), std::wstring::npos) << "case " << (&c - cases);
    expect_stored(L"COM2", L"Orvik", L"Varnelo 600");
  }
  fill(L"nas", L"ups", L"", L"");
  ASSERT_TRUE(dialog_->press_ok(kDialogWaitMs).closed);
  EXPECT_EQ(run_->result(), 1);
  expect_stored(L"NUT:ups@nas", L"Orvik", L"Varnelo 600");
  EXPECT_FALSE(stored(kLoginPath, L"Username")) << "no login given, none kept";
}

TEST_F(NetworkEntryTest, ACableChosenAfterAServedUpsLeavesNoPasswordBehind) {
  write_providers(kProviders);
  store_choice(L"NUT:ups@nas", L"Orvik", L"Varnelo 600");
  store_login(L"orvik", L"pw");
  ASSERT_TRUE(open());
  ASSERT_TRUE(dialog_->select_port(L"COM3"));
  EXPECT_EQ(close_with(IDOK), 1);
  expect_stored(L"COM3", L"Orvik", L"Varnelo 600");
  EXPECT_FALSE(login_key_access()) << "the login's key is gone";
}

// setup_answer, from a process of its own, against the dialog of this one.
class SetupAnswerTest : public SetupDialogTest {
 protected:
  static long answer(const std::string& arguments) {
    std::string program = platform::testing::wine_path(platform::testing::env("ORVIK_BIN_DIR")) + "\\setup_answer.exe";
    return platform::testing::run_process(program + " " + arguments, 40000);
  }
};

TEST_F(SetupAnswerTest, AnswersTheDialogOfAnotherProcess) {
  write_providers(kProviders);
  ASSERT_TRUE(open());
  EXPECT_EQ(answer("--vendor Orvik --model \"Varnelo 600\" --port COM1 --ui on --press ok --timeout-s 20"), 0);
  EXPECT_EQ(run_->result(), 0x801);
  expect_stored(L"COM1", L"Orvik", L"Varnelo 600");
}

TEST_F(SetupAnswerTest, FailsWithoutPressingWhenAnEntryIsMissing) {
  write_providers(kProviders);
  store_choice(L"COM2", L"Orvik", L"Varnelo 600");
  ASSERT_TRUE(open());
  EXPECT_EQ(answer("--vendor Tavrel --model \"Varnelo 600\" --press ok --timeout-s 20"), 1);
  EXPECT_EQ(answer("--vendor Orvik --model \"Varnelo 600\" --port COM12 --press ok --timeout-s 20"), 1);
  expect_fields(L"Orvik", L"Varnelo 600");
  EXPECT_EQ(close_with(IDCANCEL), 2) << "the dialog is still open";
  expect_stored(L"COM2", L"Orvik", L"Varnelo 600");
}

TEST_F(SetupAnswerTest, FillsInAServedUpsOrReportsWhyTheDialogRefusedIt) {
  write_providers(kProviders);
  ASSERT_TRUE(open());
  EXPECT_EQ(answer("--vendor Orvik --model Other --server ::1 --ups ups --press ok --timeout-s 20"), 3);
  EXPECT_EQ(run_->result(), 2) << "cancelled after the refusal";
  EXPECT_FALSE(stored(kServicePath, L"Port"));

  ASSERT_TRUE(open());
  EXPECT_EQ(answer("--vendor Orvik --model Other --server [::1]:3494 --ups ups --user orvik --password \"a b\" "
                   "--press ok --timeout-s 20"),
            0);
  EXPECT_EQ(run_->result(), 1);
  expect_stored(L"NUT:ups@[::1]:3494", L"Orvik", L"Other");
  EXPECT_EQ(stored(kLoginPath, L"Password"), L"a b");
}

TEST_F(SetupAnswerTest, GivesUpWhenNoDialogAppears) {
  DWORD start = GetTickCount();
  EXPECT_EQ(answer("--press cancel --timeout-s 1"), 1);
  EXPECT_LT(GetTickCount() - start, 10000u);
  EXPECT_EQ(answer("--press maybe"), 2);
}

}  // namespace
}  // namespace installation
