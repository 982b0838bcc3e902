// The six pages of the settings sheet. Each fills itself from the Config key (or the status block)
// when created and writes back on Apply; see settings/ for what each control means.
#pragma once

#include <memory>
#include <vector>

#include "settings/settings_page_win.h"

namespace settings {

// The pages in the sheet's order: information, general, tray, statistics, test, about; in
// restricted mode only the first and the last.
std::vector<std::unique_ptr<tray::SheetPage>> make_settings_pages(const SheetServices& services);

}  // namespace settings
