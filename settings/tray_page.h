// The tray page: the four icon files and the two check boxes of the tray's status text.
#pragma once

#include "core/config_store.h"
#include "settings/page_form.h"

namespace settings {

// A path longer than this many characters is cut when saved (the field's limit).
inline constexpr std::size_t kIconPathChars = 255;

PageForm load_tray_page(core::ConfigStore& store);
// A non-empty path is written, an empty one deletes its value (the built-in icon returns).
bool save_tray_page(const PageForm& form, core::ConfigStore& store);

}  // namespace settings
