#include "tray/tray_menu_win.h"

#include "platform/unique_resource.h"
#include "platform/wide_text_win.h"

namespace tray {
namespace {

struct MenuTraits {
  using Value = HMENU;
  static Value empty() { return nullptr; }
  static bool is_open(Value v) { return v != nullptr; }
  static void close(Value v) { DestroyMenu(v); }
};
using UniqueMenu = platform::UniqueResource<MenuTraits>;

void append_items(HMENU target, const std::vector<MenuItem>& items, HMENU power_menu) {
  for (const MenuItem& item : items) {
    if (item.separator()) {
      AppendMenuW(target, MF_SEPARATOR, 0, nullptr);
      continue;
    }
    UINT flags = MF_STRING | (item.checked ? MF_CHECKED : 0u) | (item.greyed ? MF_GRAYED : 0u);
    UINT_PTR id = item.id;
    if (item.opens_power_menu) {
      flags |= MF_POPUP;
      id = reinterpret_cast<UINT_PTR>(power_menu);
    }
    AppendMenuW(target, flags, id, platform::to_wide(item.text).c_str());
  }
}

}  // namespace

unsigned track_tray_menu(HWND owner, const TrayMenu& menu) {
  // The sub-menu is destroyed with the main menu that holds it.
  HMENU power = CreatePopupMenu();
  UniqueMenu main(CreatePopupMenu());
  if (!power || !main) {
    if (power) DestroyMenu(power);
    return 0;
  }
  append_items(power, menu.power, nullptr);
  append_items(main.get(), menu.main, power);
  POINT cursor{};
  GetCursorPos(&cursor);
  SetForegroundWindow(owner);
  const int chosen = static_cast<int>(
      TrackPopupMenu(main.get(), TPM_RETURNCMD | TPM_VERTICAL, cursor.x, cursor.y, 0, owner, nullptr));
  // Without it the menu would not close when the user clicks elsewhere.
  PostMessageW(owner, WM_NULL, 0, 0);
  return chosen > 0 ? static_cast<unsigned>(chosen) : 0;
}

}  // namespace tray
