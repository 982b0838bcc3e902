// The tray's four state icons: each from the file a Config value names, else built in.
// GUI thread only.
#pragma once

#include <windows.h>

#include "platform/unique_resource.h"
#include "tray/status_text.h"

namespace tray {

struct IconTraits {
  using Value = HICON;
  static Value empty() { return nullptr; }
  static bool is_open(Value v) { return v != nullptr; }
  static void close(Value v) { DestroyIcon(v); }
};
using UniqueIcon = platform::UniqueResource<IconTraits>;

class IconSet {
 public:
  // Reads "ICO_ONLINE", "ICO_AVR", "ICO_BAT" and "ICO_NOUPS" from the Config key; a value that is
  // missing, or names a file without an icon (missing, empty, not an icon), gives the built-in
  // icon. Replaces what was loaded before.
  void load();
  HICON icon(TrayIcon which) const;

 private:
  UniqueIcon icons_[4];
};

}  // namespace tray
