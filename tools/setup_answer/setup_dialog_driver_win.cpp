#include "tools/setup_answer/setup_dialog_driver_win.h"

#include <cwchar>
#include <utility>

#include "platform/remote_buffer_win.h"
#include "setup/setup_dialog_ids.h"

namespace setup_answer {
namespace {

constexpr DWORD kAnswerTimeoutMs = 5000;
constexpr DWORD kPollMs = 100;
constexpr int kTextChars = 260;

HWND find_visible_dialog() {
  for (HWND window = nullptr;;) {
    window = FindWindowExW(nullptr, window, L"#32770", L"" SETUP_DIALOG_TITLE);
    if (!window) return nullptr;
    if (IsWindowVisible(window) && GetDlgItem(window, IDC_SETUP_TREE)) return window;
  }
}

}  // namespace

SetupDialogDriver::SetupDialogDriver(HWND dialog, HWND tree, platform::UniqueHandle process)
    : dialog_(dialog), tree_(tree), process_(std::move(process)) {}

std::optional<SetupDialogDriver> SetupDialogDriver::attach(DWORD timeout_ms) {
  DWORD start = GetTickCount();
  HWND dialog = nullptr;
  while (!(dialog = find_visible_dialog())) {
    if (GetTickCount() - start >= timeout_ms) return std::nullopt;
    Sleep(kPollMs);
  }
  DWORD process_id = 0;
  GetWindowThreadProcessId(dialog, &process_id);
  platform::UniqueHandle process(
      OpenProcess(PROCESS_VM_OPERATION | PROCESS_VM_READ | PROCESS_VM_WRITE, FALSE, process_id));
  if (!process) return std::nullopt;
  SetupDialogDriver driver(dialog, GetDlgItem(dialog, IDC_SETUP_TREE), std::move(process));
  // Visible means initialised; an answered message means its thread now runs the modal loop.
  if (!driver.send(dialog, WM_NULL, 0, 0)) return std::nullopt;
  return driver;
}

bool SetupDialogDriver::send(HWND window, UINT message, WPARAM wparam, LPARAM lparam, LRESULT* result) const {
  DWORD_PTR answer = 0;
  if (!SendMessageTimeoutW(window, message, wparam, lparam, SMTO_ABORTIFHUNG, kAnswerTimeoutMs, &answer)) return false;
  if (result) *result = static_cast<LRESULT>(answer);
  return true;
}

HTREEITEM SetupDialogDriver::next(UINT relation, HTREEITEM item) const {
  LRESULT found = 0;
  if (!send(tree_, TVM_GETNEXTITEM, relation, reinterpret_cast<LPARAM>(item), &found)) return nullptr;
  return reinterpret_cast<HTREEITEM>(found);
}

std::optional<std::wstring> SetupDialogDriver::entry_text(HTREEITEM item) const {
  if (!item) return std::nullopt;
  platform::RemoteBuffer buffer(process_.get(), sizeof(TVITEMW) + kTextChars * sizeof(wchar_t));
  TVITEMW query{};
  query.mask = TVIF_TEXT | TVIF_HANDLE;
  query.hItem = item;
  query.pszText = reinterpret_cast<wchar_t*>(buffer.address() + sizeof(TVITEMW));
  query.cchTextMax = kTextChars;
  LRESULT ok = 0;
  if (!buffer.write(0, &query, sizeof query)) return std::nullopt;
  if (!send(tree_, TVM_GETITEMW, 0, reinterpret_cast<LPARAM>(buffer.address()), &ok) || !ok) return std::nullopt;
  // The tree may hand back a pointer of its own instead of filling the buffer.
  if (!buffer.read(0, &query, sizeof query)) return std::nullopt;
  wchar_t text[kTextChars] = L"";
  if (!ReadProcessMemory(process_.get(), query.pszText, text, sizeof text - sizeof(wchar_t), nullptr))
    return std::nullopt;
  return std::wstring(text);
}

HTREEITEM SetupDialogDriver::find_entry(const std::wstring& top, const std::wstring* child) const {
  HTREEITEM item = next(TVGN_ROOT, nullptr);
  while (item && entry_text(item) != top) item = next(TVGN_NEXT, item);
  if (!item || !child) return item;
  item = next(TVGN_CHILD, item);
  while (item && entry_text(item) != *child) item = next(TVGN_NEXT, item);
  return item;
}

HTREEITEM SetupDialogDriver::selected_entry() const { return next(TVGN_CARET, nullptr); }

bool SetupDialogDriver::select_entry(HTREEITEM item) const {
  LRESULT ok = 0;
  return send(tree_, TVM_SELECTITEM, TVGN_CARET, reinterpret_cast<LPARAM>(item), &ok) && ok && selected_entry() == item;
}

bool SetupDialogDriver::select_port(const std::wstring& port) const {
  HWND list = GetDlgItem(dialog_, IDC_SETUP_PORT);
  LRESULT index = CB_ERR;
  // User32 carries the string of a find request over to the list's process.
  if (!send(list, CB_FINDSTRINGEXACT, static_cast<WPARAM>(-1), reinterpret_cast<LPARAM>(port.c_str()), &index) ||
      index == CB_ERR)
    return false;
  LRESULT selected = CB_ERR;
  if (!send(list, CB_SETCURSEL, index, 0, &selected) || selected != index) return false;
  // A click tells the dialog too; setting the selection does not.
  return send(dialog_, WM_COMMAND, MAKEWPARAM(IDC_SETUP_PORT, CBN_SELCHANGE), reinterpret_cast<LPARAM>(list));
}

std::wstring SetupDialogDriver::selected_port() const {
  HWND list = GetDlgItem(dialog_, IDC_SETUP_PORT);
  LRESULT index = CB_ERR;
  if (!send(list, CB_GETCURSEL, 0, 0, &index) || index == CB_ERR) return L"";
  LRESULT length = 0;
  if (!send(list, CB_GETLBTEXTLEN, index, 0, &length) || length < 0 || length >= kTextChars) return L"";
  wchar_t text[kTextChars] = L"";
  send(list, CB_GETLBTEXT, index, reinterpret_cast<LPARAM>(text));
  return text;
}

void SetupDialogDriver::set_tray_box(bool checked) const {
  send(GetDlgItem(dialog_, IDC_SETUP_TRAY_UI), BM_SETCHECK, checked ? BST_CHECKED : BST_UNCHECKED, 0);
}

bool SetupDialogDriver::tray_box() const {
  LRESULT state = BST_UNCHECKED;
  send(GetDlgItem(dialog_, IDC_SETUP_TRAY_UI), BM_GETCHECK, 0, 0, &state);
  return state == BST_CHECKED;
}

std::wstring SetupDialogDriver::control_text(int id) const {
  wchar_t text[kTextChars] = L"";
  send(GetDlgItem(dialog_, id), WM_GETTEXT, kTextChars, reinterpret_cast<LPARAM>(text));
  return text;
}

bool SetupDialogDriver::set_field(int id, const std::wstring& text) const {
  // User32 carries the text of WM_SETTEXT over to the dialog's process.
  send(GetDlgItem(dialog_, id), WM_SETTEXT, 0, reinterpret_cast<LPARAM>(text.c_str()));
  return control_text(id) == text;
}

bool SetupDialogDriver::field_enabled(int id) const { return IsWindowEnabled(GetDlgItem(dialog_, id)) != FALSE; }

namespace {

// A message box the dialog owns: a visible dialog-class window whose owner is the dialog.
HWND message_box_of(HWND dialog) {
  for (HWND window = nullptr; (window = FindWindowExW(nullptr, window, L"#32770", nullptr));) {
    if (window != dialog && GetWindow(window, GW_OWNER) == dialog && IsWindowVisible(window)) return window;
  }
  return nullptr;
}

// The box's message: the longest text among its static controls (its icon's is empty).
std::wstring message_of(HWND box) {
  std::wstring longest;
  for (HWND child = nullptr; (child = FindWindowExW(box, child, L"Static", nullptr));) {
    wchar_t text[1024] = L"";
    SendMessageTimeoutW(child, WM_GETTEXT, 1024, reinterpret_cast<LPARAM>(text), SMTO_ABORTIFHUNG, kAnswerTimeoutMs,
                        nullptr);
    if (std::wcslen(text) > longest.size()) longest = text;
  }
  return longest;
}

}  // namespace

SetupDialogDriver::Outcome SetupDialogDriver::press_ok(DWORD timeout_ms) const {
  // Posted: a refusal's message box would hold a sent message until someone answers the box.
  PostMessageW(dialog_, WM_COMMAND, MAKEWPARAM(IDOK, BN_CLICKED), reinterpret_cast<LPARAM>(GetDlgItem(dialog_, IDOK)));
  const DWORD start = GetTickCount();
  while (GetTickCount() - start < timeout_ms) {
    if (!IsWindow(dialog_) || !IsWindowVisible(dialog_)) return {true, L""};
    if (HWND box = message_box_of(dialog_)) {
      Outcome refused{false, message_of(box)};
      PostMessageW(box, WM_COMMAND, MAKEWPARAM(IDOK, BN_CLICKED), 0);
      while (IsWindow(box) && GetTickCount() - start < timeout_ms) Sleep(kPollMs);
      return refused;
    }
    Sleep(kPollMs);
  }
  return {false, L""};
}

bool SetupDialogDriver::press(int button) const {
  return send(dialog_, WM_COMMAND, MAKEWPARAM(button, BN_CLICKED),
              reinterpret_cast<LPARAM>(GetDlgItem(dialog_, button)));
}

}  // namespace setup_answer
