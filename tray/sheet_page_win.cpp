#include "tray/sheet_page_win.h"

#include "platform/module_win.h"
#include "setup/centring.h"
#include "tray/tray_ids.h"

namespace tray {

PROPSHEETPAGEW SheetPage::sheet_page() {
  PROPSHEETPAGEW page{};
  page.dwSize = sizeof page;
  page.hInstance = platform::this_module();
  page.pszTemplate = MAKEINTRESOURCEW(template_id_);
  page.pfnDlgProc = procedure;
  page.lParam = reinterpret_cast<LPARAM>(this);
  return page;
}

INT_PTR CALLBACK SheetPage::procedure(HWND hwnd, UINT message, WPARAM wparam, LPARAM lparam) {
  if (message == WM_INITDIALOG) {
    auto* self = reinterpret_cast<SheetPage*>(reinterpret_cast<PROPSHEETPAGEW*>(lparam)->lParam);
    SetWindowLongPtrW(hwnd, DWLP_USER, reinterpret_cast<LONG_PTR>(self));
    self->hwnd_ = hwnd;
    self->loading_ = true;
    self->on_init();
    self->loading_ = false;
    return TRUE;
  }
  auto* self = reinterpret_cast<SheetPage*>(GetWindowLongPtrW(hwnd, DWLP_USER));
  if (!self) return FALSE;
  switch (message) {
    case WM_COMMAND:
      self->on_command(LOWORD(wparam), HIWORD(wparam));
      return TRUE;
    case WM_NOTIFY:
      return self->on_notify(*reinterpret_cast<const NMHDR*>(lparam));
    case kMsgNewData:
      self->on_new_data();
      return TRUE;
    case WM_DESTROY:
      self->on_kill_active();
      return FALSE;
    default:
      return FALSE;
  }
}

INT_PTR SheetPage::on_notify(const NMHDR& header) {
  switch (header.code) {
    case PSN_SETACTIVE:
      on_set_active();
      answer(0);
      return TRUE;
    case PSN_KILLACTIVE:
      on_kill_active();
      answer(FALSE);
      return TRUE;
    case PSN_APPLY:
      on_apply();
      answer(PSNRET_NOERROR);
      return TRUE;
    default:
      return on_control_notify(header) ? TRUE : FALSE;
  }
}

void run_modal_sheet(HWND owner, const wchar_t* caption, const std::vector<std::unique_ptr<SheetPage>>& pages) {
  std::vector<PROPSHEETPAGEW> sheet_pages;
  for (const auto& page : pages) sheet_pages.push_back(page->sheet_page());
  PROPSHEETHEADERW header{};
  header.dwSize = sizeof header;
  header.dwFlags = PSH_PROPSHEETPAGE | PSH_NOCONTEXTHELP;
  header.hwndParent = owner;
  header.pszCaption = caption;
  header.nPages = static_cast<UINT>(sheet_pages.size());
  header.ppsp = sheet_pages.data();
  PropertySheetW(&header);
}

void SheetPage::centre_sheet() const {
  const HWND frame = GetParent(hwnd_);
  RECT area{}, own{};
  SystemParametersInfoW(SPI_GETWORKAREA, 0, &area, 0);
  GetWindowRect(frame, &own);
  const installation::ScreenRect screen{area.left, area.top, area.right, area.bottom};
  const installation::ScreenPoint origin =
      installation::centred_origin(screen, own.right - own.left, own.bottom - own.top, screen);
  SetWindowPos(frame, nullptr, origin.x, origin.y, 0, 0, SWP_NOSIZE | SWP_NOZORDER);
}

}  // namespace tray
